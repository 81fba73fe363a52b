// A drag source for the tests: drops data on whatever X window lies under a
// screen point, through the XDND protocol, as a file manager would.
//
//   xdnd_drop X Y MIME DATA
//
// Exits 0 when the target accepted and finished the drop, 1 when it refused
// the drag, 2 on any other failure (no target, no answer in time).

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

Display* display = nullptr;
Window source = 0;

Atom atom(const char* name)
{
    return XInternAtom(display, name, False);
}

// The deepest window under the point that says it takes XDND, walking down
// from the root; XDND talks to the top-level (or the proxy) that is aware.
Window awareWindowAt(int x, int y)
{
    Window root = DefaultRootWindow(display);
    Window current = root;
    Window found = 0;
    for (;;) {
        Window child = 0;
        int cx = 0;
        int cy = 0;
        if (!XTranslateCoordinates(display, root, current, x, y, &cx, &cy, &child))
            return found;
        if (current != root) {
            Atom type = 0;
            int format = 0;
            unsigned long items = 0;
            unsigned long after = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(display, current, atom("XdndAware"), 0, 1, False, AnyPropertyType, &type,
                                   &format, &items, &after, &data) == Success &&
                data) {
                XFree(data);
                if (items > 0)
                    found = current;
            }
        }
        if (!child)
            return found;
        current = child;
    }
}

void send(Window target, const char* message, long l0, long l1, long l2, long l3, long l4)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = target;
    event.xclient.message_type = atom(message);
    event.xclient.format = 32;
    event.xclient.data.l[0] = l0;
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    event.xclient.data.l[3] = l3;
    event.xclient.data.l[4] = l4;
    XSendEvent(display, target, False, NoEventMask, &event);
    XFlush(display);
}

bool waitFor(int type, const char* message, XEvent& event, const std::string& mime, const std::string& data)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        while (XPending(display)) {
            XNextEvent(display, &event);
            if (event.type == SelectionRequest) {
                // The target asks for the data: hand it over in the form asked for.
                XSelectionRequestEvent& request = event.xselectionrequest;
                XEvent reply{};
                reply.xselection.type = SelectionNotify;
                reply.xselection.requestor = request.requestor;
                reply.xselection.selection = request.selection;
                reply.xselection.target = request.target;
                reply.xselection.time = request.time;
                reply.xselection.property = None;
                if (request.target == atom(mime.c_str())) {
                    XChangeProperty(display, request.requestor, request.property, request.target, 8, PropModeReplace,
                                    reinterpret_cast<const unsigned char*>(data.data()), int(data.size()));
                    reply.xselection.property = request.property;
                }
                XSendEvent(display, request.requestor, False, NoEventMask, &reply);
                XFlush(display);
                continue;
            }
            if (event.type == type && (type != ClientMessage || event.xclient.message_type == atom(message)))
                return true;
        }
        struct timespec pause {0, 5000000};
        nanosleep(&pause, nullptr);
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s X Y MIME DATA\n", argv[0]);
        return 2;
    }
    const int x = std::atoi(argv[1]);
    const int y = std::atoi(argv[2]);
    const std::string mime = argv[3];
    const std::string data = argv[4];
    display = XOpenDisplay(nullptr);
    if (!display)
        return 2;
    source = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(display, atom("XdndSelection"), source, CurrentTime);

    const Window target = awareWindowAt(x, y);
    if (!target) {
        std::fprintf(stderr, "no XDND-aware window at %d,%d\n", x, y);
        return 2;
    }
    const Atom type = atom(mime.c_str());
    // As a user would, drag in again a few times before taking a refusal: a
    // target may still be closing the previous drag when this one enters.
    XEvent event;
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (attempt > 0)
            send(target, "XdndLeave", long(source), 0, 0, 0, 0);
        send(target, "XdndEnter", long(source), 5L << 24, long(type), 0, 0);
        send(target, "XdndPosition", long(source), 0, (long(x) << 16) | long(y), CurrentTime,
             long(atom("XdndActionCopy")));
        if (!waitFor(ClientMessage, "XdndStatus", event, mime, data)) {
            std::fprintf(stderr, "no status from the target\n");
            return 2;
        }
        if (event.xclient.data.l[1] & 1)
            break;
        struct timespec pause {0, 100000000};
        nanosleep(&pause, nullptr);
    }
    if (!(event.xclient.data.l[1] & 1)) {
        send(target, "XdndLeave", long(source), 0, 0, 0, 0);
        return 1;
    }
    send(target, "XdndDrop", long(source), 0, CurrentTime, 0, 0);
    if (!waitFor(ClientMessage, "XdndFinished", event, mime, data)) {
        std::fprintf(stderr, "the target did not finish the drop\n");
        return 2;
    }
    XCloseDisplay(display);
    return 0;
}
