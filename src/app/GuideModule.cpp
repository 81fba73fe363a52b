#include "GuideModule.h"

#include "AfterFirstPaint.h"
#include "core/guide/GuideSources.h"
#include "ProgramState.h"
#include "platform/ModulePaths.h"
#include "platform/ThreadMailbox.h"

#include <QPointer>
#include <QLoggingCategory>
#include <QWidget>

Q_LOGGING_CATEGORY(lcGuideModule, "clipvane.guide", QtWarningMsg)

GuideModule::GuideModule(ProgramState& state, QStringList modulePaths, QString cacheFolder, QObject* parent)
    : QObject(parent), state_(state), modulePaths_(std::move(modulePaths)), cacheFolder_(std::move(cacheFolder)),
      mailbox_(new ThreadMailbox(this))
{
}

GuideModule::~GuideModule()
{
    if (loader_.joinable())
        loader_.join();
}

void GuideModule::startAfterPaint(QWidget& window)
{
    afterFirstPaint(window, [module = QPointer<GuideModule>(this)] {
        if (module)
            module->start();
    });
}

void GuideModule::start()
{
    loader_ = std::thread([this, paths = modulePaths_] {
        auto module = std::make_shared<SharedLibrary>();
        QString why;
        openFirstModule(*module, paths, &why);
        mailbox_->post([this, module, why] {
            if (!module->isOpen()) {
                qCWarning(lcGuideModule) << "no programme guide: the guide's module did not open:" << why.trimmed();
                return;
            }
            const auto make = reinterpret_cast<MakeProgrammeGuide>(module->symbol(kMakeProgrammeGuideSymbol));
            if (!make) {
                qCWarning(lcGuideModule) << "no programme guide:" << module->errorString();
                return;
            }
            state_.guideModule = module;
            AppCore& core = state_.core;
            std::unique_ptr<ProgrammeGuide> guide(make(cacheFolder_.toUtf8().constData()));
            guide->setChangedHandler([this] { emit changed(); });
            core.setGuide(std::move(guide));
            listShown();
        });
    });
}

void GuideModule::listShown()
{
    AppCore& core = state_.core;
    if (!core.guide())
        return;
    const QStringList setting = core.settings().guides();
    GuideRequest request = guideRequestFor(core.channels().list(), setting);
    request.freshHours = core.settings().guideRefreshHours();
    core.guide()->load(request);
}
