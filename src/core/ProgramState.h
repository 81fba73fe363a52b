#pragma once

#include "AlternateOrder.h"
#include "ChannelNavigator.h"
#include "ListChecker.h"
#include "PictureChoices.h"
#include "ProgrammeGuide.h"
#include "UserSettings.h"
#include "VolumeState.h"
#include "engine/PlaybackSession.h"
#include "platform/HotKeyService.h"
#include "platform/SharedLibrary.h"
#include "sources/PlaySourceLoader.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// Program-wide state: created at start, released by the exit routine.
struct ProgramState {
    QString programFolder; // the running executable's folder, no trailing separator
    // Owns the players (the one made at start, one to switch channels on and
    // one to open channels ahead), plays and stops through them off the
    // window's thread; the volume goes through it.
    std::unique_ptr<PlaybackSession> playback;
    std::unique_ptr<PlaySourceLoader> sources; // reads play-source files off the window's thread
    std::unique_ptr<HotKeyService> hotKeys;
    std::unique_ptr<UserSettings> settings;
    std::optional<VolumeState> volume; // from the window's start on
    ChannelNavigator channels; // the list shown, what plays and what is opened ahead
    AlternateOrder alternates; // which address of a channel is tried first
    PictureChoices pictures;   // each channel's picture shape and deinterlacing
    // The programme guide's module and the guide it made, once the window has
    // been painted; the guide goes before its module.
    std::shared_ptr<SharedLibrary> guideModule;
    std::unique_ptr<ProgrammeGuide> guide;
    // A past programme that plays in place of its channel's live stream.
    struct WatchingBack {
        int entry = -1;
        Programme programme; // with its end
        qint64 fromSecond = 0; // where in the programme the address played begins
    };
    std::optional<WatchingBack> watchingBack;
    // The list check's module and checker, from the first check on; the checker goes first.
    std::shared_ptr<SharedLibrary> checkModule;
    std::unique_ptr<ListChecker> checker;
    // A check of the list under way: what it tries, and how far it is.
    struct ListCheck {
        std::vector<CheckTarget> targets;
        int done = 0;
    };
    std::optional<ListCheck> listCheck;
    int escapeHotKey = 0; // its id, or 0 when Esc could not be registered
    int CachingMs = 0;
    QString CurrentAddress;
};
