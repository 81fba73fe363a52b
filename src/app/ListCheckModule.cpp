#include "ListCheckModule.h"

#include "core/ListChecker.h"
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
    if (state_.core.checker) {
        ready();
        return;
    }
    if (opening_)
        return;
    opening_ = true;
    if (loader_.joinable())
        loader_.join();
    loader_ = std::thread([this, paths = modulePaths_, ready = std::move(ready), failed = std::move(failed)] {
        auto module = std::make_shared<SharedLibrary>();
        QString why;
        openFirstModule(*module, paths, &why);
        mailbox_->post([this, module, why, ready, failed] {
            opening_ = false;
            const auto make = module->isOpen() ? reinterpret_cast<MakeListChecker>(module->symbol(kMakeListCheckerSymbol))
                                               : nullptr;
            if (!make) {
                const QString reason = module->isOpen() ? module->errorString() : why.trimmed();
                qCWarning(lcCheckModule) << "the list check's module did not open:" << reason;
                failed(reason);
                return;
            }
            state_.checkModule = module;
            state_.core.checker.reset(make());
            ready();
        });
    });
}
