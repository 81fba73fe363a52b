#pragma once

#include <QString>

// One of the user's lists: the name shown in the menu and the address it is
// read from (a path, file:// or http(s)://, with "|" headers as written).
struct ListRef {
    QString name;
    QString address;
    bool operator==(const ListRef&) const = default;
};
