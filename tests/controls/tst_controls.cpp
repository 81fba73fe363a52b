// The control kinds, on real X11 windows: hit-testing through picture shapes,
// button states under the mouse, timer periods, geometry limits, list reads,
// drop payloads, label repaints and what assistive technology sees.

#include "XTestSupport.h"

#include "ui/controls/ControlAccessibility.h"
#include "ui/controls/DropTarget.h"
#include "ui/controls/ListBox.h"
#include "ui/controls/PicBox.h"
#include "ui/controls/PicBtn.h"
#include "ui/controls/Q_tip.h"
#include "ui/controls/Timer.h"
#include "ui/controls/TransLabel.h"

#include <QAccessible>
#include <QElapsedTimer>
#include <QMimeData>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

namespace {

constexpr Rgb kWhite = rgb(255, 255, 255);

// Left half white (transparent), right half grey.
QImage halfWhitePicture(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter(&image).fillRect(QRect(size.width() / 2, 0, size.width() - size.width() / 2, size.height()),
                              QColor(90, 90, 90));
    return image;
}

QImage filled(QSize size, const QColor& color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

// A plain dark host window with controls laid in it; later children lie above.
struct Host {
    QWidget window;
    Host()
    {
        window.setAutoFillBackground(true);
        QPalette p = window.palette();
        p.setColor(QPalette::Window, QColor(29, 29, 29));
        window.setPalette(p);
        window.setGeometry(100, 100, 200, 120);
    }
    QWindow* handle() { return window.windowHandle(); }
};

bool sameRegion(const QRegion& a, const QRegion& b)
{
    return a.xored(b).isEmpty();
}

} // namespace

class ControlsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { installControlAccessibility(); }

    void picBtnWhitePixelsPassClicksToWhatLiesBelow();
    void picBtnAllWhitePictureHasNoShape();
    void picBtnPressInsideReleaseOutsideRaisesNoClick();
    void picBtnStatesAndPictures();
    void timerPeriodSemantics();
    void geometryWritesAreClamped();
    void listBoxItemsAndSelection();
    void listBoxLoadsAHundredThousandItems();
    void dropTargetPayloadAndRefusal();
    void transLabelShorterCaptionLeavesNoTrace();
    void picBoxDisplayModes();
    void tipIsAddedOrReplaced();
    void assistiveTechnologySeesControls();
};

void ControlsTest::picBtnWhitePixelsPassClicksToWhatLiesBelow()
{
    Host host;
    PicBtn below(&host.window);
    below.setGeometry(10, 10, 40, 40);
    below.setNormalPicture(filled({40, 40}, QColor(200, 0, 0)));
    PicBtn above(&host.window);
    above.setGeometry(10, 10, 40, 40);
    above.setNormalPicture(halfWhitePicture({40, 40}));
    above.setTransparentColor(kWhite);
    QVERIFY(xtest::showAndWait(host.window));

    QSignalSpy belowClicks(&below, &PicBtn::clicked);
    QSignalSpy aboveClicks(&above, &PicBtn::clicked);

    QTest::mouseClick(host.handle(), Qt::LeftButton, {}, QPoint(15, 25)); // white half
    QCOMPARE(belowClicks.count(), 1);
    QCOMPARE(aboveClicks.count(), 0);

    QTest::mouseClick(host.handle(), Qt::LeftButton, {}, QPoint(45, 25)); // grey half
    QCOMPARE(belowClicks.count(), 1);
    QCOMPARE(aboveClicks.count(), 1);

    // What the screen shows: the lower button through the white half, the grey glyph beside it.
    const QPoint origin = host.window.mapToGlobal(QPoint(0, 0));
    QTRY_COMPARE(xtest::screenPixel(origin + QPoint(15, 25)), QColor(200, 0, 0));
    QCOMPARE(xtest::screenPixel(origin + QPoint(45, 25)), QColor(90, 90, 90));
}

void ControlsTest::picBtnAllWhitePictureHasNoShape()
{
    Host host;
    PicBtn button(&host.window);
    button.setGeometry(10, 10, 30, 30);
    button.setNormalPicture(filled({30, 30}, Qt::white));
    button.setTransparentColor(kWhite);
    QVERIFY(button.shape().isEmpty());
    QVERIFY(xtest::showAndWait(host.window));

    QSignalSpy clicks(&button, &PicBtn::clicked);
    QTest::mouseClick(host.handle(), Qt::LeftButton, {}, QPoint(20, 20));
    QCOMPARE(clicks.count(), 0);
    const QPoint origin = host.window.mapToGlobal(QPoint(0, 0));
    QTRY_COMPARE(xtest::screenPixel(origin + QPoint(20, 20)), QColor(29, 29, 29));

    // Without a transparent colour the same picture is a whole, clickable button.
    button.setTransparentColor(kNoColor);
    QVERIFY(sameRegion(button.shape(), QRegion(button.rect())));
    QTest::mouseClick(host.handle(), Qt::LeftButton, {}, QPoint(20, 20));
    QCOMPARE(clicks.count(), 1);
}

void ControlsTest::picBtnPressInsideReleaseOutsideRaisesNoClick()
{
    Host host;
    PicBtn button(&host.window);
    button.setGeometry(10, 10, 30, 30);
    const QImage normal = filled({30, 30}, QColor(60, 60, 60));
    const QImage pressed = filled({30, 30}, QColor(235, 97, 0));
    button.setNormalPicture(normal);
    button.setPressedPicture(pressed);
    QVERIFY(xtest::showAndWait(host.window));
    QSignalSpy clicks(&button, &PicBtn::clicked);

    QTest::mousePress(host.handle(), Qt::LeftButton, {}, QPoint(20, 20));
    QCOMPARE(button.state(), PicBtn::State::Pressed);
    QCOMPARE(button.shownPicture(), pressed);
    QTest::mouseMove(host.handle(), QPoint(120, 90));
    QCOMPARE(button.state(), PicBtn::State::Normal);
    QTest::mouseRelease(host.handle(), Qt::LeftButton, {}, QPoint(120, 90));
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(button.state(), PicBtn::State::Normal);
    QCOMPARE(button.shownPicture(), normal);

    // Coming back inside before the release still clicks.
    QTest::mousePress(host.handle(), Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseMove(host.handle(), QPoint(120, 90));
    QTest::mouseMove(host.handle(), QPoint(25, 25));
    QCOMPARE(button.state(), PicBtn::State::Pressed);
    QTest::mouseRelease(host.handle(), Qt::LeftButton, {}, QPoint(25, 25));
    QCOMPARE(clicks.count(), 1);
}

void ControlsTest::picBtnStatesAndPictures()
{
    Host host;
    PicBtn button(&host.window);
    button.setGeometry(10, 10, 16, 16);
    const QImage normal = filled({16, 16}, QColor(100, 100, 100));
    button.setNormalPicture(normal);
    QVERIFY(xtest::showAndWait(host.window));
    QSignalSpy clicks(&button, &PicBtn::clicked);

    // No pressed picture: the normal one shows in every state.
    QTest::mousePress(host.handle(), Qt::LeftButton, {}, QPoint(15, 15));
    QCOMPARE(button.state(), PicBtn::State::Pressed);
    QCOMPARE(button.shownPicture(), normal);
    QTest::mouseRelease(host.handle(), Qt::LeftButton, {}, QPoint(15, 15));
    QCOMPARE(clicks.count(), 1);

    // Disabled: its own picture, and no click.
    const QImage disabled = filled({16, 16}, QColor(40, 40, 40));
    button.setDisabledPicture(disabled);
    button.SetDisabled(true);
    QCOMPARE(button.shownPicture(), disabled);
    QTest::mouseClick(host.handle(), Qt::LeftButton, {}, QPoint(15, 15));
    QCOMPARE(clicks.count(), 1);
    button.SetDisabled(false);
    QCOMPARE(button.shownPicture(), normal);

    // The shape follows the picture shown: a pressed picture with more white shrinks it.
    button.setTransparentColor(kWhite);
    QVERIFY(sameRegion(button.shape(), QRegion(0, 0, 16, 16)));
    button.setPressedPicture(halfWhitePicture({16, 16}));
    QTest::mousePress(host.handle(), Qt::LeftButton, {}, QPoint(22, 15));
    QVERIFY(sameRegion(button.shape(), QRegion(8, 0, 8, 16)));
    QTest::mouseRelease(host.handle(), Qt::LeftButton, {}, QPoint(22, 15));
    QCOMPARE(clicks.count(), 2);
}

void ControlsTest::timerPeriodSemantics()
{
    Timer timer;
    QSignalSpy ticks(&timer, &Timer::ticked);

    timer.setPeriod(-20);
    QCOMPARE(timer.period(), 0);
    QVERIFY(!timer.isRunning());

    // The first tick comes one period after the write.
    QElapsedTimer clock;
    clock.start();
    timer.setPeriod(600);
    QTest::qWait(300);
    timer.setPeriod(600); // the same period again must not restart it
    QVERIFY(ticks.wait(2000));
    // Restarted by the second write, the tick would come at 900 ms; the
    // margin is for a loaded machine.
    QVERIFY2(clock.elapsed() >= 590 && clock.elapsed() < 880, qPrintable(QString::number(clock.elapsed())));

    // A new period restarts the count from the write: never sooner than one period.
    clock.restart();
    timer.setPeriod(200);
    QVERIFY(ticks.wait(2000));
    QVERIFY2(clock.elapsed() >= 190, qPrintable(QString::number(clock.elapsed())));

    timer.setPeriod(0);
    QVERIFY(!timer.isRunning());
    const int count = int(ticks.count());
    QVERIFY(!ticks.wait(500));
    QCOMPARE(ticks.count(), count);
}

void ControlsTest::geometryWritesAreClamped()
{
    QWidget parent;
    PicBox box(&parent);
    box.SetRect(QRect(1, 2, 3, 4));
    box.SetWidth(-5);
    QCOMPARE(box.Width(), 0);
    box.SetHeight(40000);
    QCOMPARE(box.Height(), 32627);
    box.SetLeft(-40000);
    QCOMPARE(box.Left(), -32627);
    box.SetTop(32628);
    QCOMPARE(box.Top(), 32627);
    QCOMPARE(box.geometry(), QRect(-32627, 32627, 0, 32627));

    Timer timer; // not visual: the values are kept all the same
    timer.SetLeft(99999);
    timer.SetWidth(-1);
    QCOMPARE(timer.Left(), 32627);
    QCOMPARE(timer.Width(), 0);
    QVERIFY(timer.Tag().isEmpty());
    timer.SetTag(QStringLiteral("缩小"));
    QCOMPARE(timer.Tag(), QStringLiteral("缩小"));
}

void ControlsTest::listBoxItemsAndSelection()
{
    Host host;
    ListBox list(&host.window);
    list.setGeometry(0, 0, 150, 110);
    list.setColors(rgb(255, 255, 255), rgb(0, 0, 0));
    list.setExtraLineSpacing(1);

    QCOMPARE(list.addItem(QStringLiteral("甲")), 0);
    QCOMPARE(list.addItem(QStringLiteral("乙")), 1);
    QCOMPARE(list.addItem(QStringLiteral("丙")), 2);
    QCOMPARE(list.items(), QStringList({QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")}));
    QCOMPARE(list.currentSelection(), -1);

    QVERIFY(xtest::showAndWait(host.window));
    QSignalSpy doubleClicks(&list, &ListBox::itemDoubleClicked);
    const QRect second = list.visualRect(list.model()->index(1, 0));
    QCOMPARE(second.height(), QFontMetrics(list.font()).height() + 1);
    const QPoint inSecond = list.viewport()->mapTo(&host.window, second.center());
    QTest::mouseClick(host.handle(), Qt::LeftButton, {}, inSecond);
    QCOMPARE(list.currentSelection(), 1);
    QCOMPARE(doubleClicks.count(), 0);
    QTest::mouseDClick(host.handle(), Qt::LeftButton, {}, inSecond);
    QCOMPARE(doubleClicks.count(), 1);

    // A double click below the last item is no item double-click.
    QTest::mouseDClick(host.handle(), Qt::LeftButton, {}, QPoint(50, 100));
    QCOMPARE(doubleClicks.count(), 1);

    list.setItems({});
    QCOMPARE(list.items().size(), 0);
    QCOMPARE(list.currentSelection(), -1);
}

void ControlsTest::listBoxLoadsAHundredThousandItems()
{
    Host host;
    ListBox list(&host.window);
    list.setGeometry(0, 0, 150, 110);
    QVERIFY(xtest::showAndWait(host.window));
    QStringList items;
    items.reserve(100000);
    for (int i = 0; i < 100000; ++i)
        items.append(QStringLiteral("频道 %1").arg(i));

    // How long it takes is measured in bench/ (list load).
    list.setItems(items);
    list.scrollToBottom();
    QCoreApplication::processEvents();
    QCOMPARE(list.items().size(), 100000);
    QCOMPARE(list.items().value(99999), QStringLiteral("频道 99999"));
}

void ControlsTest::dropTargetPayloadAndRefusal()
{
    QWidget window;
    window.resize(200, 200);
    QWidget child(&window);
    child.setGeometry(10, 10, 50, 50);
    DropTarget target;
    target.setAccepts({false, false, false, true});
    QVERIFY(target.registerOn(&window));
    QVERIFY(!target.registerOn(&window));
    QVERIFY(xtest::showAndWait(window));
    QSignalSpy dropped(&target, &DropTarget::filesDropped);

    const auto drop = [&](const QMimeData& data) {
        QDragEnterEvent enter(QPoint(30, 30), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&window, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropEvent(QPointF(30, 30), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&window, &dropEvent);
        return dropEvent.isAccepted();
    };

    QMimeData one;
    one.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/节目/a list.txt"))});
    QVERIFY(drop(one));
    QCOMPARE(dropped.count(), 1);
    QCOMPARE(dropped.last().at(0).toString(), QStringLiteral("/tmp/节目/a list.txt"));

    QMimeData two;
    two.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/one.txt")), QUrl::fromLocalFile(QStringLiteral("/tmp/two.mp4"))});
    QVERIFY(drop(two));
    QCOMPARE(dropped.last().at(0).toString(), QStringLiteral("/tmp/one.txt\r\n/tmp/two.mp4\r\n"));

    QMimeData text;
    text.setText(QStringLiteral("not a file"));
    QVERIFY(!drop(text));
    QMimeData web;
    web.setUrls({QUrl(QStringLiteral("http://127.0.0.1/clip.ts"))});
    QVERIFY(!drop(web));
    QCOMPARE(dropped.count(), 2);
}

void ControlsTest::transLabelShorterCaptionLeavesNoTrace()
{
    Host host;
    TransLabel label(&host.window);
    label.setGeometry(10, 10, 180, 16);
    label.setTextColor(rgb(255, 255, 255));
    label.setCaption(QStringLiteral("正在播放：一个很长很长的名字"));
    QVERIFY(xtest::showAndWait(host.window));
    const QRect tail = QRect(label.mapToGlobal(QPoint(90, 0)), QSize(90, 16));
    const auto hasText = [&] {
        const QImage shot = xtest::grabScreen(tail);
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                if (shot.pixelColor(x, y) != QColor(29, 29, 29))
                    return true;
        return false;
    };
    QTRY_VERIFY(hasText());
    label.setCaption(QStringLiteral("短"));
    QTRY_VERIFY(!hasText());
}

void ControlsTest::picBoxDisplayModes()
{
    using Mode = PicBox::DisplayMode;
    QCOMPARE(PicBox::pictureRect({20, 20}, {128, 128}, Mode::Natural), QRect(0, 0, 128, 128));
    QCOMPARE(PicBox::pictureRect({20, 20}, {128, 128}, Mode::Stretched), QRect(0, 0, 20, 20));
    QCOMPARE(PicBox::pictureRect({100, 50}, {20, 10}, Mode::CenteredFit), QRect(40, 20, 20, 10));
    QCOMPARE(PicBox::pictureRect({100, 50}, {200, 50}, Mode::CenteredFit), QRect(0, 12, 100, 25));

    // The button-face marker paints the palette's button colour.
    Host host;
    PicBox box(&host.window);
    box.setGeometry(0, 0, 20, 20);
    box.setBackground(kNoColor);
    QVERIFY(xtest::showAndWait(host.window));
    const QColor face = box.palette().color(QPalette::Button);
    QTRY_COMPARE(xtest::screenPixel(box.mapToGlobal(QPoint(5, 5))), face.toRgb());
}

void ControlsTest::tipIsAddedOrReplaced()
{
    QWidget target;
    Q_tip tips;
    QVERIFY(!tips.SetTip(nullptr, QStringLiteral("x")));
    QVERIFY(tips.SetTip(&target, QStringLiteral("第一")));
    QVERIFY(tips.SetTip(&target, QStringLiteral("双击此处可以全屏或者缩小。")));
    // The balloon's words are what a screen reader reads too.
    QCOMPARE(target.accessibleDescription(), QStringLiteral("双击此处可以全屏或者缩小。"));
}

void ControlsTest::assistiveTechnologySeesControls()
{
    Host host;
    PicBtn button(&host.window);
    button.setAccessibleName(QStringLiteral("停止"));
    TransLabel label(&host.window);
    label.setCaption(QStringLiteral("音量："));
    ListBox list(&host.window);
    list.addItem(QStringLiteral("新闻"));
    list.addItem(QStringLiteral("体育"));
    QVERIFY(xtest::showAndWait(host.window));

    QAccessibleInterface* b = QAccessible::queryAccessibleInterface(&button);
    QVERIFY(b);
    QCOMPARE(b->role(), QAccessible::Button);
    QCOMPARE(b->text(QAccessible::Name), QStringLiteral("停止"));
    QVERIFY(b->actionInterface());
    QSignalSpy clicks(&button, &PicBtn::clicked);
    b->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(clicks.count(), 1);

    QAccessibleInterface* l = QAccessible::queryAccessibleInterface(&label);
    QCOMPARE(l->role(), QAccessible::StaticText);
    QCOMPARE(l->text(QAccessible::Name), QStringLiteral("音量："));
    label.setCaption(QStringLiteral("150"));
    QCOMPARE(l->text(QAccessible::Name), QStringLiteral("150"));

    QAccessibleInterface* items = QAccessible::queryAccessibleInterface(&list);
    QVERIFY(items);
    QStringList names;
    for (int i = 0; i < items->childCount(); ++i)
        if (QAccessibleInterface* child = items->child(i); child && child->role() == QAccessible::ListItem)
            names << child->text(QAccessible::Name);
    QCOMPARE(names, QStringList({QStringLiteral("新闻"), QStringLiteral("体育")}));
}

QTEST_MAIN(ControlsTest)
#include "tst_controls.moc"
