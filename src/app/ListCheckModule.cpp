#include "ListCheckModule.h"

#include "core/lists/ListChecker.h"
#include "core/lists/ListFetcher.h"
#include "ProgramState.h"
#include "platform/ModulePaths.h"
#include "platform/ThreadMailbox.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcCheckModule, "clipvane.check", QtWarningMsg)

ListCheckModule::ListCheckModule(ProgramState& state, QStringList modulePaths, QObject* parent)
    : QObject(parent), state_(state), modulePaths_(std::move(modulePaths)), mailbox_(new ThreadMailbox(this))
{
}

ListCheckModule::~ListCheckModule()
{
    if (loader_.joinable())
        loader_.join();
}

void ListCheckModule::open(std::function<void()> ready, std::function<void(const QString&)> failed)
{
    if (state_.core.checker()) {
        ready();
        return;
    }
    whenOpen(
        [this, ready = std::move(ready)](SharedLibrary& module) {
            const auto make = reinterpret_cast<MakeListChecker>(module.symbol(kMakeListCheckerSymbol));
            if (!make)
                return false;
            if (!state_.core.checker())
                state_.core.setChecker(std::unique_ptr<ListChecker>(make()));
            ready();
            return true;
        },
        std::move(failed));
}

void ListCheckModule::openFetcher(std::function<void(std::unique_ptr<ListFetcher>)> made,
                                  std::function<void(const QString&)> failed)
{
    whenOpen(
        [made = std::move(made)](SharedLibrary& module) {
            const auto make = reinterpret_cast<MakeListFetcher>(module.symbol(kMakeListFetcherSymbol));
            if (!make)
                return false;
            made(std::unique_ptr<ListFetcher>(make()));
            return true;
        },
        std::move(failed));
}

void ListCheckModule::whenOpen(Use use, std::function<void(const QString&)> failed)
{
    if (state_.checkModule) {
        if (!use(*state_.checkModule))
            failed(state_.checkModule->errorString());
        return;
    }
    waiting_.push_back({std::move(use), std::move(failed)});
    if (opening_)
        return;
    opening_ = true;
    if (loader_.joinable())
        loader_.join();
    loader_ = std::thread([this, paths = modulePaths_] {
        auto module = std::make_shared<SharedLibrary>();
        QString why;
        openFirstModule(*module, paths, &why);
        mailbox_->post([this, module, why] {
            opening_ = false;
            if (module->isOpen())
                state_.checkModule = module;
            else
                qCWarning(lcCheckModule) << "the network module did not open:" << why.trimmed();
            for (Waiting& waiting : std::exchange(waiting_, {})) {
                if (!module->isOpen())
                    waiting.failed(why.trimmed());
                else if (!waiting.use(*module))
                    waiting.failed(module->errorString());
            }
        });
    });
}
