#pragma once

#include "XmltvReader.h"

#include <QHash>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

// Traditional Chinese to Simplified, with OpenCC's own tables; names pass
// unchanged when OpenCC's data cannot be opened.
class ChineseVariants {
public:
    ChineseVariants();
    ~ChineseVariants();
    ChineseVariants(const ChineseVariants&) = delete;
    ChineseVariants& operator=(const ChineseVariants&) = delete;

    bool isUsable() const { return converter_ != nullptr; }
    QString toSimplified(const QString& text) const;

private:
    struct Converter;
    std::unique_ptr<Converter> converter_;
};

// A name as guides and lists are compared: letter case, full-width forms,
// blanks, "-" and "_" ignored, Traditional Chinese read as Simplified.
QString comparableChannelName(const QString& name, const ChineseVariants* variants);
// The same without what lists add to a channel's name: "高清", "HD", "4K", …,
// and whatever follows a CCTV number ("CCTV-1 综合" is "cctv1").
QString coreChannelName(const QString& comparable);

// What a list entry offers for finding its channel in a guide.
struct EntryGuideKey {
    QString tvgId;
    QString tvgName;
    QString name;
};

// A channel of a guide: the guide's row and the channel's id in it.
struct GuideChannelRef {
    int guide = 0;
    QString id;
    bool operator==(const GuideChannelRef&) const = default;
};

// Finds list entries' channels in guides: tvg-id against a channel's id,
// then tvg-name, then the entry's name against its display-names, each as
// written and then comparable, then without their suffixes. Guides added
// first win when several name the channel.
class ChannelMatcher {
public:
    explicit ChannelMatcher(const ChineseVariants* variants) : variants_(variants) {}

    void addGuide(int guide, const std::vector<GuideChannel>& channels);
    std::optional<GuideChannelRef> match(const EntryGuideKey& entry) const;

private:
    const ChineseVariants* variants_;
    QHash<QString, GuideChannelRef> byId_;
    QHash<QString, GuideChannelRef> byComparableId_;
    QHash<QString, GuideChannelRef> byName_;
    QHash<QString, GuideChannelRef> byComparableName_;
    QHash<QString, GuideChannelRef> byCoreName_;
};
