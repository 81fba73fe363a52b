#include "core/recording/RecordingPlans.h"

#include "core/CoreLog.h"
#include "core/recording/Recording.h"

#include <algorithm>

namespace {

bool same(const RecordingPlan& a, const RecordingPlan& b)
{
    return a.start == b.start && a.channel == b.channel;
}

recording::Span spanOf(const RecordingPlan& plan, RecordingPlans::Padding padding)
{
    return recording::spanOf({plan.start, plan.stop, plan.title, {}}, padding.beforeMinutes, padding.afterMinutes);
}

} // namespace

void RecordingPlans::setKept(std::vector<RecordingPlan> kept, qint64 now, Padding padding)
{
    std::erase_if(kept, [&](const RecordingPlan& plan) {
        if (spanOf(plan, padding).to > now)
            return false;
        qCWarning(lcTimeShift) << "the recording of" << plan.title << "on" << plan.channel.name
                               << "was missed while the program was not running; dropped";
        return true;
    });
    std::stable_sort(kept.begin(), kept.end(), [](const RecordingPlan& a, const RecordingPlan& b) { return a.start < b.start; });
    kept_ = std::move(kept);
}

bool RecordingPlans::has(const ChannelKey& channel, qint64 start) const
{
    return std::any_of(kept_.begin(), kept_.end(),
                       [&](const RecordingPlan& plan) { return plan.start == start && plan.channel == channel; });
}

bool RecordingPlans::toggle(const RecordingPlan& plan)
{
    if (has(plan.channel, plan.start)) {
        remove(plan);
        return false;
    }
    const auto at = std::upper_bound(kept_.begin(), kept_.end(), plan,
                                     [](const RecordingPlan& a, const RecordingPlan& b) { return a.start < b.start; });
    kept_.insert(at, plan);
    return true;
}

void RecordingPlans::remove(const RecordingPlan& plan)
{
    std::erase_if(kept_, [&](const RecordingPlan& kept) { return same(kept, plan); });
}

qint64 RecordingPlans::from(const RecordingPlan& plan, Padding padding) const
{
    return spanOf(plan, padding).from;
}

qint64 RecordingPlans::to(const RecordingPlan& plan, Padding padding) const
{
    return spanOf(plan, padding).to;
}

std::vector<RecordingPlan> RecordingPlans::due(qint64 now, Padding padding) const
{
    std::vector<RecordingPlan> due;
    for (const RecordingPlan& plan : kept_) {
        const recording::Span span = spanOf(plan, padding);
        if (span.from <= now && now < span.to)
            due.push_back(plan);
    }
    return due;
}

std::vector<RecordingPlan> RecordingPlans::over(qint64 now, Padding padding) const
{
    std::vector<RecordingPlan> over;
    for (const RecordingPlan& plan : kept_) {
        if (spanOf(plan, padding).to <= now)
            over.push_back(plan);
    }
    return over;
}

qint64 RecordingPlans::nextChange(qint64 now, Padding padding) const
{
    qint64 next = 0;
    for (const RecordingPlan& plan : kept_) {
        const recording::Span span = spanOf(plan, padding);
        for (const qint64 moment : {span.from, span.to}) {
            if (moment > now && (next == 0 || moment < next))
                next = moment;
        }
    }
    return next;
}
