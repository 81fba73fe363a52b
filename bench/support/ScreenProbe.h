#pragma once

// Reads single pixels of the X screen through a connection of its own, so a
// benchmark sees what the server shows and not what a toolkit believes.

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <thread>

namespace bench {

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool near(Rgb other, int tolerance = 48) const
    {
        return std::abs(r - other.r) <= tolerance && std::abs(g - other.g) <= tolerance &&
               std::abs(b - other.b) <= tolerance;
    }
};

inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kBlue{0, 0, 255};
inline constexpr Rgb kBarGreen{50, 177, 108};

inline constexpr std::chrono::microseconds kPollRest{500};

class ScreenProbe {
public:
    ScreenProbe() : display_(XOpenDisplay(nullptr)) {}
    ~ScreenProbe()
    {
        if (display_)
            XCloseDisplay(display_);
    }
    ScreenProbe(const ScreenProbe&) = delete;
    ScreenProbe& operator=(const ScreenProbe&) = delete;

    bool ok() const { return display_ != nullptr; }

    Rgb pixel(int x, int y) const
    {
        XImage* image = XGetImage(display_, DefaultRootWindow(display_), x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image)
            return {};
        const unsigned long value = XGetPixel(image, 0, 0);
        XDestroyImage(image);
        return {int((value >> 16) & 0xFF), int((value >> 8) & 0xFF), int(value & 0xFF)};
    }

    // Milliseconds from start until the pixel looks like wanted; -1 on time-out.
    // idle runs between polls (a toolkit's event loop, say). The probe rests a
    // little between polls: polling flat out keeps one core and the X server
    // busy, which on a small machine slows the subject it measures.
    double waitFor(int x, int y, Rgb wanted, std::chrono::steady_clock::time_point start,
                   const std::function<void()>& idle = {}, std::chrono::milliseconds timeout = std::chrono::seconds(20)) const
    {
        for (;;) {
            const auto now = std::chrono::steady_clock::now();
            if (pixel(x, y).near(wanted))
                return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            if (now - start > timeout)
                return -1;
            if (idle)
                idle();
            std::this_thread::sleep_for(kPollRest);
        }
    }

private:
    Display* display_;
};

// A plain black X11 window where the player's video area stands on a 1920 x 1080
// screen, mapped and exposed when this returns.
inline constexpr int kVideoLeft = 609, kVideoTop = 364, kVideoWidth = 557, kVideoHeight = 344;

inline Window openVideoWindow(Display* display)
{
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), kVideoLeft, kVideoTop, kVideoWidth,
                                              kVideoHeight, 0, 0, 0);
    XSelectInput(display, window, ExposureMask);
    XMapWindow(display, window);
    XEvent event;
    XWindowEvent(display, window, ExposureMask, &event);
    return window;
}

inline double millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

} // namespace bench
