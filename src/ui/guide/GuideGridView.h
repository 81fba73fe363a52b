#pragma once

#include "core/guide/GuideGrid.h"
#include "core/guide/ProgrammeGuide.h"
#include "ui/guide/GuideGridCanvas.h"

#include <QObject>
#include <QPointer>
#include <QRect>

class ChannelNavigator;
class GuideGridWindow;
class MainWindow;
class PlaybackController;
class ReminderView;
class VideoArea;

// The guide's grid in the window: over the video and the list, on now and
// the channel playing, with the search of programmes; a cell plays its
// channel, watches its programme back or sets a reminder.
class GuideGridView final : public QObject {
    Q_OBJECT
public:
    struct Parts {
        MainWindow& window;
        const ChannelNavigator& channels;
        PlaybackController& playback;
        GuideLookup guide;
        ReminderView& reminders;
        VideoArea& video;
    };
    explicit GuideGridView(Parts parts);
    // The grid goes with it: it reads the guide while it shows.
    ~GuideGridView() override;

    // The key E, or the list heading's menu: the grid opens; again, it closes.
    void toggle();
    // Esc, whichever way it comes: true when the grid was open and is closed now.
    bool close();
    // What the guide knows changed: the grid showing draws it.
    void refresh();

private:
    GuideGridRows rows() const;
    QRect area() const;
    void act(const guidegrid::Cell& cell);
    void search(const QString& text);

    Parts parts_;
    QPointer<GuideGridWindow> grid_; // a window of its own over the main window
};
