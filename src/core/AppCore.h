#pragma once

#include "core/playback/AlternateOrder.h"
#include "core/lists/ChannelNavigator.h"
#include "core/lists/ListChecker.h"
#include "core/lists/ListLibrary.h"
#include "core/playback/PictureChoices.h"
#include "core/playback/PlaybackController.h"
#include "core/playback/PreopenScheduler.h"
#include "core/guide/ProgrammeGuide.h"
#include "core/recording/RecordingPlans.h"
#include "core/recording/ScheduledRecordings.h"
#include "core/guide/Reminders.h"
#include "core/settings/UserSettings.h"
#include "engine/PlaybackSession.h"
#include "sources/PlaySourceLoader.h"

#include <memory>
#include <optional>
#include <vector>

// The application core: what the window draws and passes requests to. Each
// piece of state has its owner here; the program makes them at start and
// releases them at exit, the guide and the checker before their modules.
struct AppCore {
    std::unique_ptr<UserSettings> settings;
    std::unique_ptr<PlaySourceLoader> sources; // reads play-source files off the window's thread
    std::unique_ptr<ListLibrary> lists;        // the user's lists, which one shows, its refresh
    ChannelNavigator channels; // the list shown, the history, which way a change goes
    AlternateOrder alternates; // which address of a channel is tried first
    PictureChoices pictures;   // each channel's picture shape and deinterlacing
    Reminders reminders;       // programmes to be told of before they start
    // Owns the players (the one made at start, one to switch channels on and
    // one to open channels ahead), plays and stops through them off the
    // window's thread.
    std::unique_ptr<PlaybackSession> session;
    std::unique_ptr<PlaybackController> playback; // what plays, when, and what follows it
    std::unique_ptr<PreopenScheduler> preopen;    // what is opened ahead besides the next channel
    RecordingPlans recordingPlans;                // programmes to be recorded, from the schedule
    std::unique_ptr<ScheduledRecordings> scheduled; // records them at their times
    // Made by their modules once they are opened; none before.
    std::unique_ptr<ProgrammeGuide> guide;
    std::unique_ptr<ListChecker> checker;
    std::optional<ListCheckProgress> listCheck; // a check of the list under way
};
