// The keys and the wheel that media-player users bring, pressed through the
// X server with xdotool, windowed and in full screen, with the keyboard on the
// list and on the window's background; the channel remembered across a real
// restart of the program.

#include "TestMedia.h"
#include "XTestSupport.h"

#include "app/Program.h"
#include "ui/window/ChannelKeys.h"
#include "ui/window/FullScreenLayout.h"
#include "ui/MainWindow.h"
#include "ui/controls/Control.h"
#include "ui/controls/ListBox.h"
#include "ui/controls/PicBox.h"
#include "ui/controls/TransLabel.h"
#include "app/ProgramViews.h"
#include "ui/playback/PlaybackView.h"
#include "ui/window/WindowView.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <X11/Xlib.h>

class KeysTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void everyKeyWorksWhereverTheKeyboardIs_data();
    void everyKeyWorksWhereverTheKeyboardIs();
    void digitsPickTheTwelfthChannelHeadingsNotCounted();
    void pageDownAtTheEndWraps();
    void volumeKeysAndWheelStopAtTheButtonsLimits();
    void doubleClickOnThePictureSwitchesFullScreen();
    void filterLineKeepsItsKeys();
    void listHeadingTipNamesTheKeys();
    void lastChannelSurvivesARestart();

private:
    bool keys(const QStringList& names);
    QString title() const { return window().get<TransLabel>(u"TitleLabel").caption(); }
    MainWindow& window() const { return program_->window(); }
    ListBox& list() const { return window().get<ListBox>(u"SourceList"); }
    QString chosen() const { return program_->core().playback().currentAddress(); }
    void focus(bool onList);
    bool fullScreen() const { return window().control(u"FullScreenButton")->Tag() == QStringLiteral("缩小"); }
    void setFullScreen(bool on);

    QTemporaryDir dir_;
    QString listPath_;
    std::unique_ptr<Program> program_;
};

namespace {

// Channel n's address.
QString addressOf(int n)
{
    return QStringLiteral("/没有/%1.mp4").arg(n);
}

} // namespace

void KeysTest::initTestCase()
{
    QVERIFY(dir_.isValid());
    // Two groups: channels 1–5 under the first heading, 6–15 under the second.
    QString text = QStringLiteral("央视,#genre#\r\n");
    for (int n = 1; n <= 15; ++n) {
        if (n == 6)
            text += QStringLiteral("卫视,#genre#\r\n");
        text += QStringLiteral("频道%1,%2\r\n").arg(n).arg(addressOf(n));
    }
    listPath_ = dir_.filePath(QStringLiteral("节目单.txt"));
    QVERIFY(testmedia::writeFile(listPath_, text.toUtf8()));
    program_ = std::make_unique<Program>();
    program_->open();
    QVERIFY(QTest::qWaitForWindowExposed(&window()));
    QSignalSpy loaded(&program_->core().sources(), &PlaySourceLoader::loaded);
    program_->core().sources().load(listPath_);
    QVERIFY(loaded.wait(10000));
    QCOMPARE(list().items().size(), 17);
}

void KeysTest::init()
{
    setFullScreen(false);
    program_->views().playback->stop();
}

void KeysTest::cleanupTestCase()
{
    setFullScreen(false);
    program_.reset();
}

bool KeysTest::keys(const QStringList& names)
{
    const bool pressed = xtest::xdotool(QStringList{"key", "--delay", "40"} + names);
    QCoreApplication::processEvents();
    QTest::qWait(50);
    return pressed;
}

void KeysTest::focus(bool onList)
{
    window().activateWindow();
    xtest::xdotool({"windowfocus", "--sync", QString::number(window().winId())});
    if (onList) {
        list().setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(list().hasFocus());
    } else {
        window().setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(QApplication::focusWidget() == &window() || !QApplication::focusWidget());
    }
}

void KeysTest::setFullScreen(bool on)
{
    if (fullScreen() != on)
        program_->views().window->toggleFullScreen();
    QTRY_COMPARE(fullScreen(), on);
}

void KeysTest::everyKeyWorksWhereverTheKeyboardIs_data()
{
    QTest::addColumn<bool>("full");
    QTest::addColumn<bool>("onList");
    QTest::newRow("windowed, on the list") << false << true;
    QTest::newRow("windowed, on the background") << false << false;
    QTest::newRow("full screen, on the list") << true << true;
    QTest::newRow("full screen, on the background") << true << false;
}

void KeysTest::everyKeyWorksWhereverTheKeyboardIs()
{
    QFETCH(bool, full);
    QFETCH(bool, onList);
    setFullScreen(full);
    focus(onList);
    const std::uint64_t before = program_->core().session().generation();

    // Up and Down move the selection, over headings, and play nothing.
    list().setCurrentSelection(5); // 频道5
    QVERIFY(keys({"Down"}));
    QCOMPARE(list().currentSelection(), 7); // over the heading 卫视, to 频道6
    QVERIFY(keys({"Up", "Up"}));
    QCOMPARE(list().currentSelection(), 4);
    QCOMPARE(program_->core().session().generation(), before);

    // Enter plays the selection.
    QVERIFY(keys({"Return"}));
    QCOMPARE(chosen(), addressOf(4));
    QVERIFY(title().endsWith(QStringLiteral("频道4")));
    // PageDown and Ctrl+Down: the next channel at once; PageUp and Ctrl+Up: back.
    QVERIFY(keys({"Next"}));
    QCOMPARE(chosen(), addressOf(5));
    QVERIFY(keys({"ctrl+Down"}));
    QCOMPARE(chosen(), addressOf(6));
    QVERIFY(keys({"Prior", "ctrl+Up"}));
    QCOMPARE(chosen(), addressOf(4));
    // Backspace: the one before, and back again.
    QVERIFY(keys({"BackSpace"}));
    QCOMPARE(chosen(), addressOf(5));
    QVERIFY(keys({"BackSpace"}));
    QCOMPARE(chosen(), addressOf(4));
    // Space stops; again, the last choice plays again.
    QVERIFY(keys({"space"}));
    QCOMPARE(title(), QStringLiteral("Clipvane 澄影播放器"));
    QVERIFY(keys({"space"}));
    QVERIFY(title().endsWith(QStringLiteral("频道4")));
    QCOMPARE(chosen(), addressOf(4));
    // M mutes and shows it; M again brings the level back.
    TransLabel& number = window().get<TransLabel>(u"VolumeValueLabel");
    const QString level = number.caption();
    QVERIFY(keys({"m"}));
    QCOMPARE(number.caption(), QStringLiteral("0"));
    QCOMPARE(window().control(u"VolumeLevelBar")->Width(), 0);
    QCOMPARE(program_->core().session().transport().volume(), 0);
    QVERIFY(keys({"m"}));
    QCOMPARE(number.caption(), level);
    // F and F11 switch full screen.
    QVERIFY(keys({"f"}));
    QTRY_COMPARE(fullScreen(), !full);
    QVERIFY(keys({"F11"}));
    QTRY_COMPARE(fullScreen(), full);
    program_->views().playback->stop();
}

void KeysTest::digitsPickTheTwelfthChannelHeadingsNotCounted()
{
    focus(true);
    QVERIFY(keys({"1", "2"}));
    // The number shows over the picture while it is typed.
    const auto* tip = qApp->findChild<QLabel*>(QStringLiteral("ChannelNumberTip"));
    QLabel* shown = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QStringLiteral("ChannelNumberTip"))
            shown = qobject_cast<QLabel*>(widget);
    Q_UNUSED(tip);
    QVERIFY(shown);
    QVERIFY(shown->isVisible());
    QCOMPARE(shown->text(), QStringLiteral("12"));
    // 1.5 s after the last digit it plays: the twelfth channel, 频道12 (row 13).
    QTRY_COMPARE_WITH_TIMEOUT(chosen(), addressOf(12), 5000);
    QCOMPARE(list().currentSelection(), 13);
    QVERIFY(!shown->isVisible());
    // A number beyond the list plays nothing.
    QVERIFY(keys({"9", "9"}));
    QTest::qWait(ChannelKeys::kDigitPauseMs + 300);
    QCOMPARE(chosen(), addressOf(12));
}

void KeysTest::pageDownAtTheEndWraps()
{
    focus(false);
    list().setCurrentSelection(16); // 频道15, the last
    QVERIFY(keys({"Return"}));
    QCOMPARE(chosen(), addressOf(15));
    QVERIFY(keys({"Next"}));
    QCOMPARE(chosen(), addressOf(1)); // over the first heading
    QVERIFY(keys({"Prior"}));
    QCOMPARE(chosen(), addressOf(15));
}

void KeysTest::volumeKeysAndWheelStopAtTheButtonsLimits()
{
    focus(false);
    Control& bar = *window().control(u"VolumeLevelBar");
    Control& up = *window().control(u"VolumeUpButton");
    TransLabel& number = window().get<TransLabel>(u"VolumeValueLabel");
    // The buttons' own limit: the up step stops once the bar has passed 80 pixels.
    for (int i = 0; i < 12; ++i)
        QVERIFY(keys({"plus"}));
    QCOMPARE(bar.Width(), 88);
    QVERIFY(up.Disabled());
    const QString top = number.caption();
    // The wheel over the picture: the same steps.
    PicBox& video = window().get<PicBox>(u"VideoSurface");
    const QPoint over = video.mapToGlobal(video.rect().center());
    QVERIFY(xtest::xdotool({"mousemove", QString::number(over.x()), QString::number(over.y()), "click", "4"}));
    QTRY_COMPARE(number.caption(), top); // nothing more above the limit
    QVERIFY(xtest::xdotool({"click", "--repeat", "3", "--delay", "60", "5"}));
    QTRY_COMPARE(bar.Width(), 88 - 3 * 8);
    QVERIFY(!up.Disabled());
    QCOMPARE(number.caption(), QString::number(top.toInt() - 150));
    QVERIFY(keys({"minus", "minus", "minus", "minus", "minus", "minus", "minus", "minus", "minus", "minus", "minus"}));
    QCOMPARE(bar.Width(), 0);
    QCOMPARE(number.caption(), QStringLiteral("0"));
    // The wheel outside the picture does nothing to the volume.
    const QPoint onList = list().mapToGlobal(list().rect().center());
    QVERIFY(xtest::xdotool({"mousemove", QString::number(onList.x()), QString::number(onList.y()), "click", "4"}));
    QTest::qWait(100);
    QCOMPARE(number.caption(), QStringLiteral("0"));
    // Back to where the window starts.
    for (int i = 0; i < 3; ++i)
        QVERIFY(keys({"plus"}));
    QCOMPARE(number.caption(), QStringLiteral("150"));
    QCOMPARE(bar.Width(), 24);
}

void KeysTest::doubleClickOnThePictureSwitchesFullScreen()
{
    PicBox& video = window().get<PicBox>(u"VideoSurface");
    QPoint at = video.mapToGlobal(video.rect().center());
    QVERIFY(xtest::xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "--repeat", "2",
                            "--delay", "80", "1"}));
    QTRY_VERIFY(fullScreen());
    at = video.mapToGlobal(video.rect().center());
    QVERIFY(xtest::xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "--repeat", "2",
                            "--delay", "80", "1"}));
    QTRY_VERIFY(!fullScreen());
    // A single click changes nothing.
    QVERIFY(xtest::xdotool({"click", "1"}));
    QTest::qWait(300);
    QVERIFY(!fullScreen());
}

void KeysTest::filterLineKeepsItsKeys()
{
    focus(true);
    const QString before = chosen();
    QVERIFY(keys({"ctrl+f"}));
    auto* line = window().findChild<QLineEdit*>(QStringLiteral("ListFilterLine"));
    QTRY_VERIFY(line->isVisible() && line->hasFocus());
    QVERIFY(keys({"1", "space", "m", "f"}));
    QCOMPARE(line->text(), QStringLiteral("1 mf"));
    QVERIFY(!fullScreen());
    QCOMPARE(chosen(), before);
    QVERIFY(keys({"Escape"}));
    QTRY_VERIFY(!line->isVisible());
}

void KeysTest::listHeadingTipNamesTheKeys()
{
    QWidget* heading = window().control(u"ListCaptionLabel")->widget();
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(heading);
    QVERIFY(accessible);
    const QString description = accessible->text(QAccessible::Description);
    for (const char* key : {"回车", "PgUp", "数字", "退格", "空格", "F11", "静音", "滚轮"})
        QVERIFY2(description.contains(QString::fromUtf8(key)), key);
}

// The program itself, twice, with one config folder: a channel played in the
// first run is selected at the second start, and nothing plays.
void KeysTest::lastChannelSurvivesARestart()
{
    QTemporaryDir folder;
    QTemporaryDir config;
    // The other program's window opens where this one stands.
    window().hide();
    const QString program = folder.filePath(QStringLiteral("clipvane"));
    QVERIFY(QFile::copy(QStringLiteral(CLIPVANE_BINARY), program));
    QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QVERIFY(QFile::copy(listPath_, folder.filePath(QStringLiteral("澄影播放源.txt"))));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    const QPoint origin = MainWindow::centredPosition(QSize(707, 415));
    const int rowHeight = list().visualRect(list().model()->index(0, 0)).height();
    const auto rowCentre = [&](int row) { return origin + QPoint(561 + 40, 56 + row * rowHeight + rowHeight / 2); };
    const auto run = [&](const std::function<void()>& meanwhile) {
        QProcess player;
        player.setProcessEnvironment(environment);
        player.start(program, {});
        if (!player.waitForStarted(10000) || !xtest::waitForWindowOf(player.processId()))
            return false;
        QTest::qWait(500); // the list is read after the window shows
        meanwhile();
        player.terminate();
        return player.waitForFinished(10000);
    };
    const auto isSelected = [&](int row) {
        // The selection's highlight, not the list's black.
        return qGray(xtest::screenPixel(rowCentre(row) + QPoint(50, 0)).rgb()) > 40;
    };

    // First run: the eighth row (频道6) double-clicked.
    QVERIFY(run([&] {
        const QPoint at = rowCentre(7);
        xtest::xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "--repeat", "2",
                        "--delay", "80", "1"});
        QTest::qWait(500);
    }));
    const QSettings saved(config.filePath(QStringLiteral("clipvane/clipvane.conf")), QSettings::IniFormat);
    QCOMPARE(saved.value(QStringLiteral("lastChannel/name")).toString(), QStringLiteral("频道6"));
    QCOMPARE(saved.value(QStringLiteral("lastChannel/address")).toString(), addressOf(6));

    // Second run: 频道6 selected, the others not, and the title says nothing plays.
    bool selected = false, othersClear = true;
    QVERIFY(run([&] {
        selected = QTest::qWaitFor([&] { return isSelected(7); }, 5000);
        othersClear = !isSelected(6) && !isSelected(8);
    }));
    QVERIFY(selected);
    QVERIFY(othersClear);

    // A list that no longer has it: nothing selected.
    QVERIFY(testmedia::writeFile(folder.filePath(QStringLiteral("澄影播放源.txt")),
                                 QStringLiteral("别的,/没有/x.mp4\r\n另一个,/没有/y.mp4\r\n").toUtf8()));
    bool anySelected = true;
    QVERIFY(run([&] {
        QTest::qWait(500);
        anySelected = isSelected(0) || isSelected(1);
    }));
    QVERIFY(!anySelected);
    window().show();
}

int main(int argc, char** argv)
{
    XInitThreads();
    QApplication app(argc, argv);
    KeysTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_keys.moc"
