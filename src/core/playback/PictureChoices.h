#pragma once

#include "core/lists/ChannelKey.h"
#include "engine/PictureSettings.h"

#include <QString>

#include <optional>
#include <utility>
#include <vector>

// The picture's shape and deinterlacing the user chose for each channel,
// kept across restarts; a channel never set has the source's own.
class PictureChoices {
public:
    using Kept = std::pair<ChannelKey, PictureSettings>;
    static constexpr int kKeptChannels = 1000;

    void setKept(std::vector<Kept> kept);
    const std::vector<Kept>& kept() const { return kept_; }

    PictureSettings of(const ChannelKey& channel) const;
    // True when what is kept changed. The default is not kept.
    bool set(const ChannelKey& channel, PictureSettings picture);

    // As the settings file writes them: "16:9", "4:3", "fill", "crop"; "off", "blend", "yadif".
    static QString shapeName(PictureSettings::Shape shape);
    static QString deinterlaceName(PictureSettings::Deinterlace deinterlace);
    // Unknown names read as the default.
    static PictureSettings::Shape shapeNamed(const QString& name);
    static PictureSettings::Deinterlace deinterlaceNamed(const QString& name);

private:
    std::vector<Kept> kept_; // the one set last, last
};
