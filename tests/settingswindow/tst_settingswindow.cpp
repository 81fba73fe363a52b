// The settings window in the real program, driven through its accessible
// names and real keys: opened by Ctrl+, and by the list heading's menu;
// opening ahead turned off and a guide with an offset entered, an address
// that is not one refused at its field; after 确定 the file holds them and
// nothing is opened ahead; then everything exported, and imported into a
// fresh home where the lists and favourites come back.

#include "ProgramDriver.h"
#include "TestMedia.h"
#include "XTestSupport.h"
#include "app/Program.h"
#include "engine/PlaybackSession.h"
#include "SessionProbe.h"
#include "ui/MainWindow.h"
#include "ui/settings/SettingsWindow.h"
#include "ui/controls/ListBox.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <X11/Xlib.h>

#include <functional>
#include <memory>

namespace {

// The object an accessible client finds by this name under `root`, as a
// screen reader would; a field's label (static text of the same name) is
// passed over unless `text` asks for it.
QAccessibleInterface* interfaceNamed(QObject* root, const QString& name, bool text = false)
{
    QAccessibleInterface* top = QAccessible::queryAccessibleInterface(root);
    std::vector<QAccessibleInterface*> open{top};
    while (!open.empty()) {
        QAccessibleInterface* one = open.back();
        open.pop_back();
        if (!one)
            continue;
        if (one->text(QAccessible::Name) == name && one != top && (text || one->role() != QAccessible::StaticText))
            return one;
        for (int child = 0; child < one->childCount(); ++child)
            open.push_back(one->child(child));
    }
    return nullptr;
}

QObject* accessibleNamed(QObject* root, const QString& name, bool text = false)
{
    QAccessibleInterface* found = interfaceNamed(root, name, text);
    return found ? found->object() : nullptr;
}

// A button, a tab or a menu's entry pressed as a screen reader presses it.
bool press(QObject* root, const QString& name)
{
    QAccessibleInterface* button = interfaceNamed(root, name);
    if (!button || !button->actionInterface() ||
        !button->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()))
        return false;
    button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    return true;
}

// Does `act` once a window of type T shows (active, for the keys to reach
// it): a menu or a dialog runs a loop of its own, so what answers it is set
// up before it opens. `done` is what `act` came to.
template <class T>
void whenShown(std::function<bool(T*)> act, bool& done)
{
    done = false;
    auto* poll = new QTimer;
    poll->setInterval(50);
    QObject::connect(poll, &QTimer::timeout, [poll, act = std::move(act), &done] {
        T* shown = qobject_cast<T*>(QApplication::activePopupWidget());
        if (!shown)
            shown = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!shown || !shown->isVisible() || (!qobject_cast<QMenu*>(shown) && !shown->isActiveWindow()))
            return;
        poll->stop();
        poll->deleteLater();
        done = act(shown);
    });
    poll->start();
}

QSettings file()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("clipvane"), QStringLiteral("clipvane"));
}

} // namespace

class SettingsWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { program_.reset(); }
    void cleanup()
    {
        // A check that failed with the window open leaves it to the next no more.
        if (program_ && settingsWindow())
            settingsWindow()->reject();
    }
    void openedByKeyAndMenuAndSavedFromKeys();
    void copyExportedAndImportedIntoAFreshHome();

private:
    void start();
    SettingsWindow* settingsWindow() { return program_->window().findChild<SettingsWindow*>(); }
    bool openByKey();
    bool focusOn(QWidget& window, const QString& name);
    bool type(const QString& text) { return xtest::xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), text}); }
    bool key(const QString& keys) { return xtest::xdotool({QStringLiteral("key"), keys}); }
    // The file dialog that the button opens is answered with `path`.
    bool pressForFile(const QString& button, const QString& path);
    ListBox& entries() { return program_->window().get<ListBox>(u"SourceList"); }

    QTemporaryDir folder_;
    QString listPath_, copyPath_;
    std::unique_ptr<Program> program_;
};

void SettingsWindowTest::initTestCase()
{
    QByteArray list = "频道,#genre#\n";
    for (const char* colour : {"red", "blue", "green"}) {
        const QString clip = folder_.filePath(QStringLiteral("%1.mp4").arg(QLatin1String(colour)));
        QVERIFY(testmedia::makeClip(clip, QLatin1String(colour), 20));
        list += QByteArray(colour) + ',' + clip.toUtf8() + '\n';
    }
    listPath_ = folder_.filePath(QStringLiteral("tv.txt"));
    copyPath_ = folder_.filePath(QStringLiteral("copy.json"));
    QVERIFY(testmedia::writeFile(listPath_, list));
    QVERIFY(QDir(folder_.path()).mkpath(QStringLiteral("program")));
}

void SettingsWindowTest::start()
{
    program_ = std::make_unique<Program>(folder_.filePath(QStringLiteral("program")));
    program_->open();
    QVERIFY(QTest::qWaitForWindowExposed(&program_->window()));
}

bool SettingsWindowTest::openByKey()
{
    program_->window().activateWindow();
    if (!QTest::qWaitFor([this] { return program_->window().isActiveWindow(); }, 5000) || !key(QStringLiteral("ctrl+comma")))
        return false;
    return QTest::qWaitFor([this] { return settingsWindow() && settingsWindow()->isVisible() && settingsWindow()->isActiveWindow(); }, 10000);
}

// The keyboard on the field an accessible client names, in an active window.
bool SettingsWindowTest::focusOn(QWidget& window, const QString& name)
{
    auto* field = qobject_cast<QWidget*>(accessibleNamed(&window, name));
    if (!field)
        return false;
    field->setFocus(Qt::OtherFocusReason);
    return QTest::qWaitFor([&] { return window.isActiveWindow() && field->hasFocus(); }, 5000);
}

bool SettingsWindowTest::pressForFile(const QString& button, const QString& path)
{
    bool answered = false;
    whenShown<QFileDialog>([this, path](QFileDialog*) { return key(QStringLiteral("ctrl+a")) && type(path) && key(QStringLiteral("Return")); },
                           answered);
    return press(settingsWindow(), button) && QTest::qWaitFor([&] { return answered; }, 10000);
}

void SettingsWindowTest::openedByKeyAndMenuAndSavedFromKeys()
{
    start();
    program_->core().lists().addAndOpen(QStringLiteral("电视"), listPath_);
    QTRY_COMPARE_WITH_TIMEOUT(entries().items().size(), 4, 10000);

    // By the list heading's menu.
    QWidget& heading = *program_->window().control(u"ListCaptionLabel")->widget();
    bool chosen = false;
    whenShown<QMenu>([](QMenu* menu) { return press(menu, QStringLiteral("设置…")); }, chosen);
    emit heading.customContextMenuRequested(QPoint(5, 5)); // until the menu closes
    QVERIFY(chosen);
    QTRY_VERIFY(settingsWindow() && settingsWindow()->isVisible());
    SettingsWindow* window = settingsWindow();
    QVERIFY(QTest::qWaitFor([&] { return window->isActiveWindow(); }, 5000));
    QVERIFY(key(QStringLiteral("Escape")));
    QTRY_VERIFY(!settingsWindow());

    // By Ctrl+,: opening ahead off, with real keys on the field.
    QVERIFY(openByKey());
    window = settingsWindow();
    QVERIFY(press(window, QStringLiteral("播放")));
    QVERIFY(focusOn(*window, QStringLiteral("提前打开")));
    QVERIFY(key(QStringLiteral("Home")));
    auto* preopen = qobject_cast<QComboBox*>(accessibleNamed(window, QStringLiteral("提前打开")));
    QTRY_COMPARE(preopen->currentData().toString(), QStringLiteral("off"));
    QCOMPARE(QAccessible::queryAccessibleInterface(preopen)->text(QAccessible::Description),
             QString::fromUtf8(settingRow(u"preopen")->help));

    // A guide: an address that is none is refused at its field, and 确定 with it.
    QVERIFY(press(window, QStringLiteral("节目指南")));
    QVERIFY(press(window, QStringLiteral("添加指南")));
    QVERIFY(focusOn(*window, QStringLiteral("指南地址")));
    QVERIFY(type(QStringLiteral("guide.xml")));
    auto* problem = qobject_cast<QLabel*>(accessibleNamed(window, QStringLiteral("节目指南地址有误"), true));
    QTRY_VERIFY(problem && problem->isVisible());
    QVERIFY2(problem->text().contains(QStringLiteral("guide.xml")), qPrintable(problem->text()));
    auto* save = qobject_cast<QPushButton*>(accessibleNamed(window, QStringLiteral("确定")));
    QVERIFY(!save->isEnabled());
    QVERIFY(key(QStringLiteral("Return"))); // nothing: it cannot be saved
    QVERIFY(window->isVisible());
    QVERIFY(key(QStringLiteral("ctrl+a")) && type(QStringLiteral("http://127.0.0.1:9/guide.xml")));
    QVERIFY(key(QStringLiteral("Tab")) && key(QStringLiteral("minus")) && type(QStringLiteral("60")));
    QTRY_VERIFY(save->isEnabled());
    QVERIFY(!problem->isVisible());
    QVERIFY(key(QStringLiteral("Return")));
    QTRY_VERIFY(!settingsWindow());

    QSettings written = file();
    QCOMPARE(written.value(QStringLiteral("preopen")).toString(), QStringLiteral("off"));
    QCOMPARE(written.value(QStringLiteral("epg")).toString(), QStringLiteral("http://127.0.0.1:9/guide.xml|offset=-60"));

    // Nothing is opened ahead after a choice and a channel change.
    ProgramDriver driver(*program_);
    const SessionProbe probe(program_->core().session());
    driver.doubleClickEntry(1);
    QVERIFY(driver.videoTurns(testmedia::kRed, 15000));
    QVERIFY(!probe.holdsPreopened());
    program_->window().activateWindow();
    QTRY_VERIFY(program_->window().isActiveWindow());
    QVERIFY(key(QStringLiteral("Next")));
    QVERIFY(driver.videoTurns(testmedia::kBlue, 15000));
    QVERIFY(!probe.holdsPreopened());
}

void SettingsWindowTest::copyExportedAndImportedIntoAFreshHome()
{
    // A favourite, then everything exported.
    entries().setCurrentSelection(3);
    program_->window().activateWindow();
    QTRY_VERIFY(program_->window().isActiveWindow());
    QVERIFY(key(QStringLiteral("s")));
    QTRY_COMPARE(program_->core().settings().favourites().size(), size_t(1));
    QVERIFY(openByKey());
    QVERIFY(pressForFile(QStringLiteral("导出设置"), copyPath_));
    auto* status = qobject_cast<QLabel*>(accessibleNamed(settingsWindow(), QStringLiteral("设置状态"), true));
    QTRY_VERIFY_WITH_TIMEOUT(status->text().startsWith(QStringLiteral("已导出")), 10000);
    QVERIFY(QFileInfo(copyPath_).size() > 0);
    QVERIFY(key(QStringLiteral("Escape")));
    QTRY_VERIFY(!settingsWindow());
    program_.reset();

    // A fresh home: nothing set, no list.
    {
        QSettings home = file();
        home.clear();
    }
    start();
    QCOMPARE(entries().items().size(), 0);
    QVERIFY(openByKey());
    QString asked;
    bool replaced = false;
    whenShown<QMessageBox>(
        [&asked](QMessageBox* ask) {
            asked = ask->text();
            return press(ask, QStringLiteral("替换"));
        },
        replaced);
    QVERIFY(pressForFile(QStringLiteral("导入设置"), copyPath_));
    QTRY_VERIFY_WITH_TIMEOUT(replaced, 10000);
    QVERIFY2(asked.contains(QStringLiteral("列表 加 1 个")), qPrintable(asked));
    status = qobject_cast<QLabel*>(accessibleNamed(settingsWindow(), QStringLiteral("设置状态"), true));
    QTRY_VERIFY(status->text().startsWith(QStringLiteral("已导入")));

    // The list and its favourite show; the settings came back too.
    QTRY_COMPARE_WITH_TIMEOUT(entries().items().size(), 6, 10000); // 收藏, green, 频道, red, blue, green
    QCOMPARE(entries().items().value(1), QStringLiteral("green"));
    QCOMPARE(program_->core().lists().lists().size(), size_t(1));
    QCOMPARE(program_->core().settings().preopen(), QStringLiteral("off"));
    QVERIFY(key(QStringLiteral("Escape")));
    QTRY_VERIFY(!settingsWindow());
}

int main(int argc, char** argv)
{
    XInitThreads();
    QApplication app(argc, argv);
    SettingsWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settingswindow.moc"
