// ALSA's error handler, set through the library that the audio output loads
// later: the same libasound.so.2, opened here first and kept open.

#include "SoundLog.h"

#include "PlatformLog.h"

#include <cstdarg>
#include <cstdio>

#include <dlfcn.h>

namespace {

// From <alsa/error.h>, which only the development package carries.
using ErrorHandler = void (*)(const char* file, int line, const char* function, int error, const char* format, ...);
using SetErrorHandler = int (*)(ErrorHandler handler);

void toLog(const char* file, int line, const char* function, int, const char* format, ...)
{
    if (!lcSound().isWarningEnabled())
        return;
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    qCWarning(lcSound, "alsa %s:%d (%s): %s", file, line, function, text);
}

} // namespace

void routeSoundLibraryMessagesToLog()
{
    static void* const library = dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
    if (!library)
        return;
    if (auto set = reinterpret_cast<SetErrorHandler>(dlsym(library, "snd_lib_error_set_handler")))
        set(&toLog);
}
