// The main window on a 1920 x 1080 Xvfb screen: placement, every control of
// the design, stacking, dragging with the real X pointer, what the screen shows,
// its pictures and what assistive technology sees.

#include "XTestSupport.h"

#include "ui/EventBinding.h"
#include "ui/MainWindow.h"
#include "ui/controls/Label.h"
#include "ui/controls/Control.h"
#include "ui/controls/ListBox.h"
#include "ui/controls/PicBox.h"
#include "ui/controls/PicBtn.h"
#include "ui/controls/TransLabel.h"

#include <QAccessible>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

namespace {

struct Expected {
    const char* name;
    const char* kind;
    QRect rect;
    bool visible;
    const char* tag;
    const char* parent;
};

// The design, written out independently of the program's own table.
const Expected kDesign[] = {
    {"TipBalloon", "Q_tip", {}, true, "", "TitleBar"},
    {"VideoSurface", "PicBox", {3, 32, 557, 344}, true, "", ""},
    {"SourceList", "ListBox", {561, 56, 144, 320}, true, "", ""},
    {"TopEdgeTimer", "Timer", {}, true, "", "TitleBar"},
    {"BottomEdgeTimer", "Timer", {}, true, "", "TitleBar"},
    {"FullScreenButton", "PicBtn", {574, 388, 16, 16}, true, "放大", ""},
    {"ListCaptionLabel", "TransLabel", {561, 34, 144, 20}, true, "", ""},
    {"VolumeCaptionLabel", "TransLabel", {362, 388, 32, 16}, true, "", ""},
    {"VolumeValueLabel", "TransLabel", {396, 388, 17, 16}, true, "", ""},
    {"BrandLabel", "TransLabel", {47, 383, 97, 24}, true, "", ""},
    {"TitleLabel", "TransLabel", {42, 8, 176, 16}, true, "", ""},
    {"StopButton", "PicBtn", {3, 377, 35, 35}, true, "", ""},
    {"FileDropTarget", "DropTarget", {}, true, "", ""},
    {"AddressList", "ListBox", {776, 48, 144, 320}, false, "", ""},
    {"TitleIcon", "PicBox", {6, 5, 20, 20}, true, "", ""},
    {"VolumeLevelBar", "PicBox", {443, 395, 24, 2}, true, "", ""},
    {"VolumeTrackBar", "PicBox", {442, 395, 80, 2}, true, "", ""},
    {"VolumeDownButton", "PicBtn", {426, 390, 14, 11}, true, "", ""},
    {"VolumeUpButton", "PicBtn", {530, 390, 14, 10}, true, "", ""},
    {"ListToggleButton", "PicBtn", {623, 384, 64, 23}, true, "隐藏", ""},
    {"CloseButton", "PicBtn", {676, 0, 31, 30}, true, "", ""},
    {"EscapeHotKeyLabel", "Label", {320, 4, 80, 24}, false, "", "TitleBar"},
    {"MinimizeButton", "PicBtn", {646, 0, 31, 30}, true, "", ""},
    {"TitleBar", "PicBox", {0, 0, 707, 32}, true, "", ""},
};

QString text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// Reads the bits per pixel and size of a BMP file in the resources.
struct BmpInfo {
    qint64 fileSize = 0;
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    int compression = -1;
};

BmpInfo bmpInfo(const QString& path)
{
    QFile file(path);
    BmpInfo info;
    if (!file.open(QIODevice::ReadOnly))
        return info;
    const QByteArray data = file.readAll();
    const auto le = [&](int offset, int bytes) {
        quint32 v = 0;
        for (int i = bytes - 1; i >= 0; --i)
            v = (v << 8) | quint8(data.at(offset + i));
        return v;
    };
    if (data.size() < 54 || !data.startsWith("BM"))
        return info;
    info.fileSize = data.size();
    info.width = int(le(18, 4));
    info.height = int(le(22, 4));
    info.bitsPerPixel = int(le(28, 2));
    info.compression = int(le(30, 4));
    return info;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void opensCentredBorderlessAndEmptyTitled();
    void everyControlHasItsDesign();
    void onlyTheVideoSurfaceIsANativeWindow();
    void stackingFollowsTheDescription();
    void dragMovesTheWindowFromBarAndBackground();
    void dragDoesNotStartOnLabelsOrTheList();
    void doubleClickOnTitleBarIsRaised();
    void screenShowsTheDesign();
    void backgroundTilesAtAnySize();
    void picturesHaveTheirSizesAndDepth();
    void assistiveTechnologySeesEveryVisibleControl();
    void bindingsConnectEventsToHandlers();
    void cleanupTestCase() { window_.reset(); }

private:
    template <class Kind>
    Kind& get(const char* name)
    {
        return window_->get<Kind>(text(name));
    }

    std::unique_ptr<MainWindow> window_;
};

void MainWindowTest::initTestCase()
{
    QCOMPARE(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 1920, 1080));
    window_ = std::make_unique<MainWindow>();
    QSignalSpy created(window_.get(), &MainWindow::created);
    window_->Open();
    QCOMPARE(created.count(), 1);
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void MainWindowTest::init()
{
    window_->Centre();
    QTRY_COMPARE(window_->pos(), QPoint(606, 332));
}

void MainWindowTest::opensCentredBorderlessAndEmptyTitled()
{
    QCOMPARE(window_->geometry(), QRect(606, 332, 707, 415));
    QVERIFY(window_->windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(window_->windowTitle().isEmpty());
    // The X server agrees: the window's own X geometry, with no frame around it.
    QVERIFY(xtest::xdotool({"search", "--sync", "--onlyvisible", "--pid", QString::number(QCoreApplication::applicationPid())}));
    QCOMPARE(window_->frameGeometry(), window_->geometry());
}

void MainWindowTest::everyControlHasItsDesign()
{
    const auto& controls = window_->controls();
    QCOMPARE(int(controls.size()), int(std::size(kDesign)));
    for (size_t i = 0; i < controls.size(); ++i) {
        const Expected& e = kDesign[i];
        const Control& c = *controls[i];
        const QString where = text(e.name);
        QVERIFY2(c.name() == where, qPrintable(c.name()));
        QVERIFY2(QString::fromLatin1(c.object().metaObject()->className()) == text(e.kind), qPrintable(where));
        QVERIFY2(c.Rect() == e.rect, qPrintable(where));
        QVERIFY2(c.Visible() == e.visible, qPrintable(where));
        QVERIFY2(c.Tag() == text(e.tag), qPrintable(where));
        QVERIFY2(!c.Disabled(), qPrintable(where));
        const QObject* parent = c.object().parent();
        const QString parentName = parent == window_.get() ? QString() : parent->objectName();
        QVERIFY2(parentName == text(e.parent), qPrintable(where));
    }
    QCOMPARE(get<TransLabel>("TitleLabel").caption(), text("Clipvane 澄影播放器"));
    QCOMPARE(get<TransLabel>("ListCaptionLabel").caption(), text("------- 节目单 -------"));
    QCOMPARE(get<TransLabel>("VolumeCaptionLabel").caption(), text("音量："));
    QCOMPARE(get<TransLabel>("VolumeValueLabel").caption(), text("150"));
    QCOMPARE(get<TransLabel>("BrandLabel").caption(), text("Clipvane"));
    QVERIFY(get<TransLabel>("BrandLabel").font().italic());
    QCOMPARE(get<TransLabel>("BrandLabel").font().pixelSize(), 14);
    for (const char* hand : {"FullScreenButton", "BrandLabel", "VolumeDownButton", "VolumeUpButton"})
        QVERIFY2(window_->control(text(hand))->Cursor() == CursorKind::Hand, hand);
    QCOMPARE(get<PicBtn>("StopButton").cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(get<PicBox>("VolumeLevelBar").background(), rgb(0, 224, 128));
    QCOMPARE(get<PicBox>("TitleIcon").background(), kNoColor);
    QCOMPARE(get<ListBox>("SourceList").items().size(), 0);
    QCOMPARE(get<ListBox>("SourceList").currentSelection(), -1);
}

void MainWindowTest::onlyTheVideoSurfaceIsANativeWindow()
{
    PicBox& video = get<PicBox>("VideoSurface");
    QVERIFY(video.internalWinId() != 0);
    QVERIFY(video.winId() != window_->winId());
    for (Control* c : window_->controls())
        if (QWidget* w = c->widget(); w && w != &video)
            QVERIFY2(w->internalWinId() == 0, qPrintable(c->name()));
}

void MainWindowTest::stackingFollowsTheDescription()
{
    const auto at = [&](int x, int y) { return window_->childAt(x, y); };
    QCOMPARE(at(450, 395), &get<PicBox>("VolumeLevelBar"));
    QCOMPARE(at(500, 395), &get<PicBox>("VolumeTrackBar"));
    QCOMPARE(at(10, 10), &get<PicBox>("TitleIcon"));
    QCOMPARE(at(690, 10), &get<PicBtn>("CloseButton"));
    QCOMPARE(at(660, 10), &get<PicBtn>("MinimizeButton"));
    QCOMPARE(at(60, 15), &get<TransLabel>("TitleLabel"));

    // Spread over the whole window, the video lies above the bar and the bottom row.
    PicBox& video = get<PicBox>("VideoSurface");
    video.SetRect(QRect(0, 0, 707, 415));
    QCOMPARE(at(300, 10), &video);
    QCOMPARE(at(20, 390), &video);
    QCOMPARE(at(580, 395), &video);
    video.SetRect(QRect(3, 32, 557, 344));
}

void MainWindowTest::dragMovesTheWindowFromBarAndBackground()
{
    const QPoint start = window_->pos();
    QVERIFY(xtest::dragWithRealPointer(start + QPoint(300, 16), QPoint(60, 40))); // TitleBar
    QTRY_COMPARE(window_->pos(), start + QPoint(60, 40));

    const QPoint second = window_->pos();
    QVERIFY(xtest::dragWithRealPointer(second + QPoint(250, 395), QPoint(-100, -30))); // background
    QTRY_COMPARE(window_->pos(), second + QPoint(-100, -30));

    const QPoint third = window_->pos();
    QVERIFY(xtest::dragWithRealPointer(third + QPoint(200, 200), QPoint(20, 20))); // VideoSurface
    QTRY_COMPARE(window_->pos(), third + QPoint(20, 20));
}

void MainWindowTest::dragDoesNotStartOnLabelsOrTheList()
{
    QSignalSpy titlePressed(&get<TransLabel>("TitleLabel"), &TransLabel::leftPressed);
    const QPoint start = window_->pos();
    QVERIFY(xtest::dragWithRealPointer(start + QPoint(60, 15), QPoint(80, 50))); // TitleLabel
    QTRY_COMPARE(titlePressed.count(), 1);
    QVERIFY(xtest::dragWithRealPointer(start + QPoint(600, 200), QPoint(80, 50))); // SourceList
    QVERIFY(xtest::dragWithRealPointer(start + QPoint(575, 389), QPoint(80, 50))); // FullScreenButton's glyph
    QVERIFY(xtest::xdotool({"sleep", "0.2"}));
    QCoreApplication::processEvents();
    QCOMPARE(window_->pos(), start);
}

void MainWindowTest::doubleClickOnTitleBarIsRaised()
{
    QSignalSpy doubleClicks(&get<PicBox>("TitleBar"), &PicBox::doubleClicked);
    const QPoint start = window_->pos();
    const QPoint at = start + QPoint(400, 16);
    QVERIFY(xtest::xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "--repeat",
                            "2", "--delay", "80", "1"}));
    QTRY_COMPARE(doubleClicks.count(), 1);
    QCOMPARE(window_->pos(), start);
}

void MainWindowTest::screenShowsTheDesign()
{
    const QPoint o = window_->pos();
    QTRY_COMPARE(xtest::screenPixel(o + QPoint(300, 16)), QColor(50, 177, 108)); // TitleBar
    QCOMPARE(xtest::screenPixel(o + QPoint(250, 395)), QColor(29, 29, 29));       // background
    QCOMPARE(xtest::screenPixel(o + QPoint(200, 200)), QColor(0, 0, 0));          // video area
    QCOMPARE(xtest::screenPixel(o + QPoint(450, 395)), QColor(0, 224, 128));      // level bar
    QCOMPARE(xtest::screenPixel(o + QPoint(500, 395)), QColor(96, 96, 96));       // track

    // The list heading's text: light pixels in its rectangle over the dark background.
    const QImage heading = xtest::grabScreen(QRect(o + QPoint(561, 34), QSize(144, 20)));
    int light = 0;
    for (int y = 0; y < heading.height(); ++y)
        for (int x = 0; x < heading.width(); ++x)
            if (qGray(heading.pixel(x, y)) > 120)
                ++light;
    QVERIFY2(light > 40, qPrintable(QString::number(light)));

    // The white corners of the stop button's picture are not drawn: the window shows there.
    QCOMPARE(xtest::screenPixel(o + QPoint(3, 377)), QColor(29, 29, 29));
    QVERIFY(xtest::screenPixel(o + QPoint(20, 394)) != QColor(29, 29, 29));
}

void MainWindowTest::backgroundTilesAtAnySize()
{
    window_->setGeometry(0, 0, 1900, 1000);
    QTRY_COMPARE(xtest::screenPixel(QPoint(1000, 600)), QColor(29, 29, 29));
    QCOMPARE(xtest::screenPixel(QPoint(1850, 950)), QColor(29, 29, 29)); // third tile across, third down
    window_->resize(707, 415);
    QCOMPARE(window_->size(), QSize(707, 415));
}

void MainWindowTest::picturesHaveTheirSizesAndDepth()
{
    const struct {
        const char* file;
        int width, height;
    } pictures[] = {
        {"background", 706, 415},         {"titlebar", 706, 32},          {"close-normal", 32, 32},
        {"close-pressed", 32, 32},        {"minimize-normal", 32, 32},    {"minimize-pressed", 32, 32},
        {"enlarge", 16, 16},              {"shrink", 16, 16},             {"stop-normal", 35, 35},
        {"stop-pressed", 35, 35},         {"volume-down-normal", 13, 13}, {"volume-down-pressed", 13, 13},
        {"volume-up-normal", 13, 13},     {"volume-up-pressed", 13, 13},  {"list-normal", 65, 22},
        {"list-pressed", 65, 22},
    };
    for (const auto& p : pictures) {
        const BmpInfo info = bmpInfo(QStringLiteral(":/pictures/%1.bmp").arg(QLatin1String(p.file)));
        QVERIFY2(info.width == p.width && info.height == p.height, p.file);
        QVERIFY2(info.bitsPerPixel == 24 && info.compression == 0, p.file);
    }
    QCOMPARE(bmpInfo(QStringLiteral(":/pictures/enlarge.bmp")).fileSize, 824);
    QCOMPARE(bmpInfo(QStringLiteral(":/pictures/shrink.bmp")).fileSize, 824);
    const QImage icon(QStringLiteral(":/pictures/icon.png"));
    QCOMPARE(icon.size(), QSize(128, 128));
    QCOMPARE(icon.depth(), 32);

    // The caption buttons: the bar's green, orange when pressed.
    QCOMPARE(QImage(QStringLiteral(":/pictures/close-normal.bmp")).pixelColor(2, 2), QColor(50, 177, 108));
    QCOMPARE(QImage(QStringLiteral(":/pictures/close-pressed.bmp")).pixelColor(2, 2), QColor(235, 97, 0));
    QCOMPARE(QImage(QStringLiteral(":/pictures/volume-up-normal.bmp")).pixelColor(6, 4), QColor(137, 137, 137));
    QCOMPARE(QImage(QStringLiteral(":/pictures/enlarge.bmp")).pixelColor(8, 0), QColor(Qt::white));
}

void MainWindowTest::assistiveTechnologySeesEveryVisibleControl()
{
    const QStringList buttonNames{text("全屏"), text("停止"), text("音量减小"), text("音量增大"),
                                  text("节目单"), text("关闭"), text("最小化")};
    QStringList seen;
    for (Control* c : window_->controls()) {
        QWidget* w = c->widget();
        if (!w || w->isHidden())
            continue;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        QVERIFY2(a, qPrintable(c->name()));
        if (qobject_cast<PicBtn*>(w)) {
            QCOMPARE(a->role(), QAccessible::Button);
            seen << a->text(QAccessible::Name);
        } else if (auto* label = qobject_cast<TransLabel*>(w)) {
            QCOMPARE(a->text(QAccessible::Name), label->caption());
        }
    }
    QCOMPARE(seen, buttonNames);

    ListBox& list = get<ListBox>("SourceList");
    list.addItem(text("新闻频道"));
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&list);
    QCOMPARE(a->role(), QAccessible::List);
    QAccessibleInterface* item = nullptr;
    for (int i = 0; i < a->childCount() && !item; ++i)
        if (a->child(i)->role() == QAccessible::ListItem)
            item = a->child(i);
    QVERIFY(item);
    QCOMPARE(item->text(QAccessible::Name), text("新闻频道"));
    list.setItems({});
}

void MainWindowTest::bindingsConnectEventsToHandlers()
{
    MainWindow window;
    QStringList calls;
    const EventBinding bindings[] = {
        {u"StopButton", ControlEvent::Click, [&](const EventArgs&) { calls << "stop"; }},
        {u"EscapeHotKeyLabel", ControlEvent::Notification,
         [&](const EventArgs& a) { calls << QStringLiteral("hotkey %1 %2").arg(a.first).arg(a.second); }},
        {u"MainWindow", ControlEvent::Created, [&](const EventArgs&) { calls << "created"; }},
    };
    QVERIFY(bindEvents(window, bindings));
    window.Open();
    emit window.get<PicBtn>(u"StopButton").clicked();
    window.get<Label>(u"EscapeHotKeyLabel").Notify(33001, 0);
    QCOMPARE(calls, QStringList({"created", "stop", "hotkey 33001 0"}));

    // A binding that does not fit the description is refused.
    const EventBinding wrongKind[] = {{u"TitleBar", ControlEvent::Click, [](const EventArgs&) {}}};
    QVERIFY(!bindEvents(window, wrongKind));
    const EventBinding missing[] = {{u"NoSuchControl", ControlEvent::Tick, [](const EventArgs&) {}}};
    QVERIFY(!bindEvents(window, missing));
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
