#include "core/playback/PreopenScheduler.h"

#include "core/lists/ChannelNavigator.h"
#include "core/playback/PlaybackController.h"
#include "core/settings/UserSettings.h"

PreopenScheduler::PreopenScheduler(PlaybackController& controller, ChannelNavigator& channels, UserSettings* settings,
                                   TimeSource& time, QObject* parent)
    : QObject(parent), controller_(controller), channels_(channels), settings_(settings),
      rest_(time.timer([this] { rested(); })), startKept_(time.timer([this] {
          if (!chosen_)
              controller_.stop();
      }))
{
    connect(&controller_, &PlaybackController::stateChanged, this, [this] {
        chosen_ = chosen_ || controller_.nowPlaying().generation != 0;
    });
}

PreopenScheduler::~PreopenScheduler() = default;

void PreopenScheduler::selectionMoved(int selected)
{
    resting_ = selected;
    if (channels_.preopen() == PreopenMode::NextAndSelection)
        rest_->start(kRest);
}

void PreopenScheduler::filterMatched(int firstShown)
{
    if (firstShown < 0)
        return;
    resting_ = firstShown;
    rest_->start(kRest);
}

void PreopenScheduler::digitsTyped(int entry)
{
    controller_.preopen(channels_.restingToPreopen(entry));
}

void PreopenScheduler::rested()
{
    controller_.preopen(channels_.restingToPreopen(resting_));
}

void PreopenScheduler::startListShown(int selected)
{
    if (painted_)
        atStart(selected);
}

void PreopenScheduler::windowPainted(int selected)
{
    painted_ = true;
    atStart(selected);
}

void PreopenScheduler::atStart(int selected)
{
    if (controller_.nowPlaying().generation != 0)
        return;
    const ChannelList& list = channels_.list();
    // "start=last": the channel played last (selected at start) plays at once.
    if (settings_ && settings_->startsPlaying()) {
        if (list.contains(selected) && !list.isHeading(selected))
            controller_.playEntry(selected);
        return;
    }
    const int entry = channels_.restingToPreopen(selected);
    if (entry < 0 || controller_.entryAlternates(entry).empty())
        return;
    controller_.preopenBeforeAnyChoice(entry);
    startKept_->start(kStartKept);
}
