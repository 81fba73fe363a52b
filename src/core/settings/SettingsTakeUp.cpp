#include "core/settings/SettingsTakeUp.h"

#include "core/AppCore.h"

void takeUpSettings(AppCore& core)
{
    if (!core.isPlaying()) // the exit released what plays
        return;
    const UserSettings& settings = core.settings();
    PreopenMode mode = preopenModeFrom(settings.preopen());
    if (!core.session().canPreopen())
        mode = PreopenMode::Off;
    core.channels().setPreopen(mode);
    if (mode == PreopenMode::Off)
        core.session().dropPreopened();
    core.playback().setCachingMs(settings.cachingMs());
    core.playback().setTimeShiftBounds({std::int64_t(settings.timeShiftMinutes()) * 60 * 1000,
                                        std::int64_t(settings.timeShiftMegabytes()) << 20});
    if (std::vector<ListRef> lists = settings.lists(); lists != core.lists().lists())
        core.lists().replaceLists(std::move(lists));
    core.lists().refreshIntervalChanged();
    core.alternates().setKept(settings.firstAddresses());
    core.pictures().setKept(settings.pictures());
}
