#pragma once

#include <vlc/vlc.h>

// libvlc is opened by name the first time one of its functions is needed, and
// each function is looked up by name on its first call. A missing library or
// function shows the runtime error box and ends the program (exit code -1).
//
//     LIBVLC(libvlc_media_player_play)(player);
//
// Only the declarations of <vlc/vlc.h> are used; the program does not link libvlc.
namespace libvlc {

// The library's file name: libvlc.so.5, or $CLIPVANE_LIBVLC when it is set.
const char* libraryName();
void* resolve(const char* function);
// Whether the library has the function; reports nothing either way (a missing
// library is still reported, as by resolve).
bool provides(const char* function);

} // namespace libvlc

#define LIBVLC(function)                                                                                     \
    ([]() -> decltype(&::function) {                                                                         \
        static const auto address = reinterpret_cast<decltype(&::function)>(::libvlc::resolve(#function)); \
        return address;                                                                                      \
    }())
