#include "GuideIndex.h"

#include <algorithm>

std::shared_ptr<const GuideIndex::Programmes> GuideIndex::arrange(Programmes programmes)
{
    std::stable_sort(programmes.begin(), programmes.end(),
                     [](const Programme& a, const Programme& b) { return a.start < b.start; });
    for (size_t i = 0; i < programmes.size(); ++i) {
        Programme& programme = programmes[i];
        if (programme.stop <= programme.start)
            programme.stop = i + 1 < programmes.size() ? programmes[i + 1].start : programme.start;
    }
    return std::make_shared<const Programmes>(std::move(programmes));
}

void GuideIndex::set(int entry, std::shared_ptr<const Programmes> programmes)
{
    if (entry >= 0 && size_t(entry) < entries_.size())
        entries_[size_t(entry)] = std::move(programmes);
}

ProgrammeNowNext GuideIndex::nowNext(int entry, qint64 now) const
{
    ProgrammeNowNext answer;
    if (entry < 0 || size_t(entry) >= entries_.size() || !entries_[size_t(entry)])
        return answer;
    const Programmes& programmes = *entries_[size_t(entry)];
    // The first that starts after now; the one before it is on if it has not ended.
    const auto later = std::upper_bound(programmes.begin(), programmes.end(), now,
                                        [](qint64 time, const Programme& programme) { return time < programme.start; });
    if (later != programmes.begin() && std::prev(later)->stop > now)
        answer.now = *std::prev(later);
    if (later != programmes.end())
        answer.next = *later;
    return answer;
}

GuideIndex::Programmes GuideIndex::programmes(int entry) const
{
    if (entry < 0 || size_t(entry) >= entries_.size() || !entries_[size_t(entry)])
        return {};
    return *entries_[size_t(entry)];
}

int GuideIndex::matchedEntries() const
{
    return int(std::count_if(entries_.begin(), entries_.end(), [](const auto& programmes) { return bool(programmes); }));
}

void GuideIndex::setLogo(int entry, QByteArray logo)
{
    if (entry < 0 || size_t(entry) >= entries_.size())
        return;
    logos_.resize(entries_.size());
    logos_[size_t(entry)] = std::move(logo);
}

QByteArray GuideIndex::logo(int entry) const
{
    return entry >= 0 && size_t(entry) < logos_.size() ? logos_[size_t(entry)] : QByteArray();
}

int GuideIndex::firstEntryOf(int guide, const QString& channel) const
{
    if (!channelEntries_)
        return -1;
    const auto found = channelEntries_->find({guide, channel});
    return found == channelEntries_->end() || found->second.empty() ? -1 : found->second.front();
}
