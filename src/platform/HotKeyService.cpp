#include "HotKeyService.h"

#include "PlatformLog.h"

#include <QKeyEvent>

namespace {

// The Windows virtual-key codes the program uses, as Qt keys for the focus path.
int qtKeyFor(int virtualKey)
{
    if (virtualKey == 0x1B)
        return Qt::Key_Escape;
    if ((virtualKey >= '0' && virtualKey <= '9') || (virtualKey >= 'A' && virtualKey <= 'Z'))
        return virtualKey;
    if (virtualKey >= 0x70 && virtualKey <= 0x7B) // F1 … F12
        return Qt::Key_F1 + (virtualKey - 0x70);
    return 0;
}

Qt::KeyboardModifiers qtModifiersFor(int modifiers)
{
    Qt::KeyboardModifiers result;
    if (modifiers & HotKeyService::Ctrl)
        result |= Qt::ControlModifier;
    if (modifiers & HotKeyService::Shift)
        result |= Qt::ShiftModifier;
    if (modifiers & HotKeyService::Alt)
        result |= Qt::AltModifier;
    return result;
}

} // namespace

HotKeyService::~HotKeyService() = default;

int HotKeyService::Register(QObject& window, int modifiers, int virtualKey)
{
    if (window_ != &window) {
        if (window_)
            window_->removeEventFilter(this);
        window_ = &window;
        window.installEventFilter(this);
    }
    Key key{lastId_ + 1, modifiers, virtualKey, false};
    const bool taken = grab(key);
    // The focus path works either way; it reports the id the key got, or 0.
    key.grabbed = taken;
    if (taken)
        lastId_ = key.id;
    else
        key.id = 0;
    qCDebug(lcHotKey) << "key" << virtualKey << "with modifiers" << modifiers << (taken ? "registered as" : "not taken")
                      << key.id;
    keys_.push_back(key);
    return key.id;
}

bool HotKeyService::SetGrabbed(int id, bool grabbed)
{
    for (Key& key : keys_) {
        if (key.id != id || id == 0)
            continue;
        if (key.grabbed == grabbed)
            return true;
        if (grabbed) {
            key.grabbed = grab(key);
            if (!key.grabbed)
                qCInfo(lcHotKey) << "hot key" << id << "is held by another application";
            return key.grabbed;
        }
        ungrab(key);
        key.grabbed = false;
        return true;
    }
    return false;
}

const HotKeyService::Key* HotKeyService::findKey(int id) const
{
    for (const Key& key : keys_)
        if (key.id == id && id != 0)
            return &key;
    return nullptr;
}

void HotKeyService::deliver(const Key& key)
{
    if (key.id >= kFirstId && key.id <= lastId_)
        emit pressed(key.id, 0);
}

bool HotKeyService::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != window_ || event->type() != QEvent::KeyPress)
        return false;
    const auto* press = static_cast<QKeyEvent*>(event);
    for (const Key& key : keys_) {
        if (key.grabbed) // a held key comes through the platform, not the focus
            continue;
        const Qt::KeyboardModifiers mods = press->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
        if (press->key() == qtKeyFor(key.virtualKey) && mods == qtModifiersFor(key.modifiers)) {
            emit pressed(key.id, 0);
            return true;
        }
    }
    return false;
}
