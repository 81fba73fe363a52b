#pragma once

#include "core/guide/ProgrammeGuide.h"
#include "core/guide/Reminders.h"
#include "core/lists/ChannelNavigator.h"
#include "core/lists/ListChecker.h"
#include "core/lists/ListCheckTargets.h"
#include "core/lists/ListLibrary.h"
#include "core/playback/AlternateOrder.h"
#include "core/playback/PictureChoices.h"
#include "core/playback/PlaybackController.h"
#include "core/playback/PreopenScheduler.h"
#include "core/recording/RecordingPlans.h"
#include "core/recording/ScheduledRecordings.h"
#include "core/settings/UserSettings.h"
#include "engine/PlaybackSession.h"
#include "sources/PlaySourceLoader.h"

#include <memory>
#include <optional>

class Program;

// The application core: what the window draws and passes requests to. Each
// piece of state has its owner here, and is handed out as a reference to the
// service that owns it. The program makes them at start, in the order they
// need one another, and releases them at exit (the guide and the checker
// before their modules, what plays before the players); the guide and the
// checker, made later by their modules, are handed out as pointers, null
// before.
class AppCore {
public:
    UserSettings& settings() { return *settings_; }
    const UserSettings& settings() const { return *settings_; }
    PlaySourceLoader& sources() { return *sources_; }        // reads list files off the window's thread
    ListLibrary& lists() { return *lists_; }                   // the user's lists, which one shows, its refresh
    ChannelNavigator& channels() { return channels_; }         // the list shown, the history, which way a change goes
    AlternateOrder& alternates() { return alternates_; }       // which address of a channel is tried first
    PictureChoices& pictures() { return pictures_; }           // each channel's picture shape and deinterlacing
    Reminders& reminders() { return reminders_; }              // programmes to be told of before they start
    // Owns the players (the one made at start, one to switch channels on and
    // one to open channels ahead), plays and stops through them off the
    // window's thread.
    PlaybackSession& session() { return *session_; }
    PlaybackController& playback() { return *playback_; }      // what plays, when, and what follows it
    PreopenScheduler& preopen() { return *preopen_; }          // what is opened ahead besides the next channel
    RecordingPlans& recordingPlans() { return recordingPlans_; } // programmes to be recorded, from the schedule
    ScheduledRecordings& scheduled() { return *scheduled_; }   // records them at their times
    // What plays is still there: false once the exit released it.
    bool isPlaying() const { return playback_ != nullptr; }

    // Made by their modules once they are opened; none before, and none after the exit.
    ProgrammeGuide* guide() const { return guide_.get(); }
    void setGuide(std::unique_ptr<ProgrammeGuide> guide);
    ListChecker* checker() const { return checker_.get(); }
    void setChecker(std::unique_ptr<ListChecker> checker) { checker_ = std::move(checker); }
    // A check of the list under way.
    std::optional<ListCheckProgress>& listCheck() { return listCheck_; }

private:
    friend class Program; // makes them in order, and releases them in order

    std::unique_ptr<UserSettings> settings_;
    std::unique_ptr<PlaySourceLoader> sources_;
    std::unique_ptr<ListLibrary> lists_;
    ChannelNavigator channels_;
    AlternateOrder alternates_;
    PictureChoices pictures_;
    Reminders reminders_;
    std::unique_ptr<PlaybackSession> session_;
    std::unique_ptr<PlaybackController> playback_;
    std::unique_ptr<PreopenScheduler> preopen_;
    RecordingPlans recordingPlans_;
    std::unique_ptr<ScheduledRecordings> scheduled_;
    std::unique_ptr<ProgrammeGuide> guide_;
    std::unique_ptr<ListChecker> checker_;
    std::optional<ListCheckProgress> listCheck_;
};

inline void AppCore::setGuide(std::unique_ptr<ProgrammeGuide> guide)
{
    guide_ = std::move(guide);
    if (playback_)
        playback_->setGuide(guide_.get());
}
