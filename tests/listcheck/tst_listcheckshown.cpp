// The check of a whole list through the real window: 30 channels on local
// servers, 10 of them dead (refused, 404, silent), checked from the list
// heading's menu; the dead ones grey with their reasons readable, no server
// seeing more than 2 connections at once, and a copy written without them.

#include "HttpTestServer.h"
#include "LoopbackPorts.h"
#include "ProgramDriver.h"
#include "XTestSupport.h"
#include "app/Program.h"
#include "app/ProgramState.h"
#include "ui/MainWindow.h"
#include "ui/controls/ListBox.h"
#include "ui/controls/TransLabel.h"
#include "app/ProgramViews.h"
#include "ui/lists/ListCheckView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

#include <sys/socket.h>

class ListCheckShownTest : public QObject {
    Q_OBJECT

private slots:
    void wholeListIsCheckedWithinItsLimits();
};

void ListCheckShownTest::wholeListIsCheckedWithinItsLimits()
{
    HttpTestServer live(QByteArray(188 * 20, 'G'));
    HttpTestServer missing({}, HttpTestServer::Mode::NotFound);
    HttpTestServer silent({}, HttpTestServer::Mode::Stall);
    QVERIFY(live.isListening() && missing.isListening() && silent.isListening());
    const quint16 refused = loopback::freePort(SOCK_STREAM);
    QByteArray list = "频道,#genre#\r\n";
    QHash<QString, QString> reasons; // the dead, by name
    for (int index = 0; index < 30; ++index) {
        const QByteArray name = "台" + QByteArray::number(index);
        quint16 port = live.port();
        if (index % 3 == 1) {
            const int kind = index % 9 / 3; // 0, 1, 2 by turns
            port = kind == 0 ? refused : kind == 1 ? missing.port() : silent.port();
            reasons.insert(QString::fromUtf8(name), kind == 0 ? "连接被拒绝" : kind == 1 ? "404" : "超时");
        }
        list += name + ",http://127.0.0.1:" + QByteArray::number(port) + "/" + QByteArray::number(index) + ".ts\r\n";
    }
    QCOMPARE(reasons.size(), 10);
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("澄影播放源.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(list) == list.size());
    file.close();

    Program program(folder.path());
    program.open();
    QVERIFY(QTest::qWaitForWindowExposed(&program.window()));
    ListBox& entries = program.window().get<ListBox>(u"SourceList");
    QTRY_COMPARE(entries.items().size(), 31);
    TransLabel& heading = program.window().get<TransLabel>(u"ListCaptionLabel");
    const QString caption = heading.caption();

    // "检测全部频道" from the heading's menu, by a right-click and the keys.
    QWidget& headingWidget = *program.window().control(u"ListCaptionLabel")->widget();
    const QPoint at = headingWidget.mapToGlobal(headingWidget.rect().center());
    QString offered;
    QElapsedTimer checking;
    xtest::actOnNextMenu(&program.window(), [&](QMenu& menu) {
        offered = menu.actions().value(0)->text();
        checking.start();
        xtest::xdotool({"key", "Down", "Return"});
    });
    QVERIFY(xtest::xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "3"}));
    QTRY_COMPARE(offered, QStringLiteral("检测全部频道"));
    QTRY_VERIFY(heading.caption().startsWith(QStringLiteral("检测中 ")));
    QTRY_VERIFY_WITH_TIMEOUT(!program.core().listCheck(), 30000);
    QVERIFY(checking.elapsed() < 30000);
    QCOMPARE(heading.caption(), caption);

    for (int item = 1; item < entries.items().size(); ++item) {
        const QModelIndex row = entries.model()->index(item, 0);
        const QString why = row.data(Qt::AccessibleDescriptionRole).toString();
        QCOMPARE(why, reasons.value(entries.items().value(item)));
        QCOMPARE(row.data(Qt::ForegroundRole).isValid(), !why.isEmpty()); // grey
        if (!why.isEmpty())
            QVERIFY(row.data(Qt::ToolTipRole).toString().startsWith(why));
    }
    for (const HttpTestServer* server : {&live, &missing, &silent})
        QVERIFY2(server->mostAtOnce() <= 2, qPrintable(QStringLiteral("%1 at once on the %2 server")
                                                            .arg(server->mostAtOnce())
                                                            .arg(server == &live ? "live" : server == &missing ? "404" : "silent")));
    QCOMPARE(live.requestsSeen(), 20);

    // The copy: the heading and the 20 that answered; the list read at start untouched.
    const QString copy = folder.filePath(QStringLiteral("checked.txt"));
    QString why;
    QVERIFY2(program.views().check->save(copy, &why), qPrintable(why));
    QFile written(copy);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = written.readAll().split('\n');
    QCOMPARE(lines.size(), 1 + 20 + 1); // and the empty piece after the last line end
    QCOMPARE(lines.first(), QByteArray("频道,#genre#\r"));
    QVERIFY(std::none_of(lines.begin(), lines.end(), [&](const QByteArray& line) {
        return reasons.contains(QString::fromUtf8(line.left(line.indexOf(','))));
    }));
    QFile original(file.fileName());
    QVERIFY(original.open(QIODevice::ReadOnly));
    QCOMPARE(original.readAll(), list);
}

QTEST_MAIN(ListCheckShownTest)
#include "tst_listcheckshown.moc"
