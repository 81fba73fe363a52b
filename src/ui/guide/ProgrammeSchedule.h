#pragma once

#include "core/guide/ProgrammeGuide.h"

#include <QWidget>

#include <functional>
#include <vector>

class QLabel;
class QListWidget;

// A channel's programmes by day, over the video area: those before now
// greyed, the one on now marked and brought into view; those that can be
// watched back say so, and Enter or a double-click asks for one. R, or the
// right-click menu, plans the recording of one on now or still to come, or
// drops the plan. A window of its own above the main window (the video is
// another program's window); Esc or G closes it.
class ProgrammeSchedule final : public QWidget {
    Q_OBJECT
public:
    explicit ProgrammeSchedule(QWidget& mainWindow);

    using Watchable = std::function<bool(const Programme&)>;
    using Reminded = std::function<bool(const Programme&)>;
    using Planned = std::function<bool(const Programme&)>;

    // The programmes of list entry `entry`; `watchable` tells which can be
    // watched back (none when it is empty), `reminded` which have a reminder,
    // `planned` which are to be recorded.
    void present(int entry, const QString& name, const std::vector<Programme>& programmes, qint64 now,
                 const QRect& area, const Watchable& watchable = {}, const Reminded& reminded = {},
                 const Planned& planned = {});
    // A coming programme's reminder was set or cleared: its row says so.
    void markReminded(const Programme& programme, bool reminded);
    // A programme's recording was planned or dropped: its row says so.
    void markPlanned(const Programme& programme, bool planned);
    // The rows as shown: day headings and "19:00–19:30  新闻联播".
    QStringList rows() const;
    // The row of the programme on now; -1 when none is on.
    int currentRow() const;

signals:
    // A programme that can be watched back was asked for.
    void watchBack(int entry, const Programme& programme);
    // Enter on a programme still to come.
    void reminderToggled(int entry, const Programme& programme);
    // R or the menu on a programme on now or still to come.
    void recordingToggled(int entry, const Programme& programme);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What a row shows; headings have no programme (a zero start).
    struct Row {
        Programme programme;
        QString text; // times and title, without the marks
        bool watchable = false;
        bool coming = false;
        bool recordable = false; // on now or still to come
        bool reminded = false;
        bool planned = false;
    };
    void activate(int row);
    void toggleRecording(int row);
    void showRowMenu(const QPoint& at);
    void redraw(int row);
    // The rows of that programme for which `applies` holds get `flag` set to `on`.
    void mark(const Programme& programme, bool Row::*applies, bool Row::*flag, bool on);

    QLabel* title_;
    QListWidget* list_;
    int entry_ = -1;
    std::vector<Row> rows_;
};
