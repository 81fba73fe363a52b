#include "Program.h"

#include "AfterFirstPaint.h"
#include "DesktopMediaControls.h"
#include "ReminderAlerts.h"
#include "GuideModule.h"
#include "ListCheckModule.h"
#include "ListHandoff.h"
#include "core/ListFetcher.h"
#include "ui/ListLibraryView.h"
#include "MainWindowBindings.h"
#include "core/GuideText.h"
#include "core/KnownServers.h"
#include "core/SettingsTakeUp.h"
#include "engine/VlcPlayer.h"
#include "platform/LibVlc.h"
#include "platform/LogSecrets.h"
#include "platform/ModulePaths.h"
#include "platform/SoundLog.h"
#include "ui/ChannelKeys.h"
#include "ui/EventBinding.h"
#include "ui/FatalError.h"
#include "ui/GuideGridHandlers.h"
#include "ui/GuideHandlers.h"
#include "ui/ListCheckHandlers.h"
#include "ui/ListPanel.h"
#include "ui/MainWindow.h"
#include "ui/PlaySourceHandlers.h"
#include "ui/PlaybackView.h"
#include "ui/RecordingView.h"
#include "ui/VideoArea.h"
#include "ui/VideoMenu.h"
#include "ui/controls/ListBox.h"
#include "ui/controls/PicBox.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QMenu>
#include <QMessageBox>
#include <QShortcut>
#include <QStandardPaths>
#include <QTimer>

#include <future>

namespace {

void sayPlayerIsMissing()
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("错误"),
                    QStringLiteral("播放引擎无法启动：libvlc 没有创建实例，可能找不到它的插件。\n"
                                   "节目单仍可使用，但不能播放。"),
                    QMessageBox::Ok);
    box.setAccessibleName(QStringLiteral("错误"));
    box.exec();
}

// Beside the program in the build, under lib/clipvane when installed; the
// environment may name another (the tests do).
QStringList guideModulePaths(const QString& programFolder)
{
    return modulePaths(programFolder, QStringLiteral("libclipvane_guide.so"), "CLIPVANE_GUIDE_MODULE");
}

QStringList checkModulePaths(const QString& programFolder)
{
    return modulePaths(programFolder, QStringLiteral("libclipvane_check.so"), "CLIPVANE_CHECK_MODULE");
}

QString cacheFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)).filePath(QStringLiteral("clipvane"));
}

} // namespace

Program::Program(const QString& programFolder)
{
    // Relative paths resolve from the program's folder.
    state_.programFolder =
        QDir::cleanPath(programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder);
    QDir::setCurrent(state_.programFolder);

    // libvlc starts (its plugin cache, its media player) while the window is
    // built; both take several milliseconds and neither needs the other. The
    // library is opened here first, and when a function the player needs is
    // missing it starts on this thread, so the error is reported from here.
    routeSoundLibraryMessagesToLog();
    libvlc::setFatalHandler(&showFatalErrorAndExit);
    libvlc::resolve("libvlc_new");
    const bool complete =
        libvlc::provides("libvlc_media_player_new") && libvlc::provides("libvlc_media_player_event_manager");
    auto startingPlayer = std::async(complete ? std::launch::async : std::launch::deferred,
                                     []() -> std::unique_ptr<MediaPlayer> { return std::make_unique<VlcPlayer>(); });

    installLogSecretFilter();
    AppCore& core = state_.core;
    core.sources = std::make_unique<PlaySourceLoader>();
    state_.hotKeys = HotKeyService::create();
    core.settings = std::make_unique<UserSettings>();
    core.lists = std::make_unique<ListLibrary>(core.settings.get(), *core.sources);

    window_ = std::make_unique<MainWindow>();
    // A third player opens channels ahead, unless the user turned that off.
    const PreopenMode mode = preopenModeFrom(core.settings->preopen());
    core.session = std::make_unique<PlaybackSession>(
        []() -> std::unique_ptr<MediaPlayer> { return std::make_unique<VlcPlayer>(); }, startingPlayer.get(),
        mode == PreopenMode::Off ? 2 : 3);
    // Servers found to allow one connection in earlier runs get one from the start.
    knownServers_ = std::make_unique<KnownServers>(QDir(cacheFolder()).filePath(QStringLiteral("one-connection-servers")));
    for (const QString& server : knownServers_->load(QDateTime::currentSecsSinceEpoch()))
        core.session->rememberOneConnection(server);
    QObject::connect(core.session.get(), &PlaybackSession::oneConnectionFound, window_.get(),
                     [this](const QString& server) { knownServers_->found(server, QDateTime::currentSecsSinceEpoch()); });

    context_ = std::make_unique<HandlerContext>(*window_, core);
    context_->video = new VideoArea(window_->get<PicBox>(u"VideoSurface"));
    core.channels.setPreopen(mode);
    core.channels.setFavourites(core.settings->favourites());
    core.alternates.setKept(core.settings->firstAddresses());
    core.pictures.setKept(core.settings->pictures());
    const std::vector<Reminder> keptReminders = core.settings->reminders();
    core.reminders.setKept(keptReminders, QDateTime::currentSecsSinceEpoch());
    if (core.reminders.kept().size() != keptReminders.size())
        core.settings->setReminders(core.reminders.kept()); // those missed are gone from the file too
    core.playback = std::make_unique<PlaybackController>(PlaybackController::Parts{
        *core.session, core.channels, core.alternates, core.pictures, core.settings.get(), *context_->video});
    core.preopen = std::make_unique<PreopenScheduler>(*core.playback, core.channels, core.settings.get());
    const std::vector<RecordingPlan> keptPlans = core.settings->recordingPlans();
    core.recordingPlans.setKept(keptPlans, QDateTime::currentSecsSinceEpoch(), core.settings->recordingPadding());
    if (core.recordingPlans.kept().size() != keptPlans.size())
        core.settings->setRecordingPlans(core.recordingPlans.kept()); // those missed are gone from the file too
    core.scheduled = std::make_unique<ScheduledRecordings>(ScheduledRecordings::Parts{
        core.recordingPlans, *core.playback, *core.session, core.channels, core.settings.get()});
    context_->holdEscape = [this](bool held) {
        if (state_.hotKeys)
            state_.hotKeys->SetGrabbed(state_.escapeHotKey, held);
    };
    [[maybe_unused]] const bool bound = bindEvents(*window_, mainWindowBindings(*context_, state_));
    // The bindings and the window's description disagree: a control was renamed or removed.
    Q_ASSERT_X(bound, "Program", "an event binding names a control the window does not have");
    wireWindow();
    // A plan due at start records once the list is there.
    QTimer::singleShot(1000, window_.get(), [this] {
        if (state_.core.scheduled)
            state_.core.scheduled->look();
    });
    // Runs while the window and its video surface still exist.
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, window_.get(), [this] { OnProgramExit(); });
}

// What the window shows of the core and passes on to it beyond the bindings.
void Program::wireWindow()
{
    AppCore& core = state_.core;
    HandlerContext& context = *context_;
    FollowPlayback(context);
    FollowRecording(context);
    SetUpListPanel(context);
    auto* find = new QShortcut(QKeySequence::Find, window_.get());
    QObject::connect(find, &QShortcut::activated, window_.get(), [&context] { ShowListFilter(context); });
    keys_ = std::make_unique<ChannelKeys>(context);
    // The programme guide, once the window shows: each entry's tooltip says what is on.
    guideModule_ = std::make_unique<GuideModule>(state_, guideModulePaths(state_.programFolder), cacheFolder());
    guideModule_->startAfterPaint(*window_);
    QObject::connect(core.sources.get(), &PlaySourceLoader::loaded, window_.get(),
                     [this, &context](std::uint64_t generation, const PlaySourceFile& file) {
                         ShowPlaySources(context, file, generation);
                         if (!file.keepsCurrentList)
                             guideModule_->listShown();
                     });
    context.listReshown = [this] { guideModule_->listShown(); };
    context.settingsChanged = [this, &context] {
        AppCore& core = state_.core;
        takeUpSettings(core);
        ShowFavourites(context, core.settings->favourites()); // and the guide reads again
        // A copy brought into a home with nothing shown: the list it chose shows.
        if (core.channels.list().count() == 0 && core.lists->current() == -2)
            core.lists->openAtStart();
    };
    QObject::connect(core.lists.get(), &ListLibrary::statusChanged, window_.get(), [&context] { ShowListStatus(context, ChannelKeys::help()); });
    QObject::connect(core.lists.get(), &ListLibrary::oneConnectionAccount, window_.get(), [&core](const QString& server) {
        if (core.session)
            core.session->learnOneConnection(server, "the provider's account allows one connection");
    });
    QObject::connect(guideModule_.get(), &GuideModule::changed, window_.get(),
                     [&context] {
                         RefreshProgrammeBanner(context);
                         RefreshGuideGrid(context);
                     });
    // The desktop's media controls and screen saver, over the session bus.
    ListBox& sources = window_->get<ListBox>(u"SourceList");
    desktopControls_ =
        std::make_unique<DesktopMediaControls>(core, *window_, [&sources] { return sources.currentSelection(); });
    QObject::connect(guideModule_.get(), &GuideModule::changed, desktopControls_.get(), &DesktopMediaControls::refresh);
    afterFirstPaint(*window_, [this, &sources] {
        painted_ = true;
        if (std::exchange(fetcherOwed_, false))
            openListFetcher();
        desktopControls_->start();
        reminderAlerts_ = std::make_unique<ReminderAlerts>(state_.core, *context_, [] { return QDateTime::currentSecsSinceEpoch(); });
        context_->remindersChanged = [this] { reminderAlerts_->rearm(); };
        reminderAlerts_->rearm();
        // Lists handed over by later starts come here.
        handoff_ = std::make_unique<ListHandoff>([this](const QString& list) {
            state_.core.lists->addAndOpen({}, list);
            window_->activateWindow();
        });
        handoff_->start();
        state_.core.preopen->windowPainted(sources.currentSelection()); // if the list is there already; else once it is
    });

    // The list check's module, the first time a check is asked for.
    checkModule_ = std::make_unique<ListCheckModule>(state_, checkModulePaths(state_.programFolder));
    context.openChecker = [this](std::function<void()> ready, std::function<void(const QString&)> failed) {
        checkModule_->open(std::move(ready), std::move(failed));
    };
    // Lists by address are fetched by the same module, opened the first time one is.
    // Not before the window is painted: a list by address shows its kept copy first.
    QObject::connect(core.lists.get(), &ListLibrary::fetcherWanted, window_.get(), [this] {
        if (painted_)
            openListFetcher();
        else
            fetcherOwed_ = true;
    });
    QObject::connect(core.playback.get(), &PlaybackController::addressInUse, window_.get(),
                     [&context](const QString& address) { TellCheckWhatPlays(context, address); });
    QWidget& listHeading = *window_->control(u"ListCaptionLabel")->widget();
    listHeading.setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(&listHeading, &QWidget::customContextMenuRequested, window_.get(),
                     [&context, &listHeading](QPoint at) { ShowListHeadingMenu(context, listHeading.mapToGlobal(at)); });
    // A right-click on an entry selects it and offers its schedule.
    sources.setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(&sources, &QWidget::customContextMenuRequested, window_.get(), [this, &sources](QPoint at) {
        const int item = sources.itemAt(at);
        if (item < 0 || state_.core.channels.list().isHeading(item))
            return;
        sources.setCurrentSelection(item);
        QMenu menu;
        menu.setAccessibleName(QStringLiteral("节目菜单"));
        menu.addAction(QStringLiteral("节目单"), window_.get(), [this] { ToggleProgrammeSchedule(*context_); });
        menu.addAction(IsFavourite(*context_, item) ? QStringLiteral("取消收藏") : QStringLiteral("收藏"), window_.get(),
                       [this, item] { ToggleFavourite(*context_, item); });
        menu.exec(sources.viewport()->mapToGlobal(at));
    });
    // Over the video, in the window and in full screen: tracks, picture, information.
    PicBox& video = window_->get<PicBox>(u"VideoSurface");
    video.setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(&video, &QWidget::customContextMenuRequested, window_.get(),
                     [&context, &video](QPoint at) { ShowVideoMenu(context, video.mapToGlobal(at)); });
    // A channel none of whose addresses answered a check: grey, and why.
    sources.setItemNotes([&context](int item) { return WhyEntryIsDead(context, item); }, rgb(128, 128, 128));
    sources.setItemToolTips([this](int item) {
        ProgrammeGuide* guide = state_.core.guide.get();
        if (!guide)
            return QString();
        guide->want(item);
        return nowNextLine(guide->nowNext(item, QDateTime::currentSecsSinceEpoch()));
    });
}

Program::~Program()
{
    OnProgramExit();
}

void Program::open()
{
    window_->Open();
    if (!core().session->isUsable())
        QTimer::singleShot(0, window_.get(), sayPlayerIsMissing);
}

int Program::run()
{
    const int code = QApplication::exec();
    OnProgramExit();
    return code;
}

void Program::openListFetcher()
{
    checkModule_->openFetcher([this](std::unique_ptr<ListFetcher> fetcher) { state_.core.lists->setFetcher(std::move(fetcher)); },
                              [this](const QString&) { state_.core.lists->fetcherUnavailable(); });
}

// Stops the opener and playback before anything is released, then releases
// the media player and the libvlc instance, in that order.
void Program::OnProgramExit()
{
    if (exited_)
        return;
    exited_ = true;
    AppCore& core = state_.core;
    keys_.reset();
    desktopControls_.reset(); // the screen saver is let go
    handoff_.reset();

    // The check's thread and the list's fetch end before their module goes.
    core.checker.reset();
    if (core.lists)
        core.lists->setFetcher(nullptr);
    checkModule_.reset();
    state_.checkModule.reset();
    // The guide's thread ends first (a fetch under way is dropped), then its module goes.
    if (core.playback)
        core.playback->setGuide(nullptr);
    core.guide.reset();
    guideModule_.reset();
    state_.guideModule.reset();
    // What plays goes before the players it plays on; recordings beside it end too.
    core.scheduled.reset();
    core.preopen.reset();
    core.playback.reset();
    if (core.session)
        core.session->shutdown();
    core.session.reset();
    core.sources.reset();
    state_.hotKeys.reset();
}
