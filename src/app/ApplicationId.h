#pragma once

#include <QString>

// The application's reverse-DNS id, set once in the build: the name of its
// desktop entry, of its icon in the icon theme and of its AppStream component.
inline QString applicationId()
{
    return QStringLiteral(CLIPVANE_APP_ID);
}
