// Window commands, full screen and back, the window bar with the real X
// pointer, Esc, and the volume control, on a 1920 x 1080 Xvfb screen.

#include "XTestSupport.h"

#include "app/Program.h"
#include "SessionProbe.h"
#include "FakePlayer.h"
#include "ui/window/FullScreenLayout.h"
#include "ui/MainWindow.h"
#include "ui/playback/VideoArea.h"
#include "ui/controls/Control.h"
#include "ui/controls/Label.h"
#include "ui/controls/PicBtn.h"
#include "ui/controls/TransLabel.h"
#include "app/ProgramViews.h"
#include "ui/playback/PlaybackView.h"
#include "ui/window/WindowView.h"

#include <QApplication>
#include <QCursor>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <map>

namespace {

// A player that never goes above a ceiling, as one with a smaller range would.
class ClippingPlayer final : public FakePlayer {
public:
    explicit ClippingPlayer(int ceiling, std::vector<int>& requests) : ceiling_(ceiling), requests_(requests) {}
    int Volume(int level, bool set) override
    {
        if (set)
            level_ = std::clamp(level, 0, ceiling_);
        requests_.push_back(level);
        return level_;
    }

private:
    int ceiling_;
    std::vector<int>& requests_;
    int level_ = 150;
};

// Another X client with a focused window of its own, to see where keys go.
class OtherApplication {
public:
    OtherApplication() : display_(XOpenDisplay(nullptr))
    {
        window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 10, 10, 100, 100, 0, 0, 0);
        XSelectInput(display_, window_, KeyPressMask | ExposureMask | FocusChangeMask);
        XMapWindow(display_, window_);
        XSync(display_, False);
    }
    ~OtherApplication() { XCloseDisplay(display_); }
    bool takeFocus()
    {
        if (!mapped_) {
            XEvent event;
            XWindowEvent(display_, window_, ExposureMask, &event); // mapped and viewable
            mapped_ = true;
        }
        XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
        XSync(display_, False);
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(display_, &focus, &revert);
        return focus == window_;
    }
    bool receivedEscape()
    {
        XSync(display_, False);
        XEvent event;
        while (!sawEscape_ && XPending(display_)) {
            XNextEvent(display_, &event);
            sawEscape_ = event.type == KeyPress && event.xkey.keycode == XKeysymToKeycode(display_, XK_Escape);
        }
        return sawEscape_;
    }

private:
    Display* display_;
    Window window_ = 0;
    bool mapped_ = false;
    bool sawEscape_ = false;
};

} // namespace

class WindowModesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase() { program_.reset(); }

    void listPanelTogglesAndRestores();
    void fullScreenFollowsTheWorkedExample();
    void twoTogglesBringEveryControlBack();
    void listPanelChangedInFullScreenSizesTheVideoOnReturn();
    void resolutionChangedInFullScreenStillBringsControlsBack();
    void topEdgeHidesTheBarAndBottomEdgeShowsIt();
    void topEdgeDoesNothingInTheWindow();
    void escapeLeavesFullScreenWithTheBarHidden();
    void escapeInTheWindowDoesNothingAndReachesTheFocusedApplication();
    void fullScreenButtonAndTitleBarDoubleClickToggle();
    void minimisingInFullScreenKeepsTheLayout();
    void volumeFollowsTheWorkedExample();
    void volumeDownStepsAndReenablesUp();
    void clippingPlayerShowsWhatItReports();
    void closeButtonEndsTheProgramThroughTheExitRoutine();

private:
    Control& c(QStringView name) { return *program_->window().control(name); }
    ProgramViews& h() { return program_->views(); }
    std::map<QString, QRect> layout();
    void moveCursor(QPoint screen);

    QTemporaryDir folder_;
    std::unique_ptr<Program> program_;
    std::map<QString, QRect> design_;
};

std::map<QString, QRect> WindowModesTest::layout()
{
    std::map<QString, QRect> rects;
    for (Control* control : program_->window().controls())
        if (control->widget())
            rects[control->name()] = control->Rect();
    return rects;
}

void WindowModesTest::moveCursor(QPoint screen)
{
    QVERIFY(xtest::xdotool({"mousemove", QString::number(screen.x()), QString::number(screen.y())}));
}

void WindowModesTest::initTestCase()
{
    QCOMPARE(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 1920, 1080));
    program_ = std::make_unique<Program>(folder_.path());
    program_->open();
    QVERIFY(QTest::qWaitForWindowExposed(&program_->window()));
    design_ = layout();
}

void WindowModesTest::init()
{
    // Every case starts windowed, with the list panel shown and the cursor mid-screen.
    moveCursor(QPoint(960, 500));
    if (c(u"FullScreenButton").Tag() != QStringLiteral("放大"))
        h().window->toggleFullScreen();
    if (c(u"ListToggleButton").Tag() != QStringLiteral("隐藏"))
        h().window->toggleListPanel();
    h().window->showBar();
    program_->window().Centre();
    QTRY_COMPARE(program_->window().pos(), QPoint(606, 332));
}

void WindowModesTest::listPanelTogglesAndRestores()
{
    h().window->toggleListPanel();
    QCOMPARE(c(u"ListToggleButton").Tag(), QStringLiteral("可视"));
    QCOMPARE(c(u"VideoSurface").Width(), 702);
    QVERIFY(!c(u"SourceList").Visible());
    QVERIFY(!c(u"ListCaptionLabel").Visible());
    h().window->toggleListPanel();
    QCOMPARE(c(u"ListToggleButton").Tag(), QStringLiteral("隐藏"));
    QCOMPARE(c(u"VideoSurface").Width(), 557);
    QVERIFY(c(u"SourceList").Visible());
    QVERIFY(c(u"ListCaptionLabel").Visible());
}

void WindowModesTest::fullScreenFollowsTheWorkedExample()
{
    h().window->toggleFullScreen();
    MainWindow& window = program_->window();
    QCOMPARE(window.geometry(), QRect(0, 0, 1920, 1080));
    QCOMPARE(window.FullScreenOffsetY, 665);
    QCOMPARE(window.FullScreenOffsetX, 1214);
    QCOMPARE(c(u"VideoSurface").Rect(), QRect(3, 32, 1770, 1009));
    // The second player's window covers the video surface whatever its size.
    QWidget& second = *program_->views().video->surfaces()[1];
    QCOMPARE(second.geometry(), QRect(0, 0, 1770, 1009));
    QCOMPARE(c(u"SourceList").Left(), 1775);
    QCOMPARE(c(u"SourceList").Height(), 985);
    QCOMPARE(c(u"CloseButton").Left(), 1889);
    QCOMPARE(c(u"MinimizeButton").Left(), 1858);
    QCOMPARE(c(u"FullScreenButton").Rect().topLeft(), QPoint(1788, 1053));
    QCOMPARE(c(u"StopButton").Top(), 1042);
    QCOMPARE(c(u"TitleBar").Width(), 1920);
    QCOMPARE(c(u"FullScreenButton").Tag(), QStringLiteral("缩小"));
    QCOMPARE(program_->window().get<PicBtn>(u"FullScreenButton").shownPicture(),
             QImage(QStringLiteral(":/pictures/shrink.bmp")));
    QTRY_VERIFY(!xtest::escapeIsFree());
    // The background repeats across the screen.
    QTRY_COMPARE(xtest::screenPixel(QPoint(1000, 1060)), QColor(29, 29, 29));

    h().window->toggleFullScreen();
    QCOMPARE(window.geometry(), QRect(606, 332, 707, 415));
    QCOMPARE(second.size(), c(u"VideoSurface").Rect().size());
    QTRY_VERIFY(xtest::escapeIsFree());
    QCOMPARE(program_->window().get<PicBtn>(u"FullScreenButton").shownPicture(),
             QImage(QStringLiteral(":/pictures/enlarge.bmp")));
}

void WindowModesTest::twoTogglesBringEveryControlBack()
{
    program_->window().move(100, 50); // away from the centre: the return centres it
    const auto before = layout();
    const QString volume = program_->window().get<TransLabel>(u"VolumeValueLabel").caption();
    h().window->toggleFullScreen();
    h().window->toggleFullScreen();
    QCOMPARE(program_->window().pos(), QPoint(606, 332));
    auto after = layout();
    for (const auto& [name, rect] : before) {
        QRect expected = rect;
        if (name == QStringLiteral("MinimizeButton"))
            expected.moveLeft(645); // placed absolutely on the way back
        if (name == QStringLiteral("SourceList") || name == QStringLiteral("ListCaptionLabel"))
            expected.moveLeft(562);
        QVERIFY2(after[name] == expected, qPrintable(name));
    }
    QCOMPARE(program_->window().get<TransLabel>(u"VolumeValueLabel").caption(), volume);
    QCOMPARE(c(u"VolumeLevelBar").Width(), before.at(QStringLiteral("VolumeLevelBar")).width());
}

void WindowModesTest::listPanelChangedInFullScreenSizesTheVideoOnReturn()
{
    h().window->toggleFullScreen();
    h().window->toggleListPanel();
    QCOMPARE(c(u"VideoSurface").Width(), 1915);
    h().window->toggleFullScreen();
    QCOMPARE(c(u"VideoSurface").Width(), 702);
    QCOMPARE(c(u"SourceList").Height(), 320); // loses the stored offset, hidden or not
    h().window->toggleFullScreen();
    h().window->toggleListPanel();
    QCOMPARE(c(u"VideoSurface").Width(), 1770);
    h().window->toggleFullScreen();
    QCOMPARE(c(u"VideoSurface").Width(), 557);
}

void WindowModesTest::resolutionChangedInFullScreenStillBringsControlsBack()
{
    // A new resolution changes what full screen covers; the return undoes the
    // offsets stored on entry all the same.
    h().window->toggleFullScreen();
    program_->window().setGeometry(0, 0, 1600, 900);
    h().window->toggleFullScreen();
    for (const char* name : {"StopButton", "VolumeDownButton", "VolumeUpButton", "FullScreenButton", "ListToggleButton",
                             "VolumeTrackBar", "VolumeLevelBar", "BrandLabel", "VolumeValueLabel", "VolumeCaptionLabel"})
        QVERIFY2(c(QString::fromLatin1(name)).Rect() == design_.at(QString::fromLatin1(name)), name);
    QCOMPARE(c(u"SourceList").Height(), 320);
}

void WindowModesTest::topEdgeHidesTheBarAndBottomEdgeShowsIt()
{
    h().window->toggleFullScreen();
    moveCursor(QPoint(900, 0));
    QTRY_COMPARE_WITH_TIMEOUT(c(u"VideoSurface").Rect(), QRect(0, 0, 1920, 1080), 3500);
    QCOMPARE(c(u"ListToggleButton").Tag(), QStringLiteral("可视"));
    QVERIFY(!c(u"SourceList").Visible());

    moveCursor(QPoint(900, 1080 - 39));
    QTRY_COMPARE(QCursor::pos(), QPoint(900, 1080 - 39));
    QTRY_COMPARE_WITH_TIMEOUT(c(u"VideoSurface").Rect(), QRect(3, 32, 1915, 1009), 1500);
    QVERIFY(!c(u"SourceList").Visible()); // the panel stays hidden
}

void WindowModesTest::topEdgeDoesNothingInTheWindow()
{
    program_->window().move(606, 0); // touching the top of the screen
    moveCursor(QPoint(900, 0));
    QVERIFY(!QTest::qWaitFor([&] { return c(u"VideoSurface").Rect() != QRect(3, 32, 557, 344); }, 3500));
    QVERIFY(c(u"SourceList").Visible());
}

void WindowModesTest::escapeLeavesFullScreenWithTheBarHidden()
{
    h().window->toggleFullScreen();
    h().window->hideBar();
    QSignalSpy notified(&program_->window().get<Label>(u"EscapeHotKeyLabel"), &Label::notified);
    QVERIFY(xtest::xdotool({"key", "Escape"}));
    QTRY_COMPARE(c(u"FullScreenButton").Tag(), QStringLiteral("放大"));
    QCOMPARE(notified.count(), 1);
    // The window's new size comes back from the X server; the layout follows it.
    QTRY_COMPARE(program_->window().geometry(), QRect(606, 332, 707, 415));
    QTRY_COMPARE(c(u"VideoSurface").Rect(), QRect(3, 32, 702, 344));
}

void WindowModesTest::escapeInTheWindowDoesNothingAndReachesTheFocusedApplication()
{
    QTRY_VERIFY(xtest::escapeIsFree());
    OtherApplication other;
    QVERIFY(other.takeFocus());
    const auto before = layout();
    QSignalSpy notified(&program_->window().get<Label>(u"EscapeHotKeyLabel"), &Label::notified);
    QVERIFY(xtest::xdotool({"key", "Escape"}));
    QTRY_VERIFY(other.receivedEscape());
    QCoreApplication::processEvents();
    QCOMPARE(notified.count(), 0);
    QCOMPARE(c(u"FullScreenButton").Tag(), QStringLiteral("放大"));
    QVERIFY(layout() == before);
}

void WindowModesTest::fullScreenButtonAndTitleBarDoubleClickToggle()
{
    MainWindow& window = program_->window();
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, QPoint(575, 389));
    QCOMPARE(c(u"FullScreenButton").Tag(), QStringLiteral("缩小"));
    QTRY_COMPARE(window.geometry(), QRect(0, 0, 1920, 1080));
    QTest::mouseDClick(window.windowHandle(), Qt::LeftButton, {}, QPoint(900, 16));
    QCOMPARE(c(u"FullScreenButton").Tag(), QStringLiteral("放大"));
    QCOMPARE(window.geometry(), QRect(606, 332, 707, 415));
}

void WindowModesTest::minimisingInFullScreenKeepsTheLayout()
{
    h().window->toggleFullScreen();
    const auto full = layout();
    h().window->minimize();
    QTRY_VERIFY(program_->window().isMinimized() || !program_->window().isActiveWindow());
    program_->window().showNormal();
    QTRY_VERIFY(program_->window().isVisible());
    QCOMPARE(program_->window().geometry(), QRect(0, 0, 1920, 1080));
    QVERIFY(layout() == full);
    QCOMPARE(c(u"FullScreenButton").Tag(), QStringLiteral("缩小"));
}

void WindowModesTest::volumeFollowsTheWorkedExample()
{
    MediaPlayer& player = *SessionProbe(program_->core().session()).player(0);
    TransLabel& number = program_->window().get<TransLabel>(u"VolumeValueLabel");
    for (int step = 1; step <= 8; ++step) {
        program_->core().playback().stepVolumeUp();
        QCOMPARE(c(u"VolumeLevelBar").Width(), 24 + 8 * step);
        QCOMPARE(number.caption(), QString::number(150 + 50 * step));
        QCOMPARE(player.Volume(0, false), 150 + 50 * step);
    }
    QVERIFY(!c(u"VolumeUpButton").Disabled());
    program_->core().playback().stepVolumeUp();
    QVERIFY(c(u"VolumeUpButton").Disabled());
    QCOMPARE(c(u"VolumeLevelBar").Width(), 88);
    QCOMPARE(number.caption(), QStringLiteral("550"));

    // Both survive full screen and back.
    h().window->toggleFullScreen();
    QCOMPARE(c(u"VolumeLevelBar").Width(), 88);
    h().window->toggleFullScreen();
    QCOMPARE(number.caption(), QStringLiteral("550"));
    for (int step = 0; step < 8; ++step)
        program_->core().playback().stepVolumeDown();
    QCOMPARE(number.caption(), QStringLiteral("150"));
    QCOMPARE(c(u"VolumeLevelBar").Width(), 24);
}

void WindowModesTest::volumeDownStepsAndReenablesUp()
{
    TransLabel& number = program_->window().get<TransLabel>(u"VolumeValueLabel");
    QCOMPARE(number.caption(), QStringLiteral("150"));
    const int bars[] = {16, 8, 0, 0};
    const char* shown[] = {"100", "50", "0", "0"};
    for (int i = 0; i < 4; ++i) {
        program_->core().playback().stepVolumeDown();
        QCOMPARE(c(u"VolumeLevelBar").Width(), bars[i]);
        QCOMPARE(number.caption(), QString::fromLatin1(shown[i]));
    }
    QVERIFY(!c(u"VolumeDownButton").Disabled());
    for (int i = 0; i < 3; ++i)
        program_->core().playback().stepVolumeUp();
    QCOMPARE(number.caption(), QStringLiteral("150"));
    QCOMPARE(c(u"VolumeLevelBar").Width(), 24);

    // Once past the track the up step stops; a step down opens it again.
    for (int i = 0; i < 9; ++i)
        program_->core().playback().stepVolumeUp();
    QVERIFY(c(u"VolumeUpButton").Disabled());
    program_->core().playback().stepVolumeDown();
    QCOMPARE(c(u"VolumeLevelBar").Width(), 80);
    QVERIFY(!c(u"VolumeUpButton").Disabled());
    for (int i = 0; i < 7; ++i)
        program_->core().playback().stepVolumeDown();
    QCOMPARE(number.caption(), QStringLiteral("150"));
}

void WindowModesTest::clippingPlayerShowsWhatItReports()
{
    // The window's volume goes through a controller over a player that clips.
    AppCore& core = program_->core();
    std::vector<int> requests;
    PlaybackSession clipping([&requests] { return std::make_unique<ClippingPlayer>(200, requests); });
    PlaybackController playback(
        {clipping, core.channels(), core.alternates(), core.pictures(), nullptr, *h().video});
    playback.startVolume(*core.playback().volume());
    // The window's volume drawn from that controller.
    PlaybackView shown(program_->window(), playback, core.channels(), *h().video);
    TransLabel& number = program_->window().get<TransLabel>(u"VolumeValueLabel");
    playback.stepVolumeUp();
    playback.stepVolumeUp();
    QCOMPARE(number.caption(), QStringLiteral("200"));
    playback.stepVolumeUp();
    QCOMPARE(requests.back(), 250); // built from the number shown, not the last request
    playback.stepVolumeDown();
    QCOMPARE(requests.back(), 150);
    QCOMPARE(number.caption(), QStringLiteral("150"));
}

void WindowModesTest::closeButtonEndsTheProgramThroughTheExitRoutine()
{
    QSignalSpy quitting(qApp, &QCoreApplication::aboutToQuit);
    QTimer::singleShot(0, this, [this] {
        QTest::mouseClick(program_->window().windowHandle(), Qt::LeftButton, {}, QPoint(690, 12));
    });
    // The close comes after the click handler returns; the event loop then ends.
    QApplication::exec();
    QCOMPARE(quitting.count(), 1);
    QVERIFY(!program_->core().isPlaying()); // players released by the exit routine
    QVERIFY(!program_->window().isVisible());
}

int main(int argc, char** argv)
{
    XInitThreads();
    QApplication app(argc, argv);
    WindowModesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windowmodes.moc"
