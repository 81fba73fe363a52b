// System-wide hot keys on X11: a passive grab of the key on the root window,
// once for every combination of the lock modifiers (Caps Lock, Num Lock,
// Scroll Lock), so that the key works whatever locks are on. Presses come back
// through a native event filter on the window's thread.

#include "HotKeyService.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>

#include <vector>

namespace {

KeySym keySymFor(int virtualKey)
{
    if (virtualKey == 0x1B)
        return XK_Escape;
    if (virtualKey >= '0' && virtualKey <= '9')
        return XK_0 + (virtualKey - '0');
    if (virtualKey >= 'A' && virtualKey <= 'Z')
        return XK_a + (virtualKey - 'A');
    if (virtualKey >= 0x70 && virtualKey <= 0x7B)
        return XK_F1 + (virtualKey - 0x70);
    return NoSymbol;
}

// The modifier bit a lock key sits on, looked up in the server's modifier map.
unsigned modifierMaskOf(Display* display, KeySym lockKey)
{
    const KeyCode code = XKeysymToKeycode(display, lockKey);
    if (code == 0)
        return 0;
    XModifierKeymap* map = XGetModifierMapping(display);
    if (!map)
        return 0;
    unsigned mask = 0;
    for (int modifier = 0; modifier < 8 && !mask; ++modifier)
        for (int k = 0; k < map->max_keypermod; ++k)
            if (map->modifiermap[modifier * map->max_keypermod + k] == code)
                mask = 1u << modifier;
    XFreeModifiermap(map);
    return mask;
}

class X11HotKeyService final : public HotKeyService, public QAbstractNativeEventFilter {
public:
    X11HotKeyService()
    {
        auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        if (x11) {
            display_ = x11->display();
            connection_ = x11->connection();
        }
        if (connection_)
            QCoreApplication::instance()->installNativeEventFilter(this);
    }

    ~X11HotKeyService() override
    {
        for (const Key& key : keys())
            if (key.grabbed)
                ungrab(key);
        if (connection_)
            QCoreApplication::instance()->removeNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        auto* event = static_cast<xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7F) != XCB_KEY_PRESS)
            return false;
        auto* press = reinterpret_cast<xcb_key_press_event_t*>(event);
        if (press->event != root())
            return false;
        const unsigned state = press->state & ~lockMasks() & 0xFF;
        for (const Key& key : keys()) {
            if (key.grabbed && press->detail == keyCode(key) && state == modifierMask(key.modifiers)) {
                deliver(key);
                return true;
            }
        }
        return false;
    }

protected:
    bool grab(const Key& key) override
    {
        const KeyCode code = keyCode(key);
        if (!connection_ || code == 0)
            return false;
        std::vector<xcb_void_cookie_t> cookies;
        for (unsigned locks : lockCombinations())
            cookies.push_back(xcb_grab_key_checked(connection_, 1, root(), uint16_t(modifierMask(key.modifiers) | locks),
                                                   code, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        bool all = true;
        for (const xcb_void_cookie_t& cookie : cookies) {
            if (xcb_generic_error_t* error = xcb_request_check(connection_, cookie)) {
                all = false; // BadAccess: another client holds this key
                free(error);
            }
        }
        if (!all)
            ungrab(key);
        return all;
    }

    void ungrab(const Key& key) override
    {
        const KeyCode code = keyCode(key);
        if (!connection_ || code == 0)
            return;
        for (unsigned locks : lockCombinations())
            xcb_ungrab_key(connection_, code, root(), uint16_t(modifierMask(key.modifiers) | locks));
        xcb_flush(connection_);
    }

private:
    xcb_window_t root() const
    {
        return xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    }

    KeyCode keyCode(const Key& key) const
    {
        const KeySym symbol = keySymFor(key.virtualKey);
        return display_ && symbol != NoSymbol ? XKeysymToKeycode(display_, symbol) : 0;
    }

    static unsigned modifierMask(int modifiers)
    {
        unsigned mask = 0;
        if (modifiers & Ctrl)
            mask |= ControlMask;
        if (modifiers & Shift)
            mask |= ShiftMask;
        if (modifiers & Alt)
            mask |= Mod1Mask;
        return mask;
    }

    unsigned lockMasks() const
    {
        return LockMask | modifierMaskOf(display_, XK_Num_Lock) | modifierMaskOf(display_, XK_Scroll_Lock);
    }

    // Every subset of the lock modifiers present on this server.
    std::vector<unsigned> lockCombinations() const
    {
        const unsigned locks[] = {LockMask, modifierMaskOf(display_, XK_Num_Lock),
                                  modifierMaskOf(display_, XK_Scroll_Lock)};
        std::vector<unsigned> combinations{0};
        for (unsigned lock : locks) {
            if (lock == 0)
                continue;
            const size_t count = combinations.size();
            for (size_t i = 0; i < count; ++i)
                if (!(combinations[i] & lock))
                    combinations.push_back(combinations[i] | lock);
        }
        return combinations;
    }

    Display* display_ = nullptr;
    xcb_connection_t* connection_ = nullptr;
};

} // namespace

std::unique_ptr<HotKeyService> HotKeyService::create()
{
    return std::make_unique<X11HotKeyService>();
}
