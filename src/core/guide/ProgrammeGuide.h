#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// One programme of a channel's guide; times in seconds since 1970 UTC.
struct Programme {
    qint64 start = 0;
    qint64 stop = 0;
    QString title;
    QString description;
};

// A programme found by a search, and the list entry showing its channel.
struct ProgrammeHit {
    int entry = -1;
    Programme programme;
};

struct ProgrammeNowNext {
    std::optional<Programme> now;
    std::optional<Programme> next;
};

// What a list entry offers for finding its channel in a guide.
struct GuideEntryKey {
    QString tvgId;
    QString tvgName;
    QString name;
    QString logo; // the list's tvg-logo, if any
};

// An XMLTV guide: an http(s) address or a local path, and minutes added to
// each of its times (for a guide that writes them in the wrong zone). Or a
// JSON guide API: an address template with "{name}" and "{date}", whose times
// are in the zone `zoneMinutes` east of UTC.
struct GuideSource {
    QString address;
    int correctionMinutes = 0;
    int zoneMinutes = 8 * 60;
    bool isApi() const { return address.contains(QLatin1String("{name}")); }
    bool operator==(const GuideSource&) const = default;
};

// Which guides to read for the list shown, and how.
struct GuideRequest {
    std::vector<GuideSource> guides; // in order of precedence
    int keepDays = 7;                // programmes that ended longer ago are not kept
    int freshHours = 6;              // a guide fetched longer ago is fetched again
    std::vector<GuideEntryKey> entries; // one per entry of the list, headings included
};

// The programme guide, loaded as a module once the window shows: what is on
// now and next for each entry of the list. Its reading, fetching and keeping
// run off the window's thread; what it answers comes from memory and never waits.
class ProgrammeGuide {
public:
    virtual ~ProgrammeGuide() = default;
    // A new list, or new settings: what was kept from an earlier run shows at
    // once, then the guides that are stale are fetched again.
    virtual void load(const GuideRequest& request) = 0;
    virtual ProgrammeNowNext nowNext(int entry, qint64 now) const = 0;
    virtual std::vector<Programme> programmes(int entry) const = 0;
    // The same programmes, shared rather than copied; null when none are known.
    virtual std::shared_ptr<const std::vector<Programme>> schedule(int entry) const = 0;
    // Programmes of the list's channels whose title or description holds every
    // word of `text`, found off the window's thread: those on now and coming
    // first, by start, then the past, latest first. `found` runs on the thread
    // that made the guide, and not at all for a search a newer one overtook.
    virtual void search(const QString& text, qint64 now, std::function<void(std::vector<ProgrammeHit>)> found) = 0;
    // Someone looks at this entry: a JSON guide API is asked for its day when
    // nothing is known of it yet (one request at a time, once a day a channel).
    virtual void want(int entry) = 0;
    // The entry's logo as its file holds it (PNG, JPEG, …), from the list's
    // tvg-logo or the guide's icon, once it has been fetched; empty before.
    virtual QByteArray logo(int entry) const = 0;
    // Runs on the thread that made the guide each time what it knows has changed.
    virtual void setChangedHandler(std::function<void()> changed) = 0;
};

// The module's one entry point: a guide keeping its copies in `cacheFolder`.
using MakeProgrammeGuide = ProgrammeGuide* (*)(const char* cacheFolderUtf8);
inline constexpr const char* kMakeProgrammeGuideSymbol = "clipvane_make_programme_guide";

// The guide as its owner holds it now: none until its module is opened after
// the first paint, and none again after the exit.
using GuideLookup = std::function<ProgrammeGuide*()>;
