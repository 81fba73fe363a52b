// The program as a packager and a user get it: installed into a staging
// folder (DESTDIR), its menu entry and metadata validated, the installed
// program started with a list only in the user's config folder, and the
// Debian package built and read back.

#include "TestMedia.h"
#include "XTestSupport.h"

#include "ui/MainWindow.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

using testmedia::kBlue;
using testmedia::kRed;

const QString kAppId = QStringLiteral(CLIPVANE_APP_ID);

struct Run {
    int exitCode = -1;
    QString output; // standard output and error together
};

Run run(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment = {},
        int timeoutMs = 600000)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!environment.isEmpty())
        process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Run result;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        result.output = QStringLiteral("timed out: ") + program;
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.output = QString::fromUtf8(process.readAll());
    return result;
}

} // namespace

class InstallTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void installsWhatAMenuNeeds();
    void desktopEntryAndMetadataValidate();
    void installedProgramPlaysTheListInTheConfigFolder();
    void packageNamesItsDependenciesAndHoldsTheFiles();

private:
    QString installed(const QString& path) const { return stage_.filePath(QStringLiteral("usr/") + path); }

    QTemporaryDir stage_;
};

void InstallTest::initTestCase()
{
    QVERIFY(stage_.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DESTDIR"), stage_.path());
    const Run install = run(QStringLiteral(CLIPVANE_CMAKE),
                            {"--install", QStringLiteral(CLIPVANE_BUILD_DIR), "--prefix", "/usr"}, environment);
    QVERIFY2(install.exitCode == 0, qPrintable(install.output));
}

void InstallTest::installsWhatAMenuNeeds()
{
    QStringList expected{QStringLiteral("bin/clipvane"),
                         QStringLiteral("share/applications/%1.desktop").arg(kAppId),
                         QStringLiteral("share/metainfo/%1.metainfo.xml").arg(kAppId),
                         QStringLiteral("share/icons/hicolor/scalable/apps/%1.svg").arg(kAppId),
                         QStringLiteral("share/doc/clipvane/copyright")};
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        expected << QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(kAppId);
    for (const QString& path : expected)
        QVERIFY2(QFileInfo::exists(installed(path)), qPrintable(path));
    QVERIFY(QFileInfo(installed(QStringLiteral("bin/clipvane"))).isExecutable());
    // Each icon is the size its folder says.
    for (const int size : {16, 48, 256}) {
        const QImage icon(installed(QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(kAppId)));
        QCOMPARE(icon.size(), QSize(size, size));
    }
    // Nothing of the build's own files: no list, no picture beside the program.
    QCOMPARE(QDir(installed(QStringLiteral("bin"))).entryList(QDir::Files), QStringList{QStringLiteral("clipvane")});
}

void InstallTest::desktopEntryAndMetadataValidate()
{
    const QString entry = installed(QStringLiteral("share/applications/%1.desktop").arg(kAppId));
    const Run desktop = run(QStringLiteral("desktop-file-validate"), {entry});
    QVERIFY2(desktop.exitCode == 0 && desktop.output.trimmed().isEmpty(), qPrintable(desktop.output));
    const Run metadata = run(QStringLiteral("appstreamcli"),
                             {"validate", "--no-net", installed(QStringLiteral("share/metainfo/%1.metainfo.xml").arg(kAppId))});
    QVERIFY2(metadata.exitCode == 0, qPrintable(metadata.output));

    QFile file(entry);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    QVERIFY(text.contains(QStringLiteral("\nExec=clipvane %U\n")));
    QVERIFY(text.contains(QStringLiteral("audio/x-mpegurl;")));
    QVERIFY(text.contains(QStringLiteral("\nIcon=") + kAppId + QLatin1Char('\n')));
    QVERIFY(text.contains(QStringLiteral("\nCategories=AudioVideo;Video;Player;\n")));
}

// No list beside /usr/bin/clipvane: the one in $XDG_CONFIG_HOME/clipvane shows,
// its relative address resolves from that folder, and it plays.
void InstallTest::installedProgramPlaysTheListInTheConfigFolder()
{
    QTemporaryDir home;
    const QString config = home.filePath(QStringLiteral("config"));
    QVERIFY(QDir().mkpath(config + QStringLiteral("/clipvane")));
    QVERIFY(QDir().mkpath(home.filePath(QStringLiteral("Desktop"))));
    QVERIFY(testmedia::makeClip(config + QStringLiteral("/clipvane/red.mp4"), QStringLiteral("red"), 30));
    QVERIFY(testmedia::writeFile(config + QStringLiteral("/clipvane/澄影播放源.txt"),
                                 QStringLiteral("红色,red.mp4\r\n").toUtf8()));

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    QProcess player;
    player.setProcessEnvironment(environment);
    player.start(installed(QStringLiteral("bin/clipvane")), {});
    QVERIFY(player.waitForStarted(10000));
    const auto finish = qScopeGuard([&] {
        player.terminate();
        if (!player.waitForFinished(10000))
            player.kill();
    });
    QVERIFY(xtest::waitForWindowOf(player.processId()));

    const QPoint origin = MainWindow::centredPosition(QSize(707, 415));
    // The first row of the list, by the light pixels of its name.
    const QRect firstRow(origin + QPoint(565, 57), QSize(130, 12));
    const auto rowHasText = [&] {
        const QImage row = xtest::grabScreen(firstRow);
        int light = 0;
        for (int y = 0; y < row.height(); ++y)
            for (int x = 0; x < row.width(); ++x)
                light += qGray(row.pixel(x, y)) > 128;
        return light > 10;
    };
    QTRY_VERIFY_WITH_TIMEOUT(rowHasText(), 30000);

    const QPoint at = firstRow.center();
    QVERIFY(xtest::xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "--repeat", "2",
                            "--delay", "80", "1"}));
    const QPoint video = origin + QRect(3, 32, 557, 344).center();
    QTRY_VERIFY_WITH_TIMEOUT(testmedia::looksLike(xtest::screenPixel(video), kRed), 30000);

    // The launcher made at start points at the installed program and the theme's icon.
    QFile launcher(home.filePath(QStringLiteral("Desktop/澄影播放器.desktop")));
    QVERIFY(launcher.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(launcher.readAll());
    QVERIFY2(text.contains(QStringLiteral("Exec=\"%1\"").arg(installed(QStringLiteral("bin/clipvane")))), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("\nIcon=") + kAppId + QLatin1Char('\n')), qPrintable(text));
}

void InstallTest::packageNamesItsDependenciesAndHoldsTheFiles()
{
    QTemporaryDir output;
    const Run pack = run(QStringLiteral(CLIPVANE_CPACK), {"-G", "DEB", "-B", output.path(), "--config",
                                                         QStringLiteral(CLIPVANE_BUILD_DIR "/CPackConfig.cmake")});
    QVERIFY2(pack.exitCode == 0, qPrintable(pack.output));
    const QStringList packages = QDir(output.path()).entryList({QStringLiteral("*.deb")}, QDir::Files);
    QCOMPARE(packages.size(), 1);
    const QString package = output.filePath(packages.first());

    const Run info = run(QStringLiteral("dpkg-deb"), {"--info", package});
    QCOMPARE(info.exitCode, 0);
    const QRegularExpressionMatch depends =
        QRegularExpression(QStringLiteral("^ Depends: (.*)$"), QRegularExpression::MultilineOption).match(info.output);
    QVERIFY2(depends.hasMatch(), qPrintable(info.output));
    // libvlc is opened at run time, where no library scan sees it; Qt and FFmpeg come from the scan.
    for (const char* dependency : {"libvlc5", "libvlc-bin", "vlc-plugin-base", "vlc-plugin-video-output",
                                   "qt6-qpa-plugins", "fonts-wqy-microhei", "libqt6widgets6", "libavformat"})
        QVERIFY2(depends.captured(1).contains(QLatin1String(dependency)), dependency);
    QVERIFY(info.output.contains(QStringLiteral(" Package: clipvane\n")));
    QVERIFY(info.output.contains(QStringLiteral(" Description: ")));

    const Run contents = run(QStringLiteral("dpkg-deb"), {"--contents", package});
    QCOMPARE(contents.exitCode, 0);
    for (const QString& path : {QStringLiteral("./usr/bin/clipvane"),
                                QStringLiteral("./usr/share/applications/%1.desktop").arg(kAppId),
                                QStringLiteral("./usr/share/metainfo/%1.metainfo.xml").arg(kAppId),
                                QStringLiteral("./usr/share/icons/hicolor/128x128/apps/%1.png").arg(kAppId),
                                QStringLiteral("./usr/share/doc/clipvane/copyright")})
        QVERIFY2(contents.output.contains(path), qPrintable(path));
}

QTEST_MAIN(InstallTest)
#include "tst_install.moc"
