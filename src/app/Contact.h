#pragma once

#include <QString>

// How to reach the maker.
namespace contact {

inline QString pageAddress() { return QStringLiteral("https://clipvane.example.com/contact"); }

} // namespace contact
