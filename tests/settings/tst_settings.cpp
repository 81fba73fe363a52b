// The table of settings without a window: what each row takes, a hand-edited
// value that is not valid, the file written whole, and a copy of everything
// exported and brought back (replace, merge, refusals).

#include "core/guide/GuideSources.h"
#include "core/settings/SettingsCopy.h"
#include "core/settings/SettingsTable.h"
#include "core/settings/UserSettings.h"
#include "sources/ListLocation.h"
#include "sources/ProviderAccount.h"
#include "ui/settings/SettingsTexts.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList warnings;

void keepWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && QByteArray(context.category) == "clipvane.settings")
        warnings.append(message);
}

QSettings file()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("clipvane"), QStringLiteral("clipvane"));
}

void clearFile()
{
    QSettings settings = file();
    settings.clear();
    settings.sync();
}

} // namespace

class SettingsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { clearFile(); }
    void rowsTakeWhatIsValid_data();
    void rowsTakeWhatIsValid();
    void guideOptionsReadInEitherOrderAndWrittenBack();
    void handEditedValueIsTheDefaultSaidOnceAndLeftInTheFile();
    void savingWritesTheWholeFileAndKeepsTheRest();
    void copyBroughtIntoACleanHomeGivesTheSameSetUp();
    void mergeKeepsWhatIsHereAndReplaceTakesTheCopy();
    void copiesThatAreNoneDamagedOrNewerAreRefused_data();
    void copiesThatAreNoneDamagedOrNewerAreRefused();
    void whatThisMachineCannotUseIsLeftOutOfACopy();
    void readmeShowsTheTable();

private:
    QTemporaryDir home_;
};

void SettingsTest::initTestCase()
{
    // Before anything asks QSettings where the user's file is.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home_.filePath(QStringLiteral("config"))));
}

void SettingsTest::rowsTakeWhatIsValid_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("written");
    QTest::addColumn<bool>("valid");
    const QString aFile = home_.filePath(QStringLiteral("a-file"));
    QFile(aFile).open(QIODevice::WriteOnly);
    const struct {
        const char* key;
        QString written;
        bool valid;
    } cases[]{
        {"list-refresh-hours", QStringLiteral("1"), true},
        {"list-refresh-hours", QStringLiteral("480"), true},
        {"list-refresh-hours", QStringLiteral("0"), false},
        {"list-refresh-hours", QStringLiteral("481"), false},
        {"list-refresh-hours", QStringLiteral("6h"), false},
        {"epg-refresh-hours", QStringLiteral("169"), false},
        {"preopen", QStringLiteral(" OFF "), true},
        {"preopen", QStringLiteral("sometimes"), false},
        {"network-buffer", QStringLiteral("1000"), true},
        {"network-buffer", QStringLiteral("500"), false},
        {"start", QStringLiteral("Last"), true},
        {"list-user-agent", QStringLiteral("Mozilla/5.0 (X11, Linux)"), true},
        {"list-user-agent", QStringLiteral("a\tb"), false},
        {"catchup-zone", QStringLiteral("+05:30"), true},
        {"catchup-zone", QStringLiteral("+15"), false},
        {"catchup-source", QStringLiteral("?playseek={utc}-{utcend}"), true},
        {"catchup-source", QStringLiteral("ftp://h/{utc}"), false},
        {"catchup-source", QStringLiteral("http://h/a b"), false},
        {"epg", QStringLiteral("http://h/e.xml|offset=-60|zone=+0900\n%1\nhttps://h/api?ch={name}").arg(aFile), true},
        {"epg", QStringLiteral("guide.xml"), false},
        {"epg", QStringLiteral("ftp://h/guide.xml"), false},
        {"epg", QStringLiteral("http://h/e.xml|offset=5000"), false},
        {"epg", QStringLiteral("http://h/e.xml|zone=Beijing"), false},
        {"screenshot-folder", QDir::tempPath(), true},
        {"screenshot-folder", QStringLiteral("pictures/mine"), false},
        {"screenshot-folder", aFile, false},
    };
    for (const auto& one : cases)
        QTest::addRow("%s=%s", one.key, qPrintable(QString(one.written).replace(u'\n', u' '))) << QString::fromLatin1(one.key) << one.written << one.valid;
}

void SettingsTest::rowsTakeWhatIsValid()
{
    QFETCH(QString, key);
    QFETCH(QString, written);
    QFETCH(bool, valid);
    const SettingRow* row = settingRow(key);
    QVERIFY(row);
    QVERIFY2(settingProblem(*row, QString::fromLatin1(row->fallback)).isEmpty(), "the default is a valid value");
    const QString problem = settingProblem(*row, written);
    QVERIFY2(problem.isEmpty() == valid, qPrintable(problem));
}

void SettingsTest::guideOptionsReadInEitherOrderAndWrittenBack()
{
    for (const QString& written : {QStringLiteral("http://h/e.xml|zone=+0900|offset=-30"),
                                   QStringLiteral("http://h/e.xml | offset=-30 | zone=+0900")}) {
        const GuideSetting guide = readGuideSetting(written);
        QCOMPARE(guide.address, QStringLiteral("http://h/e.xml"));
        QCOMPARE(guide.offsetMinutes, -30);
        QCOMPARE(guide.zone, QStringLiteral("+0900"));
        const GuideSource source = readGuideSource(written);
        QCOMPARE(source.address, guide.address);
        QCOMPARE(source.correctionMinutes, -30);
        QCOMPARE(source.zoneMinutes, 9 * 60);
        QCOMPARE(readGuideSetting(writeGuideSetting(guide.address, guide.offsetMinutes, guide.zone)).zone, guide.zone);
    }
    // What cannot be read stays part of the address, as before.
    QCOMPARE(readGuideSource(QStringLiteral("http://h/e.xml|offset=x")).address, QStringLiteral("http://h/e.xml|offset=x"));
}

void SettingsTest::handEditedValueIsTheDefaultSaidOnceAndLeftInTheFile()
{
    {
        QSettings settings = file();
        settings.setValue(QStringLiteral("preopen"), QStringLiteral("sometimes"));
        settings.setValue(QStringLiteral("list-refresh-hours"), QStringLiteral("100000"));
        settings.setValue(QStringLiteral("epg"), QStringList{QStringLiteral("http://h/a.xml?x=1,2|offset=60"),
                                                             QStringLiteral("/no/such/guide.xml")});
    }
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(keepWarnings);
    UserSettings settings;
    QCOMPARE(settings.preopen(), QStringLiteral("next+selection"));
    QCOMPARE(settings.preopen(), QStringLiteral("next+selection"));
    QCOMPARE(settings.listRefreshHours(), 6);
    // A comma inside an address is the INI format's list separator: the guide
    // comes back whole; a guide that is not there is left out, the others stay.
    QCOMPARE(settings.guides(), QStringList{QStringLiteral("http://h/a.xml?x=1,2|offset=60")});
    QCOMPARE(settings.cachingMs(), 300);
    qInstallMessageHandler(previous);
    QCOMPARE(warnings.size(), 3);
    QVERIFY2(warnings[0].contains(QLatin1String("preopen")) && warnings[0].contains(QLatin1String("sometimes")),
             qPrintable(warnings[0]));
    QVERIFY(warnings[1].contains(QLatin1String("100000")));
    QVERIFY(warnings[2].contains(QLatin1String("/no/such/guide.xml")));
    QCOMPARE(file().value(QStringLiteral("preopen")).toString(), QStringLiteral("sometimes"));
    QCOMPARE(settings.written().at(QStringLiteral("preopen")), QStringLiteral("sometimes"));
}

void SettingsTest::savingWritesTheWholeFileAndKeepsTheRest()
{
    UserSettings settings;
    const std::vector<ChannelKey> favourites{{QStringLiteral("甲"), QStringLiteral("http://h/a.ts")}};
    settings.setFavourites(favourites);
    settings.save({{QStringLiteral("preopen"), QStringLiteral("off")},
                   {QStringLiteral("network-buffer"), QStringLiteral("300")},
                   {QStringLiteral("epg"), QStringLiteral("http://h/e.xml?a=1,2|offset=30\nhttps://h/b.xml")},
                   {QStringLiteral("list-user-agent"), QStringLiteral("Mozilla/5.0 (X11, Linux)")}});
    QCOMPARE(settings.preopen(), QStringLiteral("off"));
    QCOMPARE(settings.guides(), (QStringList{QStringLiteral("http://h/e.xml?a=1,2|offset=30"), QStringLiteral("https://h/b.xml")}));
    QCOMPARE(settings.listUserAgent(), QStringLiteral("Mozilla/5.0 (X11, Linux)"));
    QCOMPARE(settings.favourites(), favourites);
    // A default leaves the file; nothing but the file is left in its folder.
    QVERIFY(!file().contains(QStringLiteral("network-buffer")));
    const QDir folder(QFileInfo(file().fileName()).path());
    QCOMPARE(folder.entryList(QDir::Files), QStringList{QStringLiteral("clipvane.conf")});
    // Read by another reader of INI files: every line whole.
    QFile written(file().fileName());
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray text = written.readAll();
    QVERIFY(text.contains("preopen=off\n"));
    QVERIFY(text.endsWith('\n'));

    // A damaged or hostile count reads what the file holds, at once.
    {
        QSettings hostile = file();
        hostile.setValue(QStringLiteral("favourites/size"), 2000000000);
        hostile.setValue(QStringLiteral("lists/size"), 100000000);
    }
    QCOMPARE(settings.favourites(), favourites);
    QVERIFY(settings.lists().empty());
}

namespace {

SettingsCopy someSetUp()
{
    SettingsCopy copy;
    for (const SettingRow& row : settingsTable())
        copy.settings[QString::fromLatin1(row.key)] = QString::fromLatin1(row.fallback);
    copy.settings[QStringLiteral("preopen")] = QStringLiteral("next");
    copy.settings[QStringLiteral("epg")] = QStringLiteral("http://h/e.xml|offset=-60");
    copy.lists = {{QStringLiteral("家"), QStringLiteral("http://h/tv.m3u|User-Agent=Box/1")},
                  {QStringLiteral("本机"), QStringLiteral("/srv/a,b.txt")}};
    copy.chosenList = copy.lists[0].address;
    copy.favourites = {{QStringLiteral("甲"), QStringLiteral("http://h/a.ts")}, {QStringLiteral("乙"), QStringLiteral("http://h/b.ts")}};
    copy.firstAddresses = {{{QStringLiteral("甲"), QStringLiteral("http://h/a.ts#http://h/a2.ts")}, QStringLiteral("http://h/a2.ts")}};
    PictureSettings wide;
    wide.shape = PictureSettings::Shape::Wide;
    copy.pictures = {{{QStringLiteral("乙"), QStringLiteral("http://h/b.ts")}, wide}};
    copy.lastChannel = ChannelKey{QStringLiteral("乙"), QStringLiteral("http://h/b.ts")};
    return copy;
}

} // namespace

void SettingsTest::copyBroughtIntoACleanHomeGivesTheSameSetUp()
{
    UserSettings settings;
    writeCopy(settings, someSetUp());
    const SettingsCopy before = copyOf(settings);
    QCOMPARE(before, someSetUp());
    const QByteArray json = settingsCopyJson(before);

    clearFile();
    QCOMPARE(copyOf(settings).favourites.size(), size_t(0));
    const SettingsCopyRead read = readSettingsCopy(json);
    QVERIFY2(read.copy, qPrintable(read.refused ? texts::copyRefusal(*read.refused) : QString()));
    writeCopy(settings, combined(copyOf(settings), *read.copy, ImportMode::Replace));
    QCOMPARE(copyOf(settings), before);
    QCOMPARE(settings.preopen(), QStringLiteral("next"));
}

void SettingsTest::mergeKeepsWhatIsHereAndReplaceTakesTheCopy()
{
    SettingsCopy here;
    here.settings = {{QStringLiteral("preopen"), QStringLiteral("off")}, {QStringLiteral("start"), QString()}};
    here.lists = {{QStringLiteral("我的"), QStringLiteral("http://h/tv.m3u|User-Agent=Box/1")}};
    here.favourites = {{QStringLiteral("丙"), QStringLiteral("http://h/c.ts")}};
    const SettingsCopy brought = someSetUp();

    const SettingsCopy merged = combined(here, brought, ImportMode::Merge);
    QCOMPARE(merged.settings.at(QStringLiteral("preopen")), QStringLiteral("off")); // set here: kept
    QCOMPARE(merged.settings.at(QStringLiteral("epg")), brought.settings.at(QStringLiteral("epg"))); // default here: taken
    QCOMPARE(merged.lists.size(), size_t(2));
    QCOMPARE(merged.lists[0].name, QStringLiteral("我的")); // the same address: here's name
    QCOMPARE(merged.favourites.size(), size_t(3));
    QCOMPARE(merged.favourites.front(), here.favourites.front());
    const CopyChanges mergeChanges = changesBetween(here, merged);
    QCOMPARE(mergeChanges.lists.added, 1);
    QCOMPARE(mergeChanges.favourites.added, 2);
    QCOMPARE(mergeChanges.favourites.removed, 0);

    const SettingsCopy replaced = combined(here, brought, ImportMode::Replace);
    QCOMPARE(replaced, brought);
    const CopyChanges replaceChanges = changesBetween(here, replaced);
    QCOMPARE(replaceChanges.favourites.removed, 1);
    QCOMPARE(replaceChanges.lists.changed, 1);
    QVERIFY(replaceChanges.lastChannel);
    const QString said = texts::copyChanges(replaceChanges);
    QVERIFY2(said.contains(QStringLiteral("收藏 加 2 个、去 1 个")), qPrintable(said));
    QCOMPARE(texts::copyChanges(changesBetween(brought, brought)), QStringLiteral("没有变化"));
    // Two lists of one address under two names: compared with itself, nothing changed.
    SettingsCopy twice = brought;
    twice.lists.push_back({QStringLiteral("又一个"), brought.lists[0].address});
    QCOMPARE(texts::copyChanges(changesBetween(twice, twice)), QStringLiteral("没有变化"));
    QCOMPARE(changesBetween(brought, twice).lists.added, 1);
    QCOMPARE(changesBetween(twice, brought).lists.removed, 1);
}

void SettingsTest::copiesThatAreNoneDamagedOrNewerAreRefused_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("reason");
    const QByteArray whole = settingsCopyJson(someSetUp());
    QTest::newRow("cut short") << whole.left(whole.size() / 2) << QStringLiteral("损坏");
    QTest::newRow("another program's") << QByteArray(R"({"version": 1, "volume": 3})") << QStringLiteral("不是澄影");
    QTest::newRow("an array") << QByteArray("[1, 2]") << QStringLiteral("不是澄影");
    QTest::newRow("newer") << QByteArray(R"({"format": "clipvane-settings", "version": 2})") << QStringLiteral("更新的版本");
    QTest::newRow("no version") << QByteArray(R"({"format": "clipvane-settings"})") << QStringLiteral("版本");
    QTest::newRow("bad value") << QByteArray(R"({"format": "clipvane-settings", "version": 1, "settings": {"preopen": "x"}})")
                               << QStringLiteral("preopen");
    QTest::newRow("list without address")
        << QByteArray(R"({"format": "clipvane-settings", "version": 1, "lists": [{"name": "a", "address": " "}]})")
        << QStringLiteral("没有地址");
    QTest::newRow("favourites not an array")
        << QByteArray(R"({"format": "clipvane-settings", "version": 1, "favourites": {"name": "a"}})") << QStringLiteral("favourites");
}

void SettingsTest::copiesThatAreNoneDamagedOrNewerAreRefused()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, reason);
    UserSettings settings;
    writeCopy(settings, someSetUp());
    const QString path = home_.filePath(QStringLiteral("copy.json"));
    QFile copy(path);
    QVERIFY(copy.open(QIODevice::WriteOnly | QIODevice::Truncate) && copy.write(json) == json.size());
    copy.close();
    const SettingsCopyRead read = readSettingsCopyFile(path);
    QVERIFY(!read.copy);
    QVERIFY(read.refused);
    const QString said = texts::copyRefusal(*read.refused);
    QVERIFY2(said.contains(reason), qPrintable(said));
    QCOMPARE(copyOf(settings), someSetUp());
}

void SettingsTest::whatThisMachineCannotUseIsLeftOutOfACopy()
{
    SettingsCopy copy = someSetUp();
    copy.settings[QStringLiteral("epg")] = QStringLiteral("http://h/e.xml\n/home/elsewhere/guide.xml");
    copy.settings[QStringLiteral("screenshot-folder")] = home_.filePath(QStringLiteral("a-file"));
    const SettingsCopyRead read = readSettingsCopy(settingsCopyJson(copy));
    QVERIFY2(read.copy, qPrintable(read.refused ? texts::copyRefusal(*read.refused) : QString()));
    QCOMPARE(read.copy->settings.at(QStringLiteral("epg")), QStringLiteral("http://h/e.xml"));
    QCOMPARE(read.copy->settings.at(QStringLiteral("screenshot-folder")), QString());
    QCOMPARE(read.leftOut.size(), 2);
    QVERIFY2(read.leftOut[0].contains(QLatin1String("/home/elsewhere/guide.xml")), qPrintable(read.leftOut[0]));

    // A provider's account's password leaves with the copy only when the user says so.
    copy.lists = {{QStringLiteral("账号"), QStringLiteral("http://s:8080/get.php?username=u&password=s%26cret&output=ts|User-Agent=x")},
                  {QStringLiteral("公开"), QStringLiteral("http://h/tv.m3u")}};
    copy.chosenList = QStringLiteral("http://s:8080/get.php?username=u&password=s%26cret&output=ts");
    QVERIFY(holdsAccountPasswords(copy));
    leaveOutAccountPasswords(copy);
    QCOMPARE(copy.lists[0].address, QStringLiteral("http://s:8080/get.php?username=u&password=&output=ts|User-Agent=x"));
    QCOMPARE(copy.lists[1].address, QStringLiteral("http://h/tv.m3u"));
    QCOMPARE(copy.chosenList, QStringLiteral("http://s:8080/get.php?username=u&password=&output=ts"));
    QVERIFY(!holdsAccountPasswords(copy)); // no password, no account to log in with
    // However the address is written: a line's label after " $ " kept the password once.
    copy.lists = {{QStringLiteral("主线"), QStringLiteral("http://s/get.php?username=u&password=s3cret&output=ts $ 主线")}};
    leaveOutAccountPasswords(copy);
    QVERIFY2(!copy.lists[0].address.contains(QLatin1String("s3cret")), qPrintable(copy.lists[0].address));
    QCOMPARE(account::fromListAddress(readListLocation(copy.lists[0].address).address), std::nullopt);
}

void SettingsTest::readmeShowsTheTable()
{
    QFile readme(QStringLiteral(README_PATH));
    QVERIFY(readme.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(readme.readAll());
    const QString begin = QStringLiteral("<!-- settings-table:begin -->\n");
    const qsizetype from = text.indexOf(begin) + begin.size();
    const qsizetype to = text.indexOf(QStringLiteral("\n<!-- settings-table:end -->"));
    QVERIFY(from >= begin.size() && to > from);
    QVERIFY2(text.mid(from, to - from) == settingsTableMarkdown().trimmed(),
             "the README's table of settings is not the program's: run scripts/settings-table.sh");
}

QTEST_GUILESS_MAIN(SettingsTest)
#include "tst_settings.moc"
