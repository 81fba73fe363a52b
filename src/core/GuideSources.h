#pragma once

#include "ProgrammeGuide.h"
#include "sources/PlaySource.h"

#include <QStringList>

#include <optional>

#include <vector>

// The guides of a list: those its "#EXTM3U" line names, else those of the
// "epg" setting. Each may end in "|offset=MINUTES" (signed): minutes added to
// every time of that guide. Blank ones and repeats are dropped.
std::vector<GuideSource> guideSourcesFor(const ListTags& list, const QStringList& setting);
// A zone east of UTC in minutes, as "+0800", "+08:00", "+8" or "-0530".
std::optional<int> readZoneMinutes(QStringView written);
// One address as written, with its offset read off.
GuideSource readGuideSource(const QString& written);

class ChannelList;
// What the guide needs of the list shown: its guides, each entry's keys, and
// how many days of programmes to keep (7, or more when its catch-up says so).
GuideRequest guideRequestFor(const ChannelList& list, const QStringList& setting);
