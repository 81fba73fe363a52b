#pragma once

#include <QString>

// How to reach the maker.
namespace contact {

inline QString pageAddress() { return QStringLiteral("https://clipvane.example.com/contact"); }
inline QString tipText() { return QStringLiteral("联系我们：") + pageAddress(); }

} // namespace contact
