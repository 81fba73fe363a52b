// Favourites, the start into the channel played last and the address that
// played kept first, through the real window, real keys and a restart.

#include "ProgramDriver.h"
#include "TestMedia.h"
#include "XTestSupport.h"
#include "app/Program.h"
#include "app/ProgramState.h"
#include "ui/MainWindow.h"
#include "ui/controls/ListBox.h"

#include <QApplication>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class FavouritesTest : public QObject {
    Q_OBJECT

private slots:
    void favouritesAndTheAddressThatPlayedOutliveARestart();
};

namespace {

const QColor kBlue(0, 0, 255);

QStringList shownNames(Program& program)
{
    return program.window().get<ListBox>(u"SourceList").items();
}

QPoint entryOnScreen(Program& program, int index)
{
    ListBox& list = program.window().get<ListBox>(u"SourceList");
    return xtest::entryOnScreen(list, index);
}

} // namespace

void FavouritesTest::favouritesAndTheAddressThatPlayedOutliveARestart()
{
    QTemporaryDir folder;
    const QString red = folder.filePath(QStringLiteral("red.mp4"));
    const QString blue = folder.filePath(QStringLiteral("blue.mp4"));
    QVERIFY(testmedia::makeClip(red, QStringLiteral("red"), 20) && testmedia::makeClip(blue, QStringLiteral("blue"), 20));
    // The blue channel's first address is refused; its second plays.
    QVERIFY(testmedia::writeFile(folder.filePath(QStringLiteral("澄影播放源.txt")),
                                 "红色," + red.toUtf8() + "\r\n蓝色,http://127.0.0.1:9/blue.ts#file://" + blue.toUtf8() + "\r\n"));
    {
        Program program(folder.path());
        program.open();
        QVERIFY(QTest::qWaitForWindowExposed(&program.window()));
        QTRY_COMPARE(shownNames(program).size(), 2);
        ListBox& list = program.window().get<ListBox>(u"SourceList");
        // S on the selected entry, through the X server.
        list.setCurrentSelection(1);
        program.window().activateWindow();
        QVERIFY(xtest::xdotool({"key", "s"}));
        QTRY_COMPARE(shownNames(program), QStringList({"收藏", "蓝色", "红色", "蓝色"}));
        QCOMPARE(list.currentSelection(), 3); // the selection stays on its entry
        // The entry's menu, by a right-click: "收藏" after "节目单".
        const QPoint at = entryOnScreen(program, 2);
        QString offered;
        xtest::actOnNextMenu(&program.window(), [&offered](QMenu& menu) {
            offered = menu.actions().value(1)->text();
            xtest::xdotool({"key", "Down", "Down", "Return"});
        });
        QVERIFY(xtest::xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "3"}));
        QTRY_COMPARE(offered, QStringLiteral("收藏"));
        QTRY_COMPARE(shownNames(program), QStringList({"收藏", "蓝色", "红色", "红色", "蓝色"}));

        // The favourite plays as its entry: the refused address first, then the file.
        ProgramDriver(program).doubleClickEntry(1);
        QVERIFY2(ProgramDriver(program).videoTurns(kBlue, 20000), qPrintable(ProgramDriver(program).title()));
        QTRY_COMPARE(program.core().alternates().kept().size(), size_t(1));
        QSettings(QSettings::NativeFormat, QSettings::UserScope, "clipvane", "clipvane").setValue("start", "last");
        program.OnProgramExit();
    }
    // Started again: the favourites first, and the channel played last plays by
    // itself, its address that played tried first.
    Program again(folder.path());
    again.open();
    QVERIFY(QTest::qWaitForWindowExposed(&again.window()));
    QTRY_COMPARE(shownNames(again), QStringList({"收藏", "蓝色", "红色", "红色", "蓝色"}));
    QVERIFY2(ProgramDriver(again).videoTurns(kBlue, 20000), qPrintable(ProgramDriver(again).title()));
    QCOMPARE(ProgramDriver(again).title(), QStringLiteral("正在播放：蓝色"));
    QCOMPARE(again.core().playback().nowPlaying().addresses.value(0), "file://" + blue);
    // Taken out again by the key, on its copy.
    again.window().get<ListBox>(u"SourceList").setCurrentSelection(1);
    again.window().activateWindow();
    QVERIFY(xtest::xdotool({"key", "s"}));
    QTRY_COMPARE(shownNames(again), QStringList({"收藏", "红色", "红色", "蓝色"}));
    QSettings(QSettings::NativeFormat, QSettings::UserScope, "clipvane", "clipvane").remove("start");
}

QTEST_MAIN(FavouritesTest)
#include "tst_favourites.moc"
