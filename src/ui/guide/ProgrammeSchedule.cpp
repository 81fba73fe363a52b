#include "ui/guide/ProgrammeSchedule.h"

#include "ui/window/PanelOverVideo.h"
#include "ui/Texts.h"
#include "core/guide/GuideText.h"

#include <QDateTime>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QVBoxLayout>

ProgrammeSchedule::ProgrammeSchedule(QWidget& mainWindow)
    : QWidget(&mainWindow, Qt::Tool | Qt::FramelessWindowHint), title_(new QLabel(this)), list_(new QListWidget(this))
{
    setObjectName(QStringLiteral("ProgrammeSchedule"));
    setAccessibleName(QStringLiteral("节目表"));
    title_->setAccessibleName(QStringLiteral("频道"));
    list_->setAccessibleName(QStringLiteral("节目"));
    stylePanelOverVideo(*this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 8);
    layout->addWidget(title_);
    layout->addWidget(list_);
    list_->setFocusPolicy(Qt::StrongFocus);
    // Enter and a double-click.
    connect(list_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) { activate(list_->row(item)); });
    list_->installEventFilter(this);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QListWidget::customContextMenuRequested, this, &ProgrammeSchedule::showRowMenu);
    hide();
}

void ProgrammeSchedule::present(int entry, const QString& name, const std::vector<Programme>& programmes, qint64 now,
                                const QRect& area, const Watchable& watchable, const Reminded& reminded,
                                const Planned& planned)
{
    entry_ = entry;
    rows_.clear();
    title_->setText(name.isEmpty() ? QStringLiteral("节目表") : name + QStringLiteral("  节目表"));
    list_->clear();
    QDate day;
    QListWidgetItem* current = nullptr;
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    for (const Programme& programme : programmes) {
        const QDate starts = QDateTime::fromSecsSinceEpoch(programme.start).date();
        if (starts != day) {
            day = starts;
            auto* heading = new QListWidgetItem(chinese.toString(day, QStringLiteral("M月d日 dddd")), list_);
            heading->setFlags(Qt::ItemIsEnabled);
            heading->setTextAlignment(Qt::AlignCenter);
            heading->setForeground(QColor(192, 192, 192));
            rows_.push_back({{}, heading->text()});
        }
        Row shown{programme, programmeTimes(programme) + QStringLiteral("  ") + programme.title};
        auto* row = new QListWidgetItem(list_);
        if (!programme.description.isEmpty())
            row->setToolTip(programme.description);
        if (programme.start <= now && now < programme.stop) {
            QFont bold = row->font();
            bold.setBold(true);
            row->setFont(bold);
            shown.text.prepend(QStringLiteral("▶ "));
            current = row;
        } else if (programme.stop <= now) {
            row->setForeground(QColor(128, 128, 128));
        }
        shown.watchable = watchable && watchable(programme);
        shown.coming = programme.start > now;
        shown.recordable = programme.stop > now;
        shown.reminded = shown.coming && reminded && reminded(programme);
        shown.planned = shown.recordable && planned && planned(programme);
        rows_.push_back(shown);
        redraw(int(rows_.size()) - 1);
    }
    if (programmes.empty())
        new QListWidgetItem(QStringLiteral("没有这个频道的节目单"), list_);
    setGeometry(area);
    show();
    raise();
    activateWindow();
    list_->setFocus(Qt::OtherFocusReason);
    if (current) {
        list_->setCurrentItem(current);
        list_->scrollToItem(current, QAbstractItemView::PositionAtCenter);
    }
}

void ProgrammeSchedule::redraw(int row)
{
    const Row& shown = rows_[size_t(row)];
    QString text = shown.text;
    if (shown.watchable)
        text += QStringLiteral("  〔") + texts::watchableBack() + QStringLiteral("〕");
    if (shown.reminded)
        text += QStringLiteral("  〔已预约〕");
    if (shown.planned)
        text += QStringLiteral("  〔预约录制〕");
    if (QListWidgetItem* item = list_->item(row))
        item->setText(text);
}

QStringList ProgrammeSchedule::rows() const
{
    QStringList shown;
    for (int row = 0; row < list_->count(); ++row)
        shown << list_->item(row)->text();
    return shown;
}

int ProgrammeSchedule::currentRow() const
{
    for (int row = 0; row < list_->count(); ++row)
        if (list_->item(row)->text().startsWith(QStringLiteral("▶ ")))
            return row;
    return -1;
}

void ProgrammeSchedule::markReminded(const Programme& programme, bool reminded)
{
    mark(programme, &Row::coming, &Row::reminded, reminded);
}

void ProgrammeSchedule::markPlanned(const Programme& programme, bool planned)
{
    mark(programme, &Row::recordable, &Row::planned, planned);
}

void ProgrammeSchedule::mark(const Programme& programme, bool Row::*applies, bool Row::*flag, bool on)
{
    for (size_t row = 0; row < rows_.size(); ++row) {
        Row& shown = rows_[row];
        if (shown.*applies && shown.programme.start == programme.start && shown.programme.title == programme.title) {
            shown.*flag = on;
            redraw(int(row));
        }
    }
}

void ProgrammeSchedule::activate(int row)
{
    if (row < 0 || size_t(row) >= rows_.size())
        return;
    const Row& shown = rows_[size_t(row)];
    if (shown.coming) {
        emit reminderToggled(entry_, shown.programme);
        return;
    }
    if (!shown.watchable)
        return;
    const Programme chosen = shown.programme;
    hide();
    parentWidget()->activateWindow();
    emit watchBack(entry_, chosen);
}

void ProgrammeSchedule::toggleRecording(int row)
{
    if (row >= 0 && size_t(row) < rows_.size() && rows_[size_t(row)].recordable)
        emit recordingToggled(entry_, rows_[size_t(row)].programme);
}

void ProgrammeSchedule::showRowMenu(const QPoint& at)
{
    const int row = list_->row(list_->itemAt(at));
    if (row < 0 || size_t(row) >= rows_.size() || !rows_[size_t(row)].recordable)
        return;
    QMenu menu(this);
    menu.setAccessibleName(QStringLiteral("节目菜单"));
    menu.addAction(rows_[size_t(row)].planned ? QStringLiteral("取消录制") : QStringLiteral("录制此节目"), this,
                   [this, row] { toggleRecording(row); });
    menu.exec(list_->viewport()->mapToGlobal(at));
}

// R reaches the list first, which would take it for a search by its first letter.
bool ProgrammeSchedule::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == list_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_R && static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
        toggleRecording(list_->currentRow());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ProgrammeSchedule::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_G) {
        hide();
        parentWidget()->activateWindow();
        return;
    }
    QWidget::keyPressEvent(event);
}
