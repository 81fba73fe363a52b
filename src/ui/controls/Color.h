#pragma once

#include <QColor>
#include <QPalette>
#include <QtGlobal>

// A design colour: 24-bit RGB, or the marker kNoColor, which means "no colour"
// as a transparent colour and "the button-face colour" as a background colour.
using Rgb = quint32;

inline constexpr Rgb kNoColor = 0xFF000000u;

constexpr Rgb rgb(int r, int g, int b)
{
    return (Rgb(r & 0xFF) << 16) | (Rgb(g & 0xFF) << 8) | Rgb(b & 0xFF);
}

inline QColor toQColor(Rgb value)
{
    return QColor((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

// Background colour: the marker stands for the system's button face.
inline QColor backgroundColor(Rgb value, const QPalette& palette)
{
    return value == kNoColor ? palette.color(QPalette::Button) : toQColor(value);
}
