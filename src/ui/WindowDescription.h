#pragma once

#include "controls/Color.h"
#include "controls/Control.h"
#include "controls/PicBox.h"
#include "controls/TransLabel.h"

#include <QRect>
#include <QStringView>

#include <span>
#include <variant>

// The main window as data: one record for the window, one per control, in
// creation order, which is also the stacking order (earlier lies above later).

struct FontSpec {
    QStringView family; // empty: the default GUI font
    int pixelHeight = 0;
    bool italic = false;
};

struct PicBtnSettings {
    QStringView normal;
    QStringView pressed;
    QStringView hover;
    QStringView disabled;
    Rgb transparent = kNoColor;
    QStringView accessibleName;
};

struct TransLabelSettings {
    QStringView caption;
    Rgb color = 0;
    TransLabel::HAlign horizontal = TransLabel::HAlign::Left;
    TransLabel::VAlign vertical = TransLabel::VAlign::Top;
    FontSpec font;
};

struct LabelSettings {};

struct PicBoxSettings {
    Rgb background = 0;
    QStringView picture;
    PicBox::DisplayMode mode = PicBox::DisplayMode::Natural;
    bool videoSurface = false; // a native child window that a video output draws into
};

struct ListBoxSettings {
    Rgb text = 0;
    Rgb background = 0;
    int extraLineSpacing = 0;
};

struct TimerSettings {
    int period = 0;
};

struct DropTargetSettings {
    bool text = false;
    bool links = false;
    bool html = false;
    bool files = false;
};

struct TipSettings {};

using KindSettings = std::variant<PicBtnSettings, TransLabelSettings, LabelSettings, PicBoxSettings,
                                  ListBoxSettings, TimerSettings, DropTargetSettings, TipSettings>;

struct ControlRecord {
    QStringView name;
    QStringView parent; // empty: the window
    QRect rect;         // non-visual kinds: empty
    bool visible = true;
    QStringView tag;
    CursorKind cursor = CursorKind::Arrow;
    KindSettings settings;
};

struct WindowRecord {
    QSize clientSize;
    QStringView title;
    Rgb background = 0;
    QStringView backgroundPicture;
};

const WindowRecord& mainWindowRecord();
std::span<const ControlRecord> mainWindowControls();
