#pragma once

#include <QObject>
#include <QPointer>

class LiveControl;
class MainWindow;
class RecordingMark;
class ScheduledRecordings;
class VideoArea;

// The recording of the channel watched as the window shows it: the mark over
// the video while it records, a word when it ended or could not start
// without the user asking, and the question when a planned recording would
// need the one connection the channel watched holds.
class RecordingView final : public QObject {
    Q_OBJECT
public:
    RecordingView(MainWindow& window, LiveControl& live, ScheduledRecordings* scheduled, VideoArea& video);
    // The mark goes with it: it reads the recording while it shows.
    ~RecordingView() override;

private:
    QPointer<RecordingMark> mark_; // a window of its own over the main window
};
