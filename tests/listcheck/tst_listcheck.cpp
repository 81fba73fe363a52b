// The list check's limits on fake probes that answer when the test says:
// never more than 8 at once in all, 2 per host, 1 to a server taking one
// connection, none to such a server while a channel of it plays; every
// address reported once, and a check that finishes.

#include "check/CheckRun.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <map>
#include <utility>
#include <set>

class ListCheckTest : public QObject {
    Q_OBJECT

private slots:
    void limitsHoldWhateverTheOrderOfAnswers();
    void aSilentAddressTimesOut();
};

namespace {

// A probe the test answers; the registry sees which run at once.
struct Registry {
    std::map<int, class FakeProbe*> running;
    std::map<QString, int> atOnceByHost;
    int mostAtOnce = 0;
    std::map<QString, int> mostByHost;
    std::set<QString> inUse;
    bool startedInUse = false;
};

class FakeProbe final : public AddressProbe {
public:
    FakeProbe(Registry& registry, const CheckTarget& target, int index)
        : registry_(registry), target_(target), index_(index)
    {
    }
    ~FakeProbe() override { leave(); }
    void start() override
    {
        started_ = true;
        registry_.startedInUse |= registry_.inUse.count(target_.server) > 0;
        registry_.running[index_] = this;
        const int host = ++registry_.atOnceByHost[target_.host];
        registry_.mostByHost[target_.host] = std::max(registry_.mostByHost[target_.host], host);
        registry_.mostAtOnce = std::max(registry_.mostAtOnce, int(registry_.running.size()));
    }
    // As a real probe does, it lets its connection go as it answers.
    void answer(bool answered)
    {
        leave();
        emit done(answered ? AddressCheck::ok() : AddressCheck::failed(AddressCheck::Reason::Status, 404));
    }

private:
    void leave()
    {
        if (!std::exchange(started_, false))
            return;
        registry_.running.erase(index_);
        --registry_.atOnceByHost[target_.host];
    }

    Registry& registry_;
    CheckTarget target_;
    int index_;
    bool started_ = false;
};

} // namespace

void ListCheckTest::limitsHoldWhateverTheOrderOfAnswers()
{
    const quint32 seed = QRandomGenerator::global()->generate();
    qInfo() << "seed" << seed;
    QRandomGenerator random(seed);
    // 60 addresses on 6 hosts; host "one" takes one connection and serves what plays for a while.
    std::vector<CheckTarget> targets;
    for (int index = 0; index < 60; ++index) {
        const QString host = index % 6 == 0 ? QStringLiteral("one") : QStringLiteral("h%1").arg(index % 6);
        targets.push_back({QStringLiteral("http://%1/%2").arg(host).arg(index), {}, {}, host, host + ":80", host == u"one"});
    }
    Registry registry;
    std::map<QString, int> indexOf;
    for (int index = 0; index < int(targets.size()); ++index)
        indexOf[targets[size_t(index)].address] = index;
    CheckRun run(targets, CheckLimits{8, 2, std::chrono::minutes(1)}, [&](const CheckTarget& target) {
        return std::make_unique<FakeProbe>(registry, target, indexOf[target.address]);
    });
    QSignalSpy checked(&run, &CheckRun::checked);
    QSignalSpy finished(&run, &CheckRun::finished);
    run.start();
    QCOMPARE(int(registry.running.size()), 8);
    int rounds = 0;
    while (finished.isEmpty() && ++rounds < 1000) {
        if (rounds == 5) { // a channel of "one" starts playing: its try under way is dropped
            registry.inUse = {QStringLiteral("one:80")};
            run.setServersInUse({QStringLiteral("one:80")});
            QVERIFY(std::none_of(registry.running.begin(), registry.running.end(),
                                 [](const auto& one) { return one.first % 6 == 0; }));
        }
        if (rounds == 30) { // and stops
            registry.inUse.clear();
            run.setServersInUse({});
        }
        if (!registry.running.empty()) {
            auto pick = registry.running.begin();
            std::advance(pick, random.bounded(int(registry.running.size())));
            pick->second->answer(random.bounded(2) == 0);
        }
        QCoreApplication::processEvents();
    }
    QCOMPARE(finished.size(), 1);
    QCOMPARE(checked.size(), 60);
    std::set<int> reported;
    for (const QList<QVariant>& one : checked)
        reported.insert(one.at(0).toInt());
    QCOMPARE(int(reported.size()), 60);
    QCOMPARE(registry.mostAtOnce, 8);
    for (const auto& [host, most] : registry.mostByHost)
        QVERIFY2(most <= (host == u"one" ? 1 : 2), qPrintable(host));
    QVERIFY(!registry.startedInUse);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // before the registry goes
}

void ListCheckTest::aSilentAddressTimesOut()
{
    Registry registry;
    const std::vector<CheckTarget> targets{{"http://a/1", {}, {}, "a", "a:80", false},
                                           {"http://b/1", {}, {}, "b", "b:80", true}};
    CheckRun run(targets, CheckLimits{8, 2, std::chrono::milliseconds(50)}, [&](const CheckTarget& target) {
        return std::make_unique<FakeProbe>(registry, target, target.host == u"a" ? 0 : 1);
    });
    // b's server serves the channel watched all along: it is left, not tried.
    run.setServersInUse({QStringLiteral("b:80")});
    QSignalSpy checked(&run, &CheckRun::checked);
    QSignalSpy finished(&run, &CheckRun::finished);
    run.start();
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(checked.size(), 2);
    const auto found = [&checked](int target) {
        for (const QList<QVariant>& one : checked)
            if (one.at(0).toInt() == target)
                return one.at(1).value<AddressCheck>();
        return AddressCheck{};
    };
    QCOMPARE(found(0).reason, AddressCheck::Reason::Timeout);
    QVERIFY(!found(0).answered);
    QVERIFY(found(1).answered); // not known dead
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(registry.running.empty());
}

QTEST_MAIN(ListCheckTest)
#include "tst_listcheck.moc"
