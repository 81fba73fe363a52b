#pragma once

#include "core/lists/ChannelKey.h"

#include <QString>

#include <vector>

// A programme the user asked to be recorded: its channel by name and address,
// the programme by its times and title.
struct RecordingPlan {
    ChannelKey channel;
    qint64 start = 0; // seconds since 1970 UTC
    qint64 stop = 0;
    QString title;
    bool operator==(const RecordingPlan&) const = default;
};

// The programmes planned to be recorded, by start. A plan records from
// `before` minutes ahead of its start to `after` minutes past its end.
class RecordingPlans {
public:
    struct Padding {
        int beforeMinutes = 2;
        int afterMinutes = 5;
    };

    // Those kept from an earlier run; one that ended while the program was
    // not running is dropped, with a log line.
    void setKept(std::vector<RecordingPlan> kept, qint64 now, Padding padding);
    const std::vector<RecordingPlan>& kept() const { return kept_; }

    bool has(const ChannelKey& channel, qint64 start) const;
    // Plans it, or drops the plan when there was one; true when it is planned now.
    bool toggle(const RecordingPlan& plan);
    void remove(const RecordingPlan& plan);

    qint64 from(const RecordingPlan& plan, Padding padding) const;
    qint64 to(const RecordingPlan& plan, Padding padding) const;
    // Those whose padded span holds `now`.
    std::vector<RecordingPlan> due(qint64 now, Padding padding) const;
    // Those whose padded span ended by `now`.
    std::vector<RecordingPlan> over(qint64 now, Padding padding) const;
    // When the next plan starts or ends after `now`; 0 when none is planned.
    qint64 nextChange(qint64 now, Padding padding) const;

private:
    std::vector<RecordingPlan> kept_; // by start
};
