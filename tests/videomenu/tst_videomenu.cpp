// The menu over the video, through the real window and libvlc: tracks,
// subtitles, the picture's shape kept per channel, the information panel.

#include "ProgramDriver.h"
#include "TestMedia.h"
#include "XTestSupport.h"
#include "app/Program.h"
#include "app/ProgramState.h"
#include "ui/MainWindow.h"
#include "ui/playback/VideoArea.h"
#include "ui/playback/MediaInfoPanel.h"
#include "ui/playback/PositionBar.h"
#include "ui/Texts.h"
#include "ui/window/WindowModeFlags.h"
#include "app/ProgramViews.h"
#include "ui/playback/MediaInfoView.h"
#include "ui/playback/PlaybackView.h"

#include <QApplication>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <X11/Xlib.h>

#include <functional>
#include <memory>

// Long enough for a picture's new shape on a busy machine or under a sanitizer.
constexpr int kPictureWaitMs = 30000;

class VideoMenuTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void tracksAndSubtitlesAreChosenFromTheMenu();
    void pictureShapesChangeTheScreenAndStayWithTheirChannel();
    void informationSaysWhatPlaysAndEscClosesIt();

private:
    // Right-clicks the middle of the video and chooses `choice` of the submenu `submenu` (empty: the menu itself).
    void choose(const QString& submenu, const QString& choice);
    std::optional<MediaPlayer::Tracks> tracks() { return program_->core().session().transport().tracks(); }
    QRect video() { return program_->views().video->onScreen(); }
    // How many pixels of the video's middle row (or column) show the colour.
    int extent(const QColor& colour, Qt::Orientation along);

    QTemporaryDir media_;
    QString film_, letterboxed_;
    std::unique_ptr<Program> program_;
    std::unique_ptr<ProgramDriver> driver_;
};

void VideoMenuTest::initTestCase()
{
    film_ = media_.filePath(QStringLiteral("film.mkv"));
    letterboxed_ = media_.filePath(QStringLiteral("letterboxed.mp4"));
    QVERIFY(testmedia::makeFilmWithTracks(film_));
    QVERIFY(testmedia::makeLetterboxedClip(letterboxed_));
    program_ = std::make_unique<Program>();
    program_->open();
    QVERIFY(QTest::qWaitForWindowExposed(&program_->window()));
    driver_ = std::make_unique<ProgramDriver>(*program_);
    driver_->setEntries({{QStringLiteral("影片"), film_}, {QStringLiteral("宽银幕"), letterboxed_}});
}

void VideoMenuTest::choose(const QString& submenu, const QString& choice)
{
    bool chosen = false;
    xtest::actOnNextMenu(&program_->window(), [&](QMenu& menu) {
        QMenu* within = &menu;
        if (!submenu.isEmpty()) {
            within = nullptr;
            for (QAction* action : menu.actions())
                if (action->menu() && action->text() == submenu)
                    within = action->menu();
        }
        if (within)
            for (QAction* action : within->actions())
                if (action->text() == choice && action->isEnabled()) {
                    action->trigger();
                    chosen = true;
                }
        menu.close();
    });
    const QPoint middle = video().center();
    QVERIFY(xtest::xdotool({"mousemove", QString::number(middle.x()), QString::number(middle.y()), "click", "3"}));
    QTRY_VERIFY2(chosen, qPrintable(submenu + QLatin1Char('/') + choice));
}

int VideoMenuTest::extent(const QColor& colour, Qt::Orientation along)
{
    const QImage shot = xtest::grabScreen(video());
    int count = 0;
    const int length = along == Qt::Horizontal ? shot.width() : shot.height();
    for (int at = 0; at < length; ++at) {
        const QColor seen = along == Qt::Horizontal ? shot.pixelColor(at, shot.height() / 2)
                                                    : shot.pixelColor(shot.width() / 2, at);
        count += testmedia::looksLike(seen, colour) ? 1 : 0;
    }
    return count;
}

void VideoMenuTest::tracksAndSubtitlesAreChosenFromTheMenu()
{
    driver_->doubleClickEntry(0);
    QVERIFY(driver_->videoTurns(testmedia::kBlue, 10000));
    QTRY_VERIFY2(tracks() && tracks()->audio.size() == 2 && tracks()->subtitles.size() == 1,
                 qPrintable(tracks() ? QStringLiteral("%1 audio, %2 subtitles").arg(tracks()->audio.size()).arg(tracks()->subtitles.size())
                                     : QStringLiteral("none")));
    const QString french = texts::trackName(texts::audioTrack(), tracks()->audio[1]);
    QVERIFY2(french.contains(QLatin1String("[fre]")), qPrintable(french));
    QCOMPARE(tracks()->audioId, tracks()->audio[0].id);

    // The second audio track (its other tone) by the menu.
    choose(QStringLiteral("音轨"), french);
    QTRY_COMPARE(tracks()->audioId, tracks()->audio[1].id);

    // The subtitle's white letters come up over the blue, low in the picture,
    // and go again: counted with the pointer away, once the position bar it brought up has gone.
    const auto whiteBelowMiddle = [this] {
        const QPoint away = video().topLeft() - QPoint(0, 20);
        xtest::xdotool({"mousemove", QString::number(away.x()), QString::number(away.y())});
        PositionBar* bar = program_->window().findChild<PositionBar*>();
        const QPoint underBar = video().bottomLeft() + QPoint(5, -30);
        if (!QTest::qWaitFor([bar] { return !bar || !bar->isVisible(); }, 6000) ||
            !QTest::qWaitFor([underBar] { return testmedia::looksLike(xtest::screenPixel(underBar), testmedia::kBlue); }, 2000))
            return -1;
        const QImage shot = xtest::grabScreen(video());
        int white = 0;
        for (int y = shot.height() / 2; y < shot.height(); y += 2)
            for (int x = 0; x < shot.width(); x += 2)
                white += shot.pixelColor(x, y).lightness() > 200 ? 1 : 0;
        return white;
    };
    QCOMPARE(whiteBelowMiddle(), 0);
    choose(QStringLiteral("字幕"), texts::trackName(texts::subtitleTrack(), tracks()->subtitles[0]));
    QTRY_COMPARE(tracks()->subtitleId, tracks()->subtitles[0].id);
    QTRY_VERIFY_WITH_TIMEOUT(whiteBelowMiddle() > 20, 10000);
    choose(QStringLiteral("字幕"), QStringLiteral("关闭"));
    QTRY_COMPARE(tracks()->subtitleId, -1);
    QTRY_COMPARE_WITH_TIMEOUT(whiteBelowMiddle(), 0, 10000);
}

void VideoMenuTest::pictureShapesChangeTheScreenAndStayWithTheirChannel()
{
    using testmedia::kBlue;
    using testmedia::kRed;
    const int width = video().width();
    // Once the picture has taken the shape it stays: a frame of the change
    // seen on its way does not fail the wait, as a second look by QTRY would.
    const auto shows = [](const std::function<bool()>& shape) { return QTest::qWaitFor(shape, kPictureWaitMs); };
    driver_->doubleClickEntry(0);
    QVERIFY(driver_->videoTurns(kBlue, 10000));
    QVERIFY(shows([&] { return extent(kBlue, Qt::Horizontal) > width - 8; })); // 16:9 fills the width of a wider area
    choose(QStringLiteral("画面比例"), QStringLiteral("4:3"));
    const int fourThirds = video().height() * 4 / 3;
    QVERIFY2(shows([&] { return std::abs(extent(kBlue, Qt::Horizontal) - fourThirds) < 8; }), qPrintable(QString::number(extent(kBlue, Qt::Horizontal))));

    // The letterboxed channel keeps its own shape: its bars show, until they are cut off.
    driver_->doubleClickEntry(1);
    QVERIFY(driver_->videoTurns(kRed, 10000));
    const int band = video().height() * 180 / 240;
    QVERIFY2(shows([&] { return std::abs(extent(kRed, Qt::Vertical) - band) < 8; }), qPrintable(QString::number(extent(kRed, Qt::Vertical))));
    choose(QStringLiteral("画面比例"), QStringLiteral("裁去黑边"));
    QVERIFY2(shows([&] { return extent(kRed, Qt::Horizontal) > width - 8; }), qPrintable(QString::number(extent(kRed, Qt::Horizontal))));
    QVERIFY(shows([&] { return extent(kRed, Qt::Vertical) > band + 30; }));

    // Back and forth, each on the player the other had: each its own shape, nothing left of the other's.
    for (int turn = 0; turn < 2; ++turn) {
        driver_->doubleClickEntry(0);
        QVERIFY(driver_->videoTurns(kBlue, 10000));
        QVERIFY(shows([&] { return std::abs(extent(kBlue, Qt::Horizontal) - fourThirds) < 8; }));
        driver_->doubleClickEntry(1);
        QVERIFY(driver_->videoTurns(kRed, 10000));
        QVERIFY2(shows([&] { return extent(kRed, Qt::Horizontal) > width - 8; }),
                 qPrintable(QStringLiteral("%1 × %2").arg(extent(kRed, Qt::Horizontal)).arg(extent(kRed, Qt::Vertical))));
    }
    const auto kept = UserSettings().pictures();
    QCOMPARE(kept.size(), size_t(2));
    QCOMPARE(kept[0].second.shape, PictureSettings::Shape::Standard);
    QCOMPARE(kept[1].second.shape, PictureSettings::Shape::CropBars);
}

void VideoMenuTest::informationSaysWhatPlaysAndEscClosesIt()
{
    driver_->doubleClickEntry(0);
    QVERIFY(driver_->videoTurns(testmedia::kBlue, 10000));
    // In full screen, where Esc is the hot key's.
    program_->window().activateWindow();
    QTRY_VERIFY(program_->window().isActiveWindow());
    QVERIFY(xtest::xdotool({"key", "f"}));
    QTRY_VERIFY(windowmode::isFullScreen(program_->window()));
    choose({}, QStringLiteral("信息"));
    ProgramViews& views = program_->views();
    QTRY_VERIFY(views.info->isShown());
    // Codec, size and format as libvlc decoded them; the bit rate once it has been measured a while.
    QTRY_VERIFY_WITH_TIMEOUT(program_->window().findChild<MediaInfoPanel*>()->text().contains(QLatin1String("kbit/s")), 5000);
    const QString text = program_->window().findChild<MediaInfoPanel*>()->text();
    for (const char* expected : {"影片", "film.mkv", "Matroska", "320×180", "H264", "声道", "48000 Hz"})
        QVERIFY2(text.contains(QString::fromUtf8(expected)), qPrintable(expected + QStringLiteral(" in ") + text));
    QVERIFY(xtest::xdotool({"key", "Escape"}));
    QTRY_VERIFY(!views.info->isShown());
    QTRY_VERIFY(!windowmode::isFullScreen(program_->window()));
}

int main(int argc, char** argv)
{
    XInitThreads();
    QApplication app(argc, argv);
    VideoMenuTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_videomenu.moc"
