#pragma once

#include "core/lists/ListChecker.h"

#include <QObject>
#include <QThread>

#include <memory>

class CheckRun;
class QNetworkAccessManager;

// The module's checker: each check runs on a thread of its own with its own
// network access; what it finds comes back to the thread that started it.
class ListCheckService final : public QObject, public ListChecker {
    Q_OBJECT
public:
    ListCheckService();
    ~ListCheckService() override;

    void start(std::vector<CheckTarget> targets, CheckLimits limits, std::function<void(int, AddressCheck)> checked,
               std::function<void()> finished) override;
    void stop() override;
    void setServersInUse(const QStringList& servers) override;

private:
    void end();

    QThread thread_;
    // Live on the thread; deleted there.
    CheckRun* run_ = nullptr;
    QNetworkAccessManager* network_ = nullptr;
    QStringList inUse_;
    std::function<void()> finished_;
};
