#pragma once

#include <QSize>

// How a player shapes the pictures of a channel: kept per channel by the
// core, applied by the player at every open of it.
struct PictureSettings {
    enum class Shape {
        Source,   // the source's own aspect ratio
        Wide,     // 16:9
        Standard, // 4:3
        Fill,     // stretched to the video area
        CropBars, // a 16:9 picture letterboxed in a 4:3 frame, its black bars cut off
    };
    enum class Deinterlace {
        Auto, // the engine's own: where the source says its pictures are interlaced
        Off,
        Blend,
        Yadif,
    };
    Shape shape = Shape::Source;
    Deinterlace deinterlace = Deinterlace::Auto;
    QSize area; // Fill: the video area's size, whose proportions the picture takes

    bool isDefault() const { return shape == Shape::Source && deinterlace == Deinterlace::Auto; }
    bool operator==(const PictureSettings&) const = default;
};
