#pragma once

#include "core/guide/ProgrammeGuide.h"
#include "sources/PlaySource.h"

#include <QStringList>

#include <optional>

#include <vector>

// The guides of a list: those its "#EXTM3U" line names, else those of the
// "epg" setting, else the one its service offers (a provider's account). Each
// may end in "|offset=MINUTES" (signed): minutes added to every time of that
// guide, and "|zone=+0800": the zone of its times that name none. Blank ones
// and repeats are dropped.
std::vector<GuideSource> guideSourcesFor(const ListTags& list, const QStringList& setting);
// A zone east of UTC in minutes, as "+0800", "+08:00", "+8" or "-0530".
std::optional<int> readZoneMinutes(QStringView written);
// One address as written, with its offset and zone read off.
GuideSource readGuideSource(const QString& written);

// One guide of the "epg" setting as the settings window edits it: its
// address, its offset and its zone apart ("ADDRESS|offset=MINUTES|zone=+0800").
struct GuideSetting {
    QString address;
    int offsetMinutes = 0;
    QString zone;    // as written; empty for the guide's own
    // An option that cannot be read: which, and its value as written.
    enum class Problem { None, Zone, Offset };
    Problem problem = Problem::None;
    QString unread;
};
GuideSetting readGuideSetting(const QString& written);
QString writeGuideSetting(const QString& address, int offsetMinutes, const QString& zone);

class ChannelList;
// What the guide needs of the list shown: its guides, each entry's keys, and
// how many days of programmes to keep (7, or more when its catch-up says so).
GuideRequest guideRequestFor(const ChannelList& list, const QStringList& setting);
