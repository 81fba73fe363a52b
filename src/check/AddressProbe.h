#pragma once

#include "core/lists/ListChecker.h"

#include <QObject>

#include <functional>
#include <memory>

// One try of one address. It reports once, through done(); destroying it
// drops the connection it holds.
class AddressProbe : public QObject {
    Q_OBJECT
public:
    virtual void start() = 0;

signals:
    void done(const AddressCheck& found);
};

using ProbeFactory = std::function<std::unique_ptr<AddressProbe>(const CheckTarget& target)>;
