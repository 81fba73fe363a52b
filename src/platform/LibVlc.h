#pragma once

#include <QString>

#include <vlc/vlc.h>

// libvlc is opened by name the first time one of its functions is needed, and
// each function is looked up by name on its first call. A missing library or
// function is fatal: the handler the program set is called (the window's side
// shows the runtime error box and ends the program with exit code -1).
//
//     LIBVLC(libvlc_media_player_play)(player);
//
// Only the declarations of <vlc/vlc.h> are used; the program does not link libvlc.
namespace libvlc {

// Called with the message when libvlc or one of its functions is missing; it
// does not return. Until one is set, the message goes to stderr and the
// program ends with exit code -1.
using FatalHandler = void (*)(const QString& message);
void setFatalHandler(FatalHandler handler);

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
