#pragma once

#include "core/guide/ProgrammeGuide.h"

#include <QObject>
#include <QPointer>

class ChannelNavigator;
class ListBox;
class MainWindow;
class PlaybackController;
class ProgrammeBanner;
class ProgrammeSchedule;
class ReminderView;
class ScheduledRecordings;
class VideoArea;

// What is on, as the window shows it: the banner over the video, a channel's
// schedule by day, and each list entry's tooltip with what is on now and next.
class ProgrammeView final : public QObject {
    Q_OBJECT
public:
    struct Parts {
        MainWindow& window;
        const ChannelNavigator& channels;
        PlaybackController& playback;
        GuideLookup guide;
        ReminderView& reminders;
        ScheduledRecordings* scheduled = nullptr;
        VideoArea& video;
    };
    explicit ProgrammeView(Parts parts);
    // The banner and the schedule go with it: they read the guide while they show.
    ~ProgrammeView() override;

    // The banner for an entry: after a channel change when the guide knows the
    // channel, on the key I whatever it knows (the name at least).
    void showBanner(int entry, bool evenWithoutGuide);
    // What the guide knows changed: a logo that came shows in the banner showing.
    void refreshBanner();
    // The key I: the banner of the channel playing, else of the selection.
    void showBannerOfWatched();
    // The key G, or the entry's menu: the schedule of the selected entry (else
    // of the channel playing) over the video area; again, it closes.
    void toggleSchedule();

private:
    int selectedOrWatched(bool watchedFirst) const;
    void makeSchedule();

    Parts parts_;
    ListBox& sources_;
    QPointer<ProgrammeBanner> banner_;
    QPointer<ProgrammeSchedule> schedule_;
};
