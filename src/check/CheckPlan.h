#pragma once

#include "core/lists/ListChecker.h"

#include <QHash>
#include <QSet>

#include <vector>

// Which address of a check starts next: never more than the limits allow at
// once in all and per host, a server taking one connection one at a time, and
// none of a server that a channel played uses now.
class CheckPlan {
public:
    CheckPlan(std::vector<CheckTarget> targets, CheckLimits limits);

    const CheckTarget& target(int index) const { return targets_[size_t(index)]; }
    int total() const { return int(targets_.size()); }
    int done() const { return done_; }
    int running() const { return running_; }
    bool complete() const { return done_ == total(); }

    // The next target that may start now, counted as running; -1 when none may.
    int startNext();
    // A running target ended: answered, failed or dropped before its end
    // (`again`: it waits to be tried again).
    void ended(int index, bool again = false);
    void setServersInUse(const QStringList& servers) { inUse_ = QSet<QString>(servers.begin(), servers.end()); }
    bool isInUse(int index) const { return inUse_.contains(targets_[size_t(index)].server); }
    // Nothing runs and what waits all waits on a server in use: those are given up, counted as done.
    std::vector<int> giveUpIfOnlyBlocked();

private:
    enum class State { Waiting, Running, Done };
    bool mayStart(int index) const;

    std::vector<CheckTarget> targets_;
    std::vector<State> states_;
    CheckLimits limits_;
    QHash<QString, int> perHost_;
    QSet<QString> inUse_;
    int running_ = 0;
    int done_ = 0;
    int firstWaiting_ = 0; // no target before it waits
};
