#pragma once

#include <QStringList>

// A list's entries as the file writes them: names and addresses, one for one.
struct ListColumns {
    QStringList names;
    QStringList written;
};

// What a refresh changed, counted by channel (name and address as written);
// group headings are no channels.
struct ListChanges {
    int added = 0;
    int removed = 0;
};

ListChanges countListChanges(const ListColumns& before, const ListColumns& after);
