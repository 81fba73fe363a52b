#include "core/playback/PictureChoices.h"

#include <algorithm>
#include <array>

namespace {

using Shape = PictureSettings::Shape;
using Deinterlace = PictureSettings::Deinterlace;

constexpr std::array<std::pair<Shape, const char*>, 5> kShapes{{
    {Shape::Source, ""}, {Shape::Wide, "16:9"}, {Shape::Standard, "4:3"}, {Shape::Fill, "fill"}, {Shape::CropBars, "crop"}}};
constexpr std::array<std::pair<Deinterlace, const char*>, 4> kDeinterlace{
    {{Deinterlace::Auto, ""}, {Deinterlace::Off, "off"}, {Deinterlace::Blend, "blend"}, {Deinterlace::Yadif, "yadif"}}};

template <class Enum, size_t N>
QString nameIn(const std::array<std::pair<Enum, const char*>, N>& table, Enum value)
{
    for (const auto& [known, name] : table)
        if (known == value)
            return QString::fromLatin1(name);
    return {};
}

template <class Enum, size_t N>
Enum namedIn(const std::array<std::pair<Enum, const char*>, N>& table, const QString& name)
{
    for (const auto& [known, written] : table)
        if (name.compare(QLatin1String(written), Qt::CaseInsensitive) == 0)
            return known;
    return table.front().first;
}

} // namespace

void PictureChoices::setKept(std::vector<Kept> kept)
{
    kept_.clear();
    for (Kept& one : kept)
        set(one.first, one.second);
}

PictureSettings PictureChoices::of(const ChannelKey& channel) const
{
    const auto found = std::find_if(kept_.begin(), kept_.end(), [&](const Kept& one) { return one.first == channel; });
    return found == kept_.end() ? PictureSettings{} : found->second;
}

bool PictureChoices::set(const ChannelKey& channel, PictureSettings picture)
{
    picture.area = {}; // the area is the window's, not the channel's
    const auto found = std::find_if(kept_.begin(), kept_.end(), [&](const Kept& one) { return one.first == channel; });
    if (found != kept_.end()) {
        if (found->second == picture)
            return false;
        kept_.erase(found);
    } else if (picture.isDefault()) {
        return false;
    }
    if (!picture.isDefault())
        kept_.emplace_back(channel, picture);
    if (kept_.size() > size_t(kKeptChannels))
        kept_.erase(kept_.begin(), kept_.end() - kKeptChannels);
    return true;
}

QString PictureChoices::shapeName(Shape shape)
{
    return nameIn(kShapes, shape);
}

QString PictureChoices::deinterlaceName(Deinterlace deinterlace)
{
    return nameIn(kDeinterlace, deinterlace);
}

Shape PictureChoices::shapeNamed(const QString& name)
{
    return namedIn(kShapes, name);
}

Deinterlace PictureChoices::deinterlaceNamed(const QString& name)
{
    return namedIn(kDeinterlace, name);
}
