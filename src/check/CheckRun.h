#pragma once

#include "AddressProbe.h"
#include "CheckPlan.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <map>
#include <memory>

// A check under way, on the thread it lives on: starts the tries the plan
// allows, gives each its time and reports what each found.
class CheckRun final : public QObject {
    Q_OBJECT
public:
    CheckRun(std::vector<CheckTarget> targets, CheckLimits limits, ProbeFactory makeProbe);
    ~CheckRun() override;

    void start();
    // The tries under way are dropped; finished() follows.
    void stop();
    void setServersInUse(const QStringList& servers);
    const CheckPlan& plan() const { return plan_; }

signals:
    void checked(int target, const AddressCheck& found);
    void finished();

private:
    struct Try {
        std::unique_ptr<AddressProbe> probe;
        std::unique_ptr<QTimer> timer;
        std::uint64_t serial = 0; // a late answer of an earlier try of the target is not this one's
    };
    void fill();
    void end(int target, std::uint64_t serial, const AddressCheck& found);
    void finishIfDone();

    CheckPlan plan_;
    CheckLimits limits_;
    ProbeFactory makeProbe_;
    std::map<int, Try> running_;
    bool finished_ = false;
    std::uint64_t serial_ = 0;
};
