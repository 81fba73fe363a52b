#pragma once

#include "app/Program.h"
#include "sources/PlaySource.h"
#include "ui/lists/ListLoadView.h"

#include <QStringList>

namespace bench {

// Shows a list of these names and addresses, as a list read from a file would be.
inline void showEntries(Program& program, const QStringList& names, const QStringList& addresses)
{
    PlaySourceFile file;
    for (qsizetype entry = 0; entry < names.size(); ++entry)
        file.entries.emplace_back(names.at(entry), addresses.value(entry));
    file.fillColumns();
    program.views().load->show(file, 0);
}

} // namespace bench
