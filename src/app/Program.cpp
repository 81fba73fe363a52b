#include "Program.h"

#include "ApplicationId.h"

#include "AfterFirstPaint.h"
#include "DesktopMediaControls.h"
#include "GuideModule.h"
#include "ListCheckModule.h"
#include "ListHandoff.h"
#include "MainWindowBindings.h"
#include "ReminderAlerts.h"
#include "core/lists/ListFetcher.h"
#include "core/playback/KnownServers.h"
#include "core/settings/SettingsTakeUp.h"
#include "engine/VlcPlayer.h"
#include "platform/CrashReport.h"
#include "platform/LibVlc.h"
#include "platform/LogSecrets.h"
#include "platform/ModulePaths.h"
#include "platform/SoundLog.h"
#include "ui/EventBinding.h"
#include "ui/FatalError.h"
#include "ui/MainWindow.h"
#include "ui/Texts.h"
#include "ui/controls/PicBox.h"
#include "ui/guide/GuideGridView.h"
#include "ui/guide/ProgrammeView.h"
#include "ui/guide/ReminderView.h"
#include "ui/lists/ListCheckView.h"
#include "ui/lists/ListHeading.h"
#include "ui/lists/ListHeadingMenu.h"
#include "ui/lists/ListLibraryView.h"
#include "ui/lists/ListLoadView.h"
#include "ui/lists/ListPanelView.h"
#include "ui/playback/MediaInfoView.h"
#include "ui/playback/PlaybackView.h"
#include "ui/playback/ScreenshotView.h"
#include "ui/playback/VideoArea.h"
#include "ui/playback/VideoMenuView.h"
#include "ui/recording/RecordingView.h"
#include "ui/settings/SettingsView.h"
#include "ui/window/ChannelKeys.h"
#include "ui/window/WindowView.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QStandardPaths>
#include <QTimer>

#include <future>

namespace {

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
    state_.hotKeys = HotKeyService::create();
    window_ = std::make_unique<MainWindow>();
    views_.video = new VideoArea(window_->get<PicBox>(u"VideoSurface"));
    makeCore(startingPlayer.get());
    // The modules opened later: the programme guide once the window shows,
    // the list check's the first time a check or a fetch is asked for.
    guideModule_ = std::make_unique<GuideModule>(state_, guideModulePaths(state_.programFolder), cacheFolder());
    guideModule_->startAfterPaint(*window_);
    checkModule_ = std::make_unique<ListCheckModule>(state_, checkModulePaths(state_.programFolder));
    makeViews();
    [[maybe_unused]] const bool bound =
        bindEvents(*window_, mainWindowBindings(*window_, views_, state_.core.playback(), state_));
    // The bindings and the window's description disagree: a control was renamed or removed.
    Q_ASSERT_X(bound, "Program", "an event binding names a control the window does not have");
    wirePlayback();
    wireLists();
    wireGuide();
    wireSettings();
    wireAfterFirstPaint();
    // Runs while the window and its video surface still exist.
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, window_.get(), [this] { OnProgramExit(); });
}

// The core's owners, in the order they need one another; the settings are
// taken up as after every change.
void Program::makeCore(std::unique_ptr<MediaPlayer> firstPlayer)
{
    AppCore& core = state_.core;
    core.sources_ = std::make_unique<PlaySourceLoader>();
    core.settings_ = std::make_unique<UserSettings>();
    core.lists_ = std::make_unique<ListLibrary>(&core.settings(), core.sources());

    // A third player opens channels ahead, unless the user turned that off.
    const PreopenMode mode = preopenModeFrom(core.settings().preopen());
    core.session_ = std::make_unique<PlaybackSession>(
        []() -> std::unique_ptr<MediaPlayer> { return std::make_unique<VlcPlayer>(); }, std::move(firstPlayer),
        mode == PreopenMode::Off ? 2 : 3);
    // Servers found to allow one connection in earlier runs get one from the start.
    knownServers_ = std::make_unique<KnownServers>(QDir(cacheFolder()).filePath(QStringLiteral("one-connection-servers")));
    for (const QString& server : knownServers_->load(QDateTime::currentSecsSinceEpoch()))
        core.session().rememberOneConnection(server);

    // The favourites are the window's to show; before any list, the navigator just has them.
    core.channels().setFavourites(core.settings().favourites());
    const std::vector<Reminder> keptReminders = core.settings().reminders();
    core.reminders().setKept(keptReminders, QDateTime::currentSecsSinceEpoch());
    if (core.reminders().kept().size() != keptReminders.size())
        core.settings().setReminders(core.reminders().kept()); // those missed are gone from the file too
    core.playback_ = std::make_unique<PlaybackController>(PlaybackController::Parts{
        core.session(), core.channels(), core.alternates(), core.pictures(), &core.settings(), *views_.video});
    core.preopen_ = std::make_unique<PreopenScheduler>(core.playback(), core.channels(), &core.settings());
    const std::vector<RecordingPlan> keptPlans = core.settings().recordingPlans();
    core.recordingPlans().setKept(keptPlans, QDateTime::currentSecsSinceEpoch(), core.settings().recordingPadding());
    if (core.recordingPlans().kept().size() != keptPlans.size())
        core.settings().setRecordingPlans(core.recordingPlans().kept()); // those missed are gone from the file too
    core.scheduled_ = std::make_unique<ScheduledRecordings>(ScheduledRecordings::Parts{
        core.recordingPlans(), core.playback(), core.session(), core.channels(), &core.settings()});
    takeUpSettings(core);
}

// Each part of the window, with what it uses.
void Program::makeViews()
{
    AppCore& core = state_.core;
    MainWindow& window = *window_;
    VideoArea& video = *views_.video;
    PlaybackController& playback = core.playback();
    const GuideLookup guide = [this] { return state_.core.guide(); };
    views_.window = std::make_unique<WindowView>(window);
    views_.playback = std::make_unique<PlaybackView>(window, playback, core.channels(), video);
    views_.screenshot = std::make_unique<ScreenshotView>(window, playback, &core.settings(), video);
    views_.info = std::make_unique<MediaInfoView>(window, playback, video);
    views_.videoMenu = std::make_unique<VideoMenuView>(window, playback, core.pictures(), *views_.screenshot, *views_.info);
    views_.recording = std::make_unique<RecordingView>(window, playback.live(), &core.scheduled(), video);
    views_.panel = std::make_unique<ListPanelView>(window, core.channels(), core.preopen(), &core.settings());
    views_.load = std::make_unique<ListLoadView>(core.sources(), core.channels(), core.lists(), core.preopen(), *views_.panel);
    views_.heading = std::make_unique<ListHeading>(window);
    views_.check = std::make_unique<ListCheckView>(ListCheckView::Parts{
        window, *views_.heading, core.channels(), core.alternates(), playback, core.listCheck(), [&core] { return core.checker(); },
        [this](std::function<void()> ready, std::function<void(const QString&)> failed) {
            checkModule_->open(std::move(ready), std::move(failed));
        }});
    views_.lists = std::make_unique<ListLibraryView>(window, core.lists(), *views_.heading, ChannelKeys::help());
    views_.headingMenu = std::make_unique<ListHeadingMenu>(window, *views_.check, *views_.lists);
    views_.settings = std::make_unique<SettingsView>(window, core.settings(), core.lists());
    views_.reminders = std::make_unique<ReminderView>(core.channels(), core.reminders(), &core.settings());
    views_.programmes = std::make_unique<ProgrammeView>(ProgrammeView::Parts{
        window, core.channels(), playback, guide, *views_.reminders, &core.scheduled(), video});
    views_.grid = std::make_unique<GuideGridView>(
        GuideGridView::Parts{window, core.channels(), playback, guide, *views_.reminders, video});
    keys_ = std::make_unique<ChannelKeys>(ChannelKeys::Parts{
        window, playback, core.channels(), core.preopen(), *views_.playback, *views_.panel, *views_.window,
        *views_.programmes, *views_.grid, *views_.lists, *views_.screenshot, *views_.settings});
}

void Program::wirePlayback()
{
    AppCore& core = state_.core;
    MainWindow* window = window_.get();
    // controller -> list panel, banner: the entry chosen is selected, with what is on.
    QObject::connect(&core.playback(), &PlaybackController::entryPlayed, window, [this](int entry) {
        views_.panel->selectPlayed(entry);
        views_.programmes->showBanner(entry, false);
    });
    // list panel -> playback: Enter in the filter line.
    QObject::connect(views_.panel.get(), &ListPanelView::entryChosen, window, [this] { views_.playback->playSelected(); });
    // window -> hot key: Esc is held from other applications in full screen only.
    QObject::connect(views_.window.get(), &WindowView::escapeHeld, window, [this](bool held) {
        if (state_.hotKeys)
            state_.hotKeys->SetGrabbed(state_.escapeHotKey, held);
    });
    // session -> known servers: one allowing one connection is remembered for later runs.
    QObject::connect(&core.session(), &PlaybackSession::oneConnectionFound, window,
                     [this](const QString& server) { knownServers_->found(server, QDateTime::currentSecsSinceEpoch()); });
}

void Program::wireLists()
{
    AppCore& core = state_.core;
    MainWindow* window = window_.get();
    // list -> guide: another list, or the entries moved, and the guide matches them again.
    QObject::connect(views_.load.get(), &ListLoadView::listReplaced, window, [this] { guideModule_->listShown(); });
    QObject::connect(views_.panel.get(), &ListPanelView::reshown, window, [this] { guideModule_->listShown(); });
    // list -> planned recordings: a plan due whose channel was not in the list records once it is.
    QObject::connect(views_.load.get(), &ListLoadView::listReplaced, &core.scheduled(), &ScheduledRecordings::look);
    QObject::connect(views_.panel.get(), &ListPanelView::scheduleAsked, window, [this] { views_.programmes->toggleSchedule(); });
    // heading menu -> grid, settings.
    QObject::connect(views_.headingMenu.get(), &ListHeadingMenu::guideGridAsked, window, [this] { views_.grid->toggle(); });
    QObject::connect(views_.headingMenu.get(), &ListHeadingMenu::settingsAsked, window, [this] { views_.settings->show(); });
    // account -> session: a provider's account that allows one connection.
    QObject::connect(&core.lists(), &ListLibrary::oneConnectionAccount, window, [&core](const QString& server) {
        if (core.isPlaying())
            core.session().learnOneConnection(server, "the provider's account allows one connection");
    });
    // Lists by address are fetched by the check's module, opened the first time one is.
    // Not before the window is painted: a list by address shows its kept copy first.
    QObject::connect(&core.lists(), &ListLibrary::fetcherWanted, window, [this] {
        if (painted_)
            openListFetcher();
        else
            fetcherOwed_ = true;
    });
}

void Program::wireGuide()
{
    // guide -> banner, grid, media controls: what the guide knows changed.
    QObject::connect(guideModule_.get(), &GuideModule::changed, window_.get(), [this] {
        views_.programmes->refreshBanner();
        views_.grid->refresh();
    });
    // grid, video menu -> settings.
    QObject::connect(views_.videoMenu.get(), &VideoMenuView::settingsAsked, window_.get(), [this] { views_.settings->show(); });
}

void Program::wireSettings()
{
    // settings -> core, list panel, guide: the file changed, and what can is taken up now.
    QObject::connect(views_.settings.get(), &SettingsView::changed, window_.get(), [this] {
        AppCore& core = state_.core;
        takeUpSettings(core);
        views_.panel->showFavourites(core.settings().favourites()); // and the guide reads again
        // A copy brought into a home with nothing shown: the list it chose shows.
        if (core.channels().list().count() == 0 && core.lists().current() == ListLibrary::kNoList)
            core.lists().openAtStart();
    });
}

void Program::wireAfterFirstPaint()
{
    AppCore& core = state_.core;
    // The desktop's media controls and screen saver, over the session bus.
    desktopControls_ = std::make_unique<DesktopMediaControls>(
        core, *window_, [this] { return views_.panel->selection(); }, texts::screenSaverHeld());
    QObject::connect(guideModule_.get(), &GuideModule::changed, desktopControls_.get(), &DesktopMediaControls::refresh);
    afterFirstPaint(*window_, [this] {
        painted_ = true;
        if (std::exchange(fetcherOwed_, false))
            openListFetcher();
        desktopControls_->start();
        AppCore& core = state_.core;
        core.scheduled().look(); // the plans' times are waited for from now on
        reminderAlerts_ = std::make_unique<ReminderAlerts>(
            ReminderAlerts::Parts{core.reminders(), core.channels(), core.playback(), &core.settings(),
                                  *views_.programmes, *window_},
            [] { return QDateTime::currentSecsSinceEpoch(); });
        // reminders -> alerts: the next in time is waited for.
        QObject::connect(views_.reminders.get(), &ReminderView::changed, reminderAlerts_.get(), &ReminderAlerts::rearm);
        reminderAlerts_->rearm();
        // Lists handed over by later starts come here.
        handoff_ = std::make_unique<ListHandoff>([this](const QString& list) {
            state_.core.lists().addAndOpen({}, list);
            window_->activateWindow();
        });
        handoff_->start();
        core.preopen().windowPainted(views_.panel->selection()); // if the list is there already; else once it is
        if (const QString report = crash::untoldReport(cacheFolder()); !report.isEmpty())
            tellLastRunEndedBadly(*window_, report);
    });
}

Program::~Program()
{
    OnProgramExit();
}

void Program::open()
{
    window_->Open();
    if (!core().session().isUsable())
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
    checkModule_->openFetcher([this](std::unique_ptr<ListFetcher> fetcher) { state_.core.lists().setFetcher(std::move(fetcher)); },
                              [this](const QString&) { state_.core.lists().fetcherUnavailable(); });
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
    reminderAlerts_.reset();
    desktopControls_.reset(); // the screen saver is let go
    handoff_.reset();

    // The check's thread and the list's fetch end before their module goes.
    core.checker_.reset();
    if (core.lists_)
        core.lists_->setFetcher(nullptr);
    checkModule_.reset();
    state_.checkModule.reset();
    // The guide's thread ends first (a fetch under way is dropped), then its module goes.
    core.setGuide(nullptr);
    guideModule_.reset();
    state_.guideModule.reset();
    // The views draw what plays and go before it; none of them is asked any more.
    views_.clear();
    // What plays goes before the players it plays on; recordings beside it end too.
    core.scheduled_.reset();
    core.preopen_.reset();
    core.playback_.reset();
    if (core.session_)
        core.session_->shutdown();
    core.session_.reset();
    core.sources_.reset();
    state_.hotKeys.reset();
}
