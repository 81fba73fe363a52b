#include "WindowDescription.h"

#include "ui/window/WindowMetrics.h"

namespace {

using HAlign = TransLabel::HAlign;
using VAlign = TransLabel::VAlign;
using Mode = PicBox::DisplayMode;

constexpr Rgb kWhite = rgb(255, 255, 255);
constexpr Rgb kBlack = rgb(0, 0, 0);
constexpr Rgb kLightGrey = rgb(192, 192, 192);
constexpr Rgb kGrey = rgb(128, 128, 128);
constexpr CursorKind kHand = CursorKind::Hand;
constexpr CursorKind kArrow = CursorKind::Arrow;
constexpr ListBoxSettings kSourceListLook{kWhite, kBlack, 1};

const WindowRecord kWindow{windowmetrics::kWindowed, u"", kBlack, u":/pictures/background.bmp"};

// clang-format off
// Its size follows from its rows.
const ControlRecord kControls[]{
    {u"TipBalloon",         u"TitleBar", {},                        true,  u"",     kArrow, TipSettings{}},
    {u"VideoSurface",       u"",         QRect(3, 32, 557, 344),    true,  u"",     kArrow, PicBoxSettings{kBlack, u"", Mode::Natural, true}},
    {u"SourceList",         u"",         QRect(561, 56, 144, 320),  true,  u"",     kArrow, kSourceListLook},
    {u"TopEdgeTimer",       u"TitleBar", {},                        true,  u"",     kArrow, TimerSettings{0}},
    {u"BottomEdgeTimer",    u"TitleBar", {},                        true,  u"",     kArrow, TimerSettings{0}},
    {u"FullScreenButton",   u"",         QRect(574, 388, 16, 16),   true,  u"放大", kHand,
        PicBtnSettings{u":/pictures/enlarge.bmp", u"", u"", u"", kWhite, u"全屏"}},
    {u"ListCaptionLabel",   u"",         QRect(561, 34, 144, 20),   true,  u"",     kArrow,
        TransLabelSettings{u"------- 节目单 -------", kLightGrey, HAlign::Center, VAlign::Center, {}}},
    {u"VolumeCaptionLabel", u"",         QRect(362, 388, 32, 16),   true,  u"",     kArrow,
        TransLabelSettings{u"音量：", kGrey, HAlign::Left, VAlign::Center, {}}},
    {u"VolumeValueLabel",   u"",         QRect(396, 388, 17, 16),   true,  u"",     kArrow,
        TransLabelSettings{u"150", kLightGrey, HAlign::Left, VAlign::Center, {}}},
    {u"BrandLabel",         u"",         QRect(47, 383, 97, 24),    true,  u"",     kHand,
        TransLabelSettings{u"Clipvane", kGrey, HAlign::Left, VAlign::Center, {u"Arial Rounded MT Bold", 14, true}}},
    {u"TitleLabel",         u"",         QRect(42, 8, 176, 16),     true,  u"",     kArrow,
        TransLabelSettings{u"Clipvane 澄影播放器", kWhite, HAlign::Left, VAlign::Center, {}}},
    {u"StopButton",         u"",         QRect(3, 377, 35, 35),     true,  u"",     kArrow,
        PicBtnSettings{u":/pictures/stop-normal.bmp", u":/pictures/stop-pressed.bmp", u"", u"", kWhite, u"停止"}},
    {u"FileDropTarget",     u"",         {},                        true,  u"",     kArrow, DropTargetSettings{false, false, false, true}},
    {u"AddressList",        u"",         QRect(776, 48, 144, 320),  false, u"",     kArrow, kSourceListLook},
    {u"TitleIcon",          u"",         QRect(6, 5, 20, 20),       true,  u"",     kArrow,
        PicBoxSettings{kNoColor, u":/pictures/icon.png", Mode::Stretched}},
    {u"VolumeLevelBar",     u"",         QRect(443, 395, 24, 2),    true,  u"",     kArrow, PicBoxSettings{rgb(0, 224, 128), u"", Mode::Natural}},
    {u"VolumeTrackBar",     u"",         QRect(442, 395, 80, 2),    true,  u"",     kArrow, PicBoxSettings{rgb(96, 96, 96), u"", Mode::Natural}},
    {u"VolumeDownButton",   u"",         QRect(426, 390, 14, 11),   true,  u"",     kHand,
        PicBtnSettings{u":/pictures/volume-down-normal.bmp", u":/pictures/volume-down-pressed.bmp", u"", u"", kWhite, u"音量减小"}},
    {u"VolumeUpButton",     u"",         QRect(530, 390, 14, 10),   true,  u"",     kHand,
        PicBtnSettings{u":/pictures/volume-up-normal.bmp", u":/pictures/volume-up-pressed.bmp", u"", u"", kWhite, u"音量增大"}},
    {u"ListToggleButton",   u"",         QRect(623, 384, 64, 23),   true,  u"隐藏", kArrow,
        PicBtnSettings{u":/pictures/list-normal.bmp", u":/pictures/list-pressed.bmp", u"", u"", kWhite, u"节目单"}},
    {u"CloseButton",        u"",         QRect(676, 0, 31, 30),     true,  u"",     kArrow,
        PicBtnSettings{u":/pictures/close-normal.bmp", u":/pictures/close-pressed.bmp", u"", u"", kNoColor, u"关闭"}},
    {u"EscapeHotKeyLabel",  u"TitleBar", QRect(320, 4, 80, 24),     false, u"",     kArrow, LabelSettings{}},
    {u"MinimizeButton",     u"",         QRect(646, 0, 31, 30),     true,  u"",     kArrow,
        PicBtnSettings{u":/pictures/minimize-normal.bmp", u":/pictures/minimize-pressed.bmp", u"", u"", kNoColor, u"最小化"}},
    {u"TitleBar",           u"",         QRect(0, 0, 707, 32),      true,  u"",     kArrow,
        PicBoxSettings{kBlack, u":/pictures/titlebar.bmp", Mode::Stretched}},
};
// clang-format on

} // namespace

const WindowRecord& mainWindowRecord()
{
    return kWindow;
}

std::span<const ControlRecord> mainWindowControls()
{
    return kControls;
}
