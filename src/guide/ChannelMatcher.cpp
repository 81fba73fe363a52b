#include "ChannelMatcher.h"

#include <opencc/opencc.h>

#include <QRegularExpression>

#include <array>

struct ChineseVariants::Converter {
    opencc_t handle;
};

ChineseVariants::ChineseVariants()
{
    const opencc_t handle = opencc_open("t2s.json");
    if (handle != reinterpret_cast<opencc_t>(-1))
        converter_ = std::make_unique<Converter>(Converter{handle});
}

ChineseVariants::~ChineseVariants()
{
    if (converter_)
        opencc_close(converter_->handle);
}

QString ChineseVariants::toSimplified(const QString& text) const
{
    if (!converter_ || text.isEmpty())
        return text;
    const QByteArray utf8 = text.toUtf8();
    char* converted = opencc_convert_utf8(converter_->handle, utf8.constData(), size_t(utf8.size()));
    if (!converted)
        return text;
    QString simplified = QString::fromUtf8(converted);
    opencc_convert_utf8_free(converted);
    return simplified;
}

QString comparableChannelName(const QString& name, const ChineseVariants* variants)
{
    // Compatibility forms: full-width letters and digits become ASCII.
    QString comparable = name.normalized(QString::NormalizationForm_KC).toCaseFolded();
    comparable.removeIf([](QChar c) { return c.isSpace() || c == u'-' || c == u'_'; });
    if (variants)
        comparable = variants->toSimplified(comparable);
    return comparable;
}

QString coreChannelName(const QString& comparable)
{
    static const QRegularExpression cctv(QStringLiteral("^(cctv\\d+\\+?)"));
    if (const QRegularExpressionMatch found = cctv.match(comparable); found.hasMatch())
        return found.captured(1);
    // Longest first, so that "超高清" is not read as "高清".
    static const std::array<QStringView, 16> kSuffixes{
        u"超高清", u"高清", u"超清", u"标清", u"蓝光", u"频道", u"fhd", u"uhd", u"hdr",
        u"hevc", u"h265", u"50fps", u"hd", u"sd", u"4k", u"8k"};
    QString core = comparable;
    for (bool cut = true; cut;) {
        cut = false;
        for (QStringView suffix : kSuffixes) {
            if (core.size() > suffix.size() && core.endsWith(suffix)) {
                core.chop(suffix.size());
                cut = true;
            }
        }
    }
    return core;
}

namespace {

// The first guide to name a key keeps it.
void keepFirst(QHash<QString, GuideChannelRef>& table, const QString& key, const GuideChannelRef& ref)
{
    if (!key.isEmpty() && !table.contains(key))
        table.insert(key, ref);
}

} // namespace

void ChannelMatcher::addGuide(int guide, const std::vector<GuideChannel>& channels)
{
    for (const GuideChannel& channel : channels) {
        const GuideChannelRef ref{guide, channel.id};
        keepFirst(byId_, channel.id, ref);
        keepFirst(byComparableId_, comparableChannelName(channel.id, variants_), ref);
        for (const QString& name : channel.names) {
            keepFirst(byName_, name, ref);
            const QString comparable = comparableChannelName(name, variants_);
            keepFirst(byComparableName_, comparable, ref);
            keepFirst(byCoreName_, coreChannelName(comparable), ref);
        }
    }
}

std::optional<GuideChannelRef> ChannelMatcher::match(const EntryGuideKey& entry) const
{
    const auto find = [](const QHash<QString, GuideChannelRef>& table, const QString& key) -> std::optional<GuideChannelRef> {
        if (key.isEmpty())
            return std::nullopt;
        const auto found = table.constFind(key);
        return found == table.cend() ? std::nullopt : std::optional<GuideChannelRef>(*found);
    };
    if (auto found = find(byId_, entry.tvgId))
        return found;
    const QString tvgName = comparableChannelName(entry.tvgName, variants_);
    const QString name = comparableChannelName(entry.name, variants_);
    for (const auto& attempt : {find(byComparableId_, comparableChannelName(entry.tvgId, variants_)),
                                find(byName_, entry.tvgName), find(byComparableName_, tvgName),
                                find(byName_, entry.name), find(byComparableName_, name),
                                find(byCoreName_, coreChannelName(tvgName)), find(byCoreName_, coreChannelName(name))})
        if (attempt)
            return attempt;
    return std::nullopt;
}
