#include "ui/guide/GuideGridWindow.h"

#include "ui/window/PanelOverVideo.h"
#include "core/guide/GuideText.h"

#include <QComboBox>
#include <QDateTime>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QVBoxLayout>

namespace {

QString dayName(const QDate& day)
{
    return QLocale(QLocale::Chinese, QLocale::China).toString(day, QStringLiteral("M月d日 ddd"));
}

} // namespace

GuideGridWindow::GuideGridWindow(QWidget& mainWindow)
    : QWidget(&mainWindow, Qt::Tool | Qt::FramelessWindowHint), title_(new QLabel(QStringLiteral("电视指南"), this)),
      day_(new QComboBox(this)), search_(new QLineEdit(this)), results_(new QListWidget(this)),
      canvas_(new GuideGridCanvas(this))
{
    setObjectName(QStringLiteral("GuideGrid"));
    setAccessibleName(QStringLiteral("电视指南"));
    title_->setAccessibleName(QStringLiteral("标题"));
    day_->setAccessibleName(QStringLiteral("日期"));
    search_->setAccessibleName(QStringLiteral("搜索节目"));
    search_->setPlaceholderText(QStringLiteral("搜索节目（/）"));
    search_->setClearButtonEnabled(true);
    results_->setAccessibleName(QStringLiteral("搜索结果"));
    stylePanelOverVideo(*this, QStringLiteral("QLineEdit, QComboBox { background: rgb(40, 40, 40);"
                                              " border: 1px solid rgb(70, 70, 70); padding: 2px 6px; }"
                                              "QListWidget#GuideFindings { background: rgb(24, 24, 24); }"));
    results_->setObjectName(QStringLiteral("GuideFindings"));
    auto* bar = new QHBoxLayout;
    bar->addWidget(title_);
    bar->addStretch();
    bar->addWidget(day_);
    bar->addWidget(search_, 1);
    auto* body = new QHBoxLayout;
    body->addWidget(canvas_, 3);
    body->addWidget(results_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->addLayout(bar);
    layout->addLayout(body, 1);
    results_->hide();
    setTabOrder(canvas_, day_);
    setTabOrder(day_, search_);
    setTabOrder(search_, results_);

    connect(canvas_, &GuideGridCanvas::activated, this, &GuideGridWindow::activated);
    connect(canvas_, &GuideGridCanvas::closeAsked, this, &GuideGridWindow::closeGrid);
    connect(canvas_, &GuideGridCanvas::searchAsked, this, [this] {
        search_->setFocus(Qt::ShortcutFocusReason);
        search_->selectAll();
    });
    connect(canvas_, &GuideGridCanvas::cursorMoved, this, [this] {
        const int index = int(canvas_->days().first.daysTo(canvas_->timeline().dayOf(canvas_->cursorTime())));
        const QSignalBlocker quiet(day_);
        day_->setCurrentIndex(std::clamp(index, 0, day_->count() - 1));
    });
    connect(day_, &QComboBox::activated, this, [this](int index) {
        const int shown = int(canvas_->days().first.daysTo(canvas_->timeline().dayOf(canvas_->cursorTime())));
        canvas_->moveByDays(index - shown);
        canvas_->setFocus(Qt::OtherFocusReason);
    });
    typingPause_.setSingleShot(true);
    typingPause_.setInterval(200);
    connect(search_, &QLineEdit::textChanged, this, [this] { typingPause_.start(); });
    connect(&typingPause_, &QTimer::timeout, this, [this] { emit searchAsked(search_->text().trimmed()); });
    connect(results_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) { goToFinding(results_->row(item)); });
    results_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(results_, &QWidget::customContextMenuRequested, this, &GuideGridWindow::showFindingMenu);
    search_->installEventFilter(this);
    results_->installEventFilter(this);
    clock_.setInterval(30 * 1000);
    connect(&clock_, &QTimer::timeout, this, [this] { canvas_->setNow(QDateTime::currentSecsSinceEpoch()); });
    hide();
}

void GuideGridWindow::present(GuideGridRows rows, qint64 now, int row, const QRect& area)
{
    setGeometry(area);
    show();
    raise();
    activateWindow();
    canvas_->present(std::move(rows), now, row);
    showDays();
    clock_.start();
    canvas_->setFocus(Qt::OtherFocusReason);
}

void GuideGridWindow::showDays()
{
    const QSignalBlocker quiet(day_);
    day_->clear();
    const guidegrid::Days& days = canvas_->days();
    const QDate today = canvas_->timeline().dayOf(QDateTime::currentSecsSinceEpoch());
    for (QDate day = days.first; day <= days.last; day = day.addDays(1))
        day_->addItem(day == today ? QStringLiteral("今天 ") + dayName(day) : dayName(day));
    day_->setCurrentIndex(int(days.first.daysTo(canvas_->timeline().dayOf(canvas_->cursorTime()))));
}

void GuideGridWindow::showFindings(const std::vector<ProgrammeHit>& hits, const std::function<QString(int)>& nameOf,
                                   const std::function<bool(const ProgrammeHit&)>& reminded)
{
    hits_ = hits;
    nameOf_ = nameOf;
    reminded_ = reminded;
    listFindings();
}

void GuideGridWindow::listFindings()
{
    const int chosen = results_->currentRow();
    results_->clear();
    for (const ProgrammeHit& hit : hits_) {
        const QDate day = canvas_->timeline().dayOf(hit.programme.start);
        auto* item = new QListWidgetItem(nameOf_(hit.entry) + QStringLiteral("  ") + dayName(day) + QStringLiteral("  ") +
                                             programmeTimes(hit.programme) + QStringLiteral("  ") + hit.programme.title +
                                             (reminded_ && reminded_(hit) ? QStringLiteral("  〔已预约〕") : QString()),
                                         results_);
        if (!hit.programme.description.isEmpty())
            item->setToolTip(hit.programme.description);
    }
    if (hits_.empty() && !search_->text().trimmed().isEmpty())
        new QListWidgetItem(QStringLiteral("没有找到节目"), results_);
    results_->setVisible(!search_->text().trimmed().isEmpty());
    if (chosen >= 0 && chosen < results_->count())
        results_->setCurrentRow(chosen);
}

QStringList GuideGridWindow::findings() const
{
    QStringList shown;
    for (int row = 0; row < int(hits_.size()) && row < results_->count(); ++row)
        shown << results_->item(row)->text();
    return shown;
}

void GuideGridWindow::goToFinding(int row)
{
    if (row < 0 || size_t(row) >= hits_.size())
        return;
    const ProgrammeHit& hit = hits_[size_t(row)];
    canvas_->moveTo(hit.entry, hit.programme.start);
    canvas_->setFocus(Qt::OtherFocusReason);
}

void GuideGridWindow::keyPressEvent(QKeyEvent* event)
{
    // From the day picker, say: what the grid's own keys leave.
    if (event->key() == Qt::Key_Escape)
        closeGrid();
    else
        QWidget::keyPressEvent(event);
}

// A programme to come can be reminded of from its finding too.
void GuideGridWindow::showFindingMenu(const QPoint& at)
{
    const int row = results_->row(results_->itemAt(at));
    if (row < 0 || size_t(row) >= hits_.size() || hits_[size_t(row)].programme.start <= QDateTime::currentSecsSinceEpoch())
        return;
    const ProgrammeHit hit = hits_[size_t(row)];
    QMenu menu;
    menu.setAccessibleName(QStringLiteral("节目菜单"));
    const bool reminded = reminded_ && reminded_(hit);
    menu.addAction(reminded ? QStringLiteral("取消预约") : QStringLiteral("预约"), this, [this, hit] {
        emit reminderAsked(hit);
        listFindings();
        canvas_->refresh();
    });
    menu.exec(results_->viewport()->mapToGlobal(at));
}

void GuideGridWindow::closeGrid()
{
    typingPause_.stop();
    clock_.stop();
    hide();
    parentWidget()->activateWindow();
}

bool GuideGridWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (watched == search_) {
        if (key == Qt::Key_Escape) {
            if (!search_->text().isEmpty())
                search_->clear();
            else
                canvas_->setFocus(Qt::OtherFocusReason);
            return true;
        }
        if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Down) && !hits_.empty()) {
            typingPause_.stop();
            results_->setFocus(Qt::OtherFocusReason);
            results_->setCurrentRow(0);
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            typingPause_.stop();
            emit searchAsked(search_->text().trimmed()); // at once, rather than after the pause
            return true;
        }
    } else if (watched == results_ && key == Qt::Key_Escape) {
        search_->setFocus(Qt::OtherFocusReason);
        return true;
    }
    return false;
}
