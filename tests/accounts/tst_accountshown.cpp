// A provider's account through the real program, against a small stand-in
// service on 127.0.0.1: its address on the command line shows its categories
// as headings and plays a channel; a past programme is asked with the
// service's own /timeshift/ address, the start in its zone; the heading says
// the account's expiry, and that it expired, keeping the list shown; neither
// a log line nor the information panel holds the password.

#include "ProgramDriver.h"
#include "TestMedia.h"
#include "XTestSupport.h"
#include "app/Program.h"
#include "app/ProgramState.h"
#include "ui/MainWindow.h"
#include "ui/playback/MediaInfoPanel.h"
#include "ui/controls/ListBox.h"
#include "app/ProgramViews.h"
#include "ui/playback/MediaInfoView.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>
#include <QUrl>

#include <X11/Xlib.h>

#include <memory>
#include <mutex>

namespace {

const QString kPassword = QStringLiteral("s3cret-9");

std::mutex logLock;
QStringList logged;
QtMessageHandler previousHandler = nullptr;

void keepMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    {
        const std::lock_guard lock(logLock);
        logged << message;
    }
    if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

class AccountShownTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void anAccountShowsPlaysWatchesBackAndSaysWhenItExpired();

private:
    ListBox& entries() { return program_->window().get<ListBox>(u"SourceList"); }
    QWidget& heading() { return *program_->window().control(u"ListCaptionLabel")->widget(); }
    QStringList requests();

    QTemporaryDir folder_;
    QProcess service_;
    QString listAddress_;
    QStringList requests_;
    std::unique_ptr<Program> program_;
};

void AccountShownTest::initTestCase()
{
    // Every category's every line, debug too: none may hold the password.
    QLoggingCategory::setFilterRules(QStringLiteral("clipvane.*=true"));
    previousHandler = qInstallMessageHandler(keepMessage);
    const QString clip = folder_.filePath(QStringLiteral("blue.ts"));
    QVERIFY(testmedia::makeClip(clip, QStringLiteral("blue"), 8));
    QVERIFY(QDir(folder_.path()).mkpath(QStringLiteral("program")));
    service_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    service_.start(QStringLiteral("python3"), {QStringLiteral(ACCOUNT_SERVER), clip, QStringLiteral("ann"), kPassword,
                                               folder_.filePath(QStringLiteral("state"))});
    QVERIFY(service_.waitForStarted(10000));
    while (!service_.canReadLine() && service_.waitForReadyRead(10000)) {
    }
    const int port = service_.readLine().trimmed().toInt();
    QVERIFY(port > 0);
    listAddress_ = QStringLiteral("http://127.0.0.1:%1/get.php?username=ann&password=%2&type=m3u_plus&output=ts")
                       .arg(port)
                       .arg(kPassword);
}

void AccountShownTest::cleanupTestCase()
{
    program_.reset();
    service_.kill();
    service_.waitForFinished(5000);
}

QStringList AccountShownTest::requests()
{
    while (service_.canReadLine())
        requests_ << QString::fromUtf8(service_.readLine().trimmed());
    return requests_;
}

void AccountShownTest::anAccountShowsPlaysWatchesBackAndSaysWhenItExpired()
{
    program_ = std::make_unique<Program>(folder_.filePath(QStringLiteral("program")));
    program_->giveList(listAddress_);
    program_->open();
    QVERIFY(QTest::qWaitForWindowExposed(&program_->window()));
    // Its category with channels, then "其他" for the channel in none; the empty category left out.
    QTRY_VERIFY2_WITH_TIMEOUT(entries().items().size() == 4,
                              qPrintable(requests().join(u' ') + u' ' + heading().accessibleDescription()), 15000);
    const ChannelList& list = program_->core().channels().list();
    QCOMPARE(list.name(0), QStringLiteral("新闻"));
    QCOMPARE(list.name(2), QStringLiteral("其他"));
    QTRY_VERIFY_WITH_TIMEOUT(
        heading().accessibleDescription().startsWith(QStringLiteral("账号有效，到期 2027-03-01，最多 1 个连接")), 5000);
    const QString channel = list.written(1);
    QVERIFY(program_->core().session().oneConnectionHosts().isOneConnection(channel));
    // A line holding the channel's address, as any part of the program or a library may write one.
    qInfo("opening %s", qPrintable(channel));

    ProgramDriver driver(*program_);
    driver.doubleClickEntry(1);
    QVERIFY(driver.videoTurns(testmedia::kBlue, 15000));
    QVERIFY(requests().contains(QStringLiteral("request /live/ann/%1/101.ts").arg(kPassword)));
    // The information panel shows the address without the password.
    ProgramViews& views = program_->views();
    views.info->toggle();
    QTRY_VERIFY(views.info->isShown());
    QTRY_VERIFY2(program_->window().findChild<MediaInfoPanel*>()->text().contains(QLatin1String("/live/ann/***/101.ts")),
                 qPrintable(program_->window().findChild<MediaInfoPanel*>()->text()));
    QVERIFY(!program_->window().findChild<MediaInfoPanel*>()->text().contains(kPassword));
    views.info->toggle();

    // Three hours ago, for an hour: asked as the service asks it, its start in Berlin's time.
    const qint64 start = (QDateTime::currentSecsSinceEpoch() - 3 * 3600) / 60 * 60;
    program_->core().playback().watchBack(1, {start, start + 3600, QStringLiteral("早间新闻"), {}});
    const QString berlin =
        QDateTime::fromSecsSinceEpoch(start, QTimeZone("Europe/Berlin")).toString(QStringLiteral("yyyy-MM-dd:HH-mm"));
    const QString asked = QStringLiteral("request /timeshift/ann/%1/60/%2/101.ts").arg(kPassword, berlin);
    QTRY_VERIFY2_WITH_TIMEOUT(requests().contains(asked), qPrintable(requests().join(u'\n')), 15000);
    QVERIFY(driver.videoTurns(testmedia::kBlue, 15000));

    // Expired: F5 keeps the list and the heading says so.
    QVERIFY(testmedia::writeFile(folder_.filePath(QStringLiteral("state")), "expired"));
    program_->core().lists().refresh();
    QTRY_VERIFY_WITH_TIMEOUT(heading().accessibleDescription().contains(QStringLiteral("账号已过期（2025-12-31）")), 15000);
    QVERIFY(heading().accessibleDescription().contains(QStringLiteral("的副本")));
    QCOMPARE(entries().items().size(), 4);
    program_.reset();

    const std::lock_guard lock(logLock);
    QVERIFY(logged.contains(QStringLiteral("opening http://127.0.0.1:%1/live/ann/***/101.ts")
                                .arg(QUrl(listAddress_).port())));
    for (const QString& line : logged)
        QVERIFY2(!line.contains(kPassword), qPrintable(line));
}

int main(int argc, char** argv)
{
    XInitThreads();
    QApplication app(argc, argv);
    AccountShownTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_accountshown.moc"
