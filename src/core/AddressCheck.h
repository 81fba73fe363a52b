#pragma once

#include <QMetaType>
#include <QString>

// What a check of one address found: it answered, or why not ("连接被拒绝",
// "超时", "404", …).
struct AddressCheck {
    bool answered = false;
    QString reason;
};

Q_DECLARE_METATYPE(AddressCheck)
