#include "ProgrammeSchedule.h"

#include "PanelOverVideo.h"
#include "Texts.h"
#include "core/GuideText.h"

#include <QDateTime>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
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
    hide();
}

void ProgrammeSchedule::present(int entry, const QString& name, const std::vector<Programme>& programmes, qint64 now,
                                const QRect& area, const Watchable& watchable, const Reminded& reminded)
{
    entry_ = entry;
    watchable_.clear();
    coming_.clear();
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
            watchable_.emplace_back();
            coming_.emplace_back();
        }
        auto* row = new QListWidgetItem(programmeTimes(programme) + QStringLiteral("  ") + programme.title, list_);
        if (!programme.description.isEmpty())
            row->setToolTip(programme.description);
        if (programme.start <= now && now < programme.stop) {
            QFont bold = row->font();
            bold.setBold(true);
            row->setFont(bold);
            row->setText(QStringLiteral("▶ ") + row->text());
            current = row;
        } else if (programme.stop <= now) {
            row->setForeground(QColor(128, 128, 128));
        }
        const bool back = watchable && watchable(programme);
        if (back)
            row->setText(row->text() + QStringLiteral("  〔") + texts::watchableBack() + QStringLiteral("〕"));
        watchable_.push_back(back ? programme : Programme{});
        const bool coming = programme.start > now;
        if (coming && reminded && reminded(programme))
            row->setText(row->text() + reminderMark());
        coming_.push_back(coming ? programme : Programme{});
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

QString ProgrammeSchedule::reminderMark()
{
    return QStringLiteral("  〔已预约〕");
}

void ProgrammeSchedule::markReminded(const Programme& programme, bool reminded)
{
    for (size_t row = 0; row < coming_.size() && int(row) < list_->count(); ++row) {
        if (coming_[row].start != programme.start || coming_[row].title != programme.title)
            continue;
        QListWidgetItem* item = list_->item(int(row));
        QString text = item->text();
        if (text.endsWith(reminderMark()))
            text.chop(reminderMark().size());
        item->setText(reminded ? text + reminderMark() : text);
    }
}

void ProgrammeSchedule::activate(int row)
{
    if (row >= 0 && size_t(row) < coming_.size() && coming_[size_t(row)].start != 0) {
        emit reminderToggled(entry_, coming_[size_t(row)]);
        return;
    }
    if (row < 0 || size_t(row) >= watchable_.size() || watchable_[size_t(row)].start == 0)
        return;
    const Programme chosen = watchable_[size_t(row)];
    hide();
    parentWidget()->activateWindow();
    emit watchBack(entry_, chosen);
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
