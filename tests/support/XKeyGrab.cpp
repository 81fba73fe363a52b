#include "XTestSupport.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace xtest {

bool escapeIsFree()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    static bool failed;
    failed = false;
    XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) {
        failed = true;
        return 0;
    });
    const KeyCode escape = XKeysymToKeycode(display, XK_Escape);
    XGrabKey(display, escape, 0, DefaultRootWindow(display), True, GrabModeAsync, GrabModeAsync);
    XSync(display, False);
    XUngrabKey(display, escape, 0, DefaultRootWindow(display));
    XSync(display, False);
    XSetErrorHandler(previous);
    XCloseDisplay(display);
    return !failed;
}

} // namespace xtest
