// Start-up of the main window by its effects, the desktop launcher in a home of
// the test's own, the Esc hot key with real X key presses, the tips and the
// contact link.

#include "TestMedia.h"
#include "XTestSupport.h"

#include "app/Contact.h"
#include "app/DesktopShortcut.h"
#include "app/Program.h"
#include "SessionProbe.h"
#include "platform/DesktopLauncher.h"
#include "platform/HotKeyService.h"
#include "ui/window/LeadingNumber.h"
#include "ui/MainWindow.h"
#include "ui/controls/Label.h"
#include "ui/controls/ListBox.h"
#include "ui/controls/PicBox.h"
#include "ui/controls/Timer.h"
#include "ui/controls/TransLabel.h"

#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace {

QString readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

int run(const QString& program, const QStringList& arguments, QString* output = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(20000))
        return -1;
    if (output)
        *output = QString::fromUtf8(process.readAll());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// Another X client holding Esc on the root window, as a second player would.
class OtherClientHoldingEscape {
public:
    OtherClientHoldingEscape() : display_(XOpenDisplay(nullptr))
    {
        if (!display_)
            return;
        XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        XGrabKey(display_, XKeysymToKeycode(display_, XK_Escape), AnyModifier, DefaultRootWindow(display_), True,
                 GrabModeAsync, GrabModeAsync);
        XSync(display_, False);
        XSetErrorHandler(previous);
    }
    ~OtherClientHoldingEscape()
    {
        if (display_)
            XCloseDisplay(display_);
    }

private:
    Display* display_;
};

} // namespace

class StartupTest : public QObject {
    Q_OBJECT

public slots:
    void openUrl(const QUrl& url) { opened_ << url; }

private slots:
    void initTestCase();
    void cleanupTestCase();

    void startupHasItsEffectsInOrder();
    void startingVolumeReadsTheLeadingNumber();
    void launcherIsCreatedForTheRunningProgram();
    void launcherIsMadeAgainAfterItIsDeleted();
    void launcherLeavesWhateverStandsThereAlone();
    void launcherFollowsTheUserDirsAndSkipsAMissingDesktop();
    void launcherStartsAProgramInAnAwkwardFolder();
    void escapeIsHeldOnlyWhenAsked();
    void escapeHotKeyIsDeliveredWithItsId();
    void escapeHotKeyWorksWithNumLockOn();
    void escapeHeldByAnotherClientFailsQuietly();
    void aKeyThatCouldNotBeTakenIsNotHeldOnceFree();
    void escapeReachesAFocusedWindowWithoutTheGrab();
    void hoveringTitleBarShowsItsTip();
    void pressingTheBrandOpensTheContactPage();

private:
    QString desktop() const { return home_.filePath(QStringLiteral("Desktop")); }
    QString launcher() const { return desktop() + QStringLiteral("/澄影播放器.desktop"); }

    QTemporaryDir home_;
    QTemporaryDir programFolder_;
    std::unique_ptr<Program> program_;
    QElapsedTimer sinceOpen_;
    qint64 firstBottomTick_ = -1;
    qint64 firstTopTick_ = -1;
    QList<QUrl> opened_;
};

void StartupTest::initTestCase()
{
    QVERIFY(home_.isValid() && programFolder_.isValid());
    qputenv("HOME", QFile::encodeName(home_.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home_.filePath(QStringLiteral(".config"))));
    QVERIFY(QDir().mkpath(desktop()));
    QVERIFY(testmedia::writeFile(programFolder_.filePath(QStringLiteral("澄影播放源.txt")),
                      QStringLiteral("新闻,/媒体/新闻.mp4\r\n体育,http://127.0.0.1/体育.ts\r\n").toUtf8()));

    program_ = std::make_unique<Program>(programFolder_.path());
    MainWindow& window = program_->window();
    Timer& bottom = window.get<Timer>(u"BottomEdgeTimer");
    Timer& top = window.get<Timer>(u"TopEdgeTimer");
    connect(&bottom, &Timer::ticked, this, [this] {
        if (firstBottomTick_ < 0)
            firstBottomTick_ = sinceOpen_.elapsed();
    });
    connect(&top, &Timer::ticked, this, [this] {
        if (firstTopTick_ < 0)
            firstTopTick_ = sinceOpen_.elapsed();
    });
    QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "openUrl");
    program_->open();
    sinceOpen_.start();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
}

void StartupTest::cleanupTestCase()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    program_.reset();
}

void StartupTest::startupHasItsEffectsInOrder()
{
    ProgramState& state = program_->state();
    MainWindow& window = program_->window();
    QCOMPARE(state.core.playback().cachingMs(), 300);
    QCOMPARE(SessionProbe(state.core.session()).player(0)->Volume(0, false), 150);
    QCOMPARE(window.get<TransLabel>(u"VolumeValueLabel").caption(), QStringLiteral("150"));
    QTRY_COMPARE(window.get<ListBox>(u"SourceList").items().size(), 2);
    QCOMPARE(window.get<ListBox>(u"AddressList").items().value(1), QStringLiteral("http://127.0.0.1/体育.ts"));
    QCOMPARE(window.get<ListBox>(u"SourceList").currentSelection(), -1);
    QVERIFY(QFile::exists(launcher()));

    // The timers start as the handler's last step: no tick before, the first on time after.
    QCOMPARE(window.get<Timer>(u"BottomEdgeTimer").period(), 1000);
    QCOMPARE(window.get<Timer>(u"TopEdgeTimer").period(), 3000);
    QTRY_VERIFY_WITH_TIMEOUT(firstTopTick_ >= 0, 8000);
    // Never early; late only by what a loaded machine may add.
    QVERIFY2(firstBottomTick_ >= 900 && firstBottomTick_ < 2900, qPrintable(QString::number(firstBottomTick_)));
    QVERIFY2(firstTopTick_ >= 2900 && firstTopTick_ < 4900, qPrintable(QString::number(firstTopTick_)));
}

void StartupTest::startingVolumeReadsTheLeadingNumber()
{
    QCOMPARE(leadingInteger(QStringLiteral("150")), 150);
    QCOMPARE(leadingInteger(QStringLiteral("  +12.9 格")), 12);
    QCOMPARE(leadingInteger(QStringLiteral("-7.5")), -7);
    QCOMPARE(leadingInteger(QStringLiteral("１５０")), 150);
    QCOMPARE(leadingInteger(QStringLiteral("\u3000３．９")), 3);
    QCOMPARE(leadingInteger(QStringLiteral(".5")), 0);
    QCOMPARE(leadingInteger(QStringLiteral("音量150")), 0);
    QCOMPARE(leadingInteger(QStringLiteral("- 5")), 0);
    QCOMPARE(leadingInteger(QString()), 0);
    QCOMPARE(leadingInteger(QStringLiteral("99999999999")), std::numeric_limits<int>::max());
}

void StartupTest::launcherIsCreatedForTheRunningProgram()
{
    const QString content = readFile(launcher());
    QVERIFY2(content.contains(QStringLiteral("Exec=\"%1\"").arg(QCoreApplication::applicationFilePath())),
             qPrintable(content));
    QVERIFY(content.contains(QStringLiteral("Name=澄影播放器")));
    QVERIFY(content.contains(QStringLiteral("Terminal=false")));
    QVERIFY(content.contains(QStringLiteral("Icon=%1/clipvane.png").arg(programFolder_.path())));
    QVERIFY(QFileInfo(launcher()).isExecutable());
    QString said;
    QCOMPARE(run(QStringLiteral("desktop-file-validate"), {launcher()}, &said), 0);
    QVERIFY2(said.trimmed().isEmpty(), qPrintable(said));
    // Written whole: no temporary file is left beside it.
    QCOMPARE(QDir(desktop()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

void StartupTest::launcherIsMadeAgainAfterItIsDeleted()
{
    QVERIFY(QFile::remove(launcher()));
    EnsureDesktopShortcut(QStringLiteral("/opt/clipvane/clipvane"), QStringLiteral("/opt/clipvane/clipvane.png"));
    QVERIFY(readFile(launcher()).contains(QStringLiteral("Exec=\"/opt/clipvane/clipvane\"")));
    // Once there, it is left as it is, even when the program has moved.
    EnsureDesktopShortcut(QStringLiteral("/elsewhere/clipvane"), QString());
    QVERIFY(readFile(launcher()).contains(QStringLiteral("/opt/clipvane/clipvane")));
}

void StartupTest::launcherLeavesWhateverStandsThereAlone()
{
    QVERIFY(QFile::remove(launcher()));
    QVERIFY(testmedia::writeFile(launcher(), "not a launcher"));
    EnsureDesktopShortcut(QStringLiteral("/opt/clipvane/clipvane"), QString());
    QCOMPARE(readFile(launcher()), QStringLiteral("not a launcher"));

    QVERIFY(QFile::remove(launcher()));
    QVERIFY(QDir().mkpath(launcher()));
    EnsureDesktopShortcut(QStringLiteral("/opt/clipvane/clipvane"), QString());
    QVERIFY(QFileInfo(launcher()).isDir());
    QVERIFY(QDir(launcher()).isEmpty());
    QVERIFY(QDir(launcher()).removeRecursively());
}

void StartupTest::launcherFollowsTheUserDirsAndSkipsAMissingDesktop()
{
    const QString config = home_.filePath(QStringLiteral(".config"));
    QVERIFY(QDir().mkpath(config));
    QVERIFY(QDir().mkpath(home_.filePath(QStringLiteral("桌面"))));
    QVERIFY(testmedia::writeFile(config + QStringLiteral("/user-dirs.dirs"), "XDG_DESKTOP_DIR=\"$HOME/桌面\"\n"));
    QCOMPARE(desktop::folder(), home_.filePath(QStringLiteral("桌面")));
    EnsureDesktopShortcut(QStringLiteral("/opt/clipvane/clipvane"), QString());
    QVERIFY(QFile::exists(home_.filePath(QStringLiteral("桌面/澄影播放器.desktop"))));

    QVERIFY(testmedia::writeFile(config + QStringLiteral("/user-dirs.dirs"), "XDG_DESKTOP_DIR=\"$HOME/没有这个文件夹\"\n"));
    QCOMPARE(desktop::folder(), QString());
    EnsureDesktopShortcut(QStringLiteral("/opt/clipvane/clipvane"), QString());
    QVERIFY(!QFileInfo::exists(home_.filePath(QStringLiteral("没有这个文件夹"))));
    QVERIFY(QFile::remove(config + QStringLiteral("/user-dirs.dirs")));
}

void StartupTest::launcherStartsAProgramInAnAwkwardFolder()
{
    QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("a b \"q\" $HOME `x` \\ 100% 播放 'y'"));
    QVERIFY(QDir().mkpath(folder));
    const QString program = folder + QStringLiteral("/clip vane");
    const QString marker = root.filePath(QStringLiteral("started"));
    QVERIFY(testmedia::writeFile(program, QStringLiteral("#!/bin/sh\necho \"$0\" > '%1'\n").arg(marker).toUtf8()));
    QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    QFile::remove(launcher());
    EnsureDesktopShortcut(program, QString());
    QString said;
    QCOMPARE(run(QStringLiteral("desktop-file-validate"), {launcher()}, &said), 0);
    QVERIFY2(said.trimmed().isEmpty(), qPrintable(said));
    QCOMPARE(run(QStringLiteral("gio"), {"launch", launcher()}, &said), 0);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 10000);
    QTRY_COMPARE(readFile(marker).trimmed(), program);
}

void StartupTest::escapeIsHeldOnlyWhenAsked()
{
    HotKeyService& hotKeys = *program_->state().hotKeys;
    const int id = program_->state().escapeHotKey;
    QCOMPARE(id, HotKeyService::kFirstId);
    QVERIFY(xtest::escapeIsFree());
    QVERIFY(hotKeys.SetGrabbed(id, true));
    QVERIFY(!xtest::escapeIsFree());
    QVERIFY(hotKeys.SetGrabbed(id, false));
    QVERIFY(xtest::escapeIsFree());
}

void StartupTest::escapeHotKeyIsDeliveredWithItsId()
{
    const int id = program_->state().escapeHotKey;
    QVERIFY(program_->state().hotKeys->SetGrabbed(id, true));
    QSignalSpy notified(&program_->window().get<Label>(u"EscapeHotKeyLabel"), &Label::notified);
    QVERIFY(xtest::xdotool({"key", "Escape"}));
    QTRY_COMPARE(notified.count(), 1);
    QCOMPARE(notified.first().at(0).toInt(), id);
    QCOMPARE(notified.first().at(1).toInt(), 0);
    program_->state().hotKeys->SetGrabbed(id, false);
}

void StartupTest::escapeHotKeyWorksWithNumLockOn()
{
    const int id = program_->state().escapeHotKey;
    QVERIFY(program_->state().hotKeys->SetGrabbed(id, true));
    QSignalSpy notified(&program_->window().get<Label>(u"EscapeHotKeyLabel"), &Label::notified);
    QVERIFY(xtest::xdotool({"key", "Num_Lock"}));
    QVERIFY(xtest::xdotool({"key", "Caps_Lock"}));
    QVERIFY(xtest::xdotool({"key", "Escape"}));
    QTRY_COMPARE(notified.count(), 1);
    QCOMPARE(notified.first().at(0).toInt(), id);
    QVERIFY(xtest::xdotool({"key", "Num_Lock"}));
    QVERIFY(xtest::xdotool({"key", "Caps_Lock"}));
    program_->state().hotKeys->SetGrabbed(id, false);
}

void StartupTest::escapeHeldByAnotherClientFailsQuietly()
{
    OtherClientHoldingEscape other;
    QVERIFY(!xtest::escapeIsFree());
    std::unique_ptr<HotKeyService> second = HotKeyService::create();
    QWidget window;
    QCOMPARE(second->Register(window, 0, 0x1B), 0);
    QVERIFY(!second->SetGrabbed(0, true));
    // Ours cannot be taken either while the other client holds it.
    QVERIFY(!program_->state().hotKeys->SetGrabbed(program_->state().escapeHotKey, true));
}

void StartupTest::aKeyThatCouldNotBeTakenIsNotHeldOnceFree()
{
    {
        OtherClientHoldingEscape other;
        QVERIFY(!program_->state().hotKeys->SetGrabbed(program_->state().escapeHotKey, true));
    }
    QTRY_VERIFY(xtest::escapeIsFree());
}

void StartupTest::escapeReachesAFocusedWindowWithoutTheGrab()
{
    MainWindow& window = program_->window();
    QVERIFY(xtest::escapeIsFree());
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QSignalSpy notified(&window.get<Label>(u"EscapeHotKeyLabel"), &Label::notified);
    QVERIFY(xtest::xdotool({"key", "Escape"}));
    QTRY_COMPARE(notified.count(), 1);
    QCOMPARE(notified.first().at(0).toInt(), program_->state().escapeHotKey);
}

void StartupTest::hoveringTitleBarShowsItsTip()
{
    const QPoint at = program_->window().mapToGlobal(QPoint(400, 16));
    QVERIFY(xtest::xdotool({"mousemove", QString::number(at.x() - 5), QString::number(at.y())}));
    QVERIFY(xtest::xdotool({"mousemove", QString::number(at.x()), QString::number(at.y())}));
    QTRY_VERIFY_WITH_TIMEOUT(QToolTip::isVisible(), 5000);
    QCOMPARE(QToolTip::text(), QStringLiteral("双击此处可以全屏或者缩小。"));
}

void StartupTest::pressingTheBrandOpensTheContactPage()
{
    const QPoint at = program_->window().mapToGlobal(QPoint(70, 395));
    QVERIFY(xtest::xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"}));
    QTRY_COMPARE(opened_.size(), 1);
    QCOMPARE(opened_.first(), QUrl(contact::pageAddress()));
}

int main(int argc, char** argv)
{
    XInitThreads();
    QApplication app(argc, argv);
    StartupTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_startup.moc"
