#pragma once

#include <QString>

// Which channels are opened ahead: none, the next one after a choice, or
// that and the entry the selection rests on (the default).
enum class PreopenMode { Off, Next, NextAndSelection };

// The setting as written in the config file: "off", "next", anything else the default.
inline PreopenMode preopenModeFrom(const QString& setting)
{
    if (setting == QLatin1String("off"))
        return PreopenMode::Off;
    if (setting == QLatin1String("next"))
        return PreopenMode::Next;
    return PreopenMode::NextAndSelection;
}
