#pragma once

#include "core/AppCore.h"
#include "platform/HotKeyService.h"
#include "platform/SharedLibrary.h"

#include <QString>

#include <memory>

// What the program holds from start to exit: its folder, the Esc hot key,
// the modules opened after start, and the application core. The core goes
// first at exit (the guide and the checker before their modules).
struct ProgramState {
    QString programFolder; // the running executable's folder, no trailing separator
    std::unique_ptr<HotKeyService> hotKeys;
    int escapeHotKey = 0; // its id, or 0 when Esc could not be registered
    // The programme guide's and the list check's modules, once opened.
    std::shared_ptr<SharedLibrary> guideModule;
    std::shared_ptr<SharedLibrary> checkModule;
    AppCore core;
    QString listGiven; // on the command line: a path, file:// or an address
};
