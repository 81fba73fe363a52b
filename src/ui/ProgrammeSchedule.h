#pragma once

#include "core/ProgrammeGuide.h"

#include <QWidget>

#include <functional>
#include <vector>

class QLabel;
class QListWidget;

// A channel's programmes by day, over the video area: those before now
// greyed, the one on now marked and brought into view; those that can be
// watched back say so, and Enter or a double-click asks for one. A window of
// its own above the main window (the video is another program's window); Esc
// or G closes it.
class ProgrammeSchedule final : public QWidget {
    Q_OBJECT
public:
    explicit ProgrammeSchedule(QWidget& mainWindow);

    using Watchable = std::function<bool(const Programme&)>;
    using Reminded = std::function<bool(const Programme&)>;

    // The programmes of list entry `entry`; `watchable` tells which can be
    // watched back (none when it is empty), `reminded` which have a reminder.
    void present(int entry, const QString& name, const std::vector<Programme>& programmes, qint64 now,
                 const QRect& area, const Watchable& watchable = {}, const Reminded& reminded = {});
    // A coming programme's reminder was set or cleared: its row says so.
    void markReminded(const Programme& programme, bool reminded);
    // The rows as shown: day headings and "19:00–19:30  新闻联播".
    QStringList rows() const;
    // The row of the programme on now; -1 when none is on.
    int currentRow() const;

signals:
    // A programme that can be watched back was asked for.
    void watchBack(int entry, const Programme& programme);
    // Enter on a programme still to come.
    void reminderToggled(int entry, const Programme& programme);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void activate(int row);

    QLabel* title_;
    QListWidget* list_;
    int entry_ = -1;
    std::vector<Programme> watchable_; // each row's programme if it can be watched back; a zero start if not
    std::vector<Programme> coming_;    // each row's programme if it is still to come; a zero start if not
    static QString reminderMark();
};
