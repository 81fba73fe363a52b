#pragma once

#include "MediaPlayer.h"

#include <vector>

struct libvlc_event_manager_t;
struct libvlc_event_t;

// A listener attached to a media player's libvlc events for as long as this
// object lives. libvlc runs callbacks under its event manager's lock, so once
// the destructor has detached them none is running, and none comes later.
class VlcEventSubscription final : public MediaPlayer::Subscription {
public:
    VlcEventSubscription(libvlc_event_manager_t* events, MediaPlayer::EventListener listener);
    ~VlcEventSubscription() override;
    VlcEventSubscription(const VlcEventSubscription&) = delete;
    VlcEventSubscription& operator=(const VlcEventSubscription&) = delete;

private:
    static void onEvent(const libvlc_event_t* event, void* self);

    libvlc_event_manager_t* events_;
    MediaPlayer::EventListener listener_;
    std::vector<int> attached_;
};
