#include "ListCheckService.h"

#include "CheckRun.h"
#include "NetworkProbes.h"

#include <QNetworkAccessManager>

#include <utility>

ListCheckService::ListCheckService()
{
    thread_.setObjectName(QStringLiteral("list check"));
    thread_.start();
    network_ = new QNetworkAccessManager;
    network_->moveToThread(&thread_);
}

ListCheckService::~ListCheckService()
{
    finished_ = nullptr;
    // Gone before the thread ends: a deletion left for its loop might never run.
    CheckRun* run = std::exchange(run_, nullptr);
    QNetworkAccessManager* network = network_;
    QMetaObject::invokeMethod(
        network,
        [run, network] {
            delete run;
            delete network;
        },
        Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
}

void ListCheckService::start(std::vector<CheckTarget> targets, CheckLimits limits,
                             std::function<void(int, AddressCheck)> checked, std::function<void()> finished)
{
    end();
    finished_ = std::move(finished);
    QNetworkAccessManager* network = network_;
    run_ = new CheckRun(std::move(targets), limits,
                        [network](const CheckTarget& target) { return makeNetworkProbe(target, *network); });
    run_->moveToThread(&thread_);
    CheckRun* run = run_;
    connect(run, &CheckRun::checked, this, [this, run, checked = std::move(checked)](int target, const AddressCheck& found) {
        if (run == run_)
            checked(target, found);
    });
    connect(run, &CheckRun::finished, this, [this, run] {
        if (run != run_)
            return;
        end();
    });
    QMetaObject::invokeMethod(run, [run, servers = inUse_] {
        run->setServersInUse(servers);
        run->start();
    });
}

void ListCheckService::stop()
{
    end();
}

void ListCheckService::setServersInUse(const QStringList& servers)
{
    // Told at every report of what plays: only a change goes to the check's thread.
    if (servers == inUse_)
        return;
    inUse_ = servers;
    if (CheckRun* run = run_)
        QMetaObject::invokeMethod(run, [run, servers] { run->setServersInUse(servers); });
}

void ListCheckService::end()
{
    CheckRun* run = std::exchange(run_, nullptr);
    if (!run)
        return;
    // Its tries are dropped and it goes, on its own thread.
    QMetaObject::invokeMethod(run, [run] {
        run->disconnect();
        run->stop();
        run->deleteLater();
    });
    if (auto finished = std::exchange(finished_, nullptr))
        finished();
}
