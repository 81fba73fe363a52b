#pragma once

#include "sources/PlaySource.h"
#include "ui/PlaySourceHandlers.h"

#include <QStringList>

namespace bench {

// Shows a list of these names and addresses, as a list read from a file would be.
inline void showEntries(HandlerContext& context, const QStringList& names, const QStringList& addresses)
{
    PlaySourceFile file;
    for (qsizetype entry = 0; entry < names.size(); ++entry)
        file.entries.emplace_back(names.at(entry), addresses.value(entry));
    file.fillColumns();
    ShowPlaySources(context, file, 0);
}

} // namespace bench
