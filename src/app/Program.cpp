#include "Program.h"

#include "MainWindowBindings.h"
#include "platform/LibVlc.h"
#include "platform/SoundLog.h"
#include "ui/EventBinding.h"
#include "ui/FatalError.h"
#include "ui/FavouriteHandlers.h"
#include "ui/ListCheckHandlers.h"
#include "ui/MainWindow.h"
#include "ui/PlaySourceHandlers.h"
#include "ui/PlaybackHandlers.h"
#include "ui/ChannelKeys.h"
#include "ui/Preopen.h"
#include "ui/ListFilterHandlers.h"
#include "ui/ListFilterLine.h"
#include "ui/SecondVideoSurface.h"
#include "ui/VideoMenu.h"
#include "AfterFirstPaint.h"
#include "DesktopMediaControls.h"
#include "GuideModule.h"
#include "ListCheckModule.h"
#include "platform/ModulePaths.h"
#include "ui/GuideHandlers.h"
#include "core/GuideText.h"
#include "ui/controls/ListBox.h"
#include "ui/controls/PicBox.h"
#include "engine/VlcPlayer.h"

#include <QApplication>
#include <QDateTime>
#include <QStandardPaths>
#include <QDir>
#include <QMenu>
#include <QMessageBox>
#include <QShortcut>
#include <QTimer>

#include <future>

namespace {

void sayPlayerIsMissing()
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("错误"),
                    QStringLiteral("播放引擎无法启动：libvlc 没有创建实例，可能找不到它的插件。\n"
                                   "节目单仍可使用，但不能播放。"),
                    QMessageBox::Ok);
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

QString guideCacheFolder()
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

    state_.sources = std::make_unique<PlaySourceLoader>();
    state_.hotKeys = HotKeyService::create();
    state_.settings = std::make_unique<UserSettings>();

    window_ = std::make_unique<MainWindow>();
    // A third player opens channels ahead, unless the user turned that off.
    const PreopenMode mode = preopenModeFrom(state_.settings->preopen());
    state_.playback = std::make_unique<PlaybackSession>(
        []() -> std::unique_ptr<MediaPlayer> { return std::make_unique<VlcPlayer>(); }, startingPlayer.get(),
        mode == PreopenMode::Off ? 2 : 3);
    context_ = std::make_unique<HandlerContext>(*window_, state_);
    state_.channels.setPreopen(mode);
    state_.channels.setFavourites(state_.settings->favourites());
    state_.alternates.setKept(state_.settings->firstAddresses());
    state_.pictures.setKept(state_.settings->pictures());
    [[maybe_unused]] const bool bound = bindEvents(*window_, mainWindowBindings(*context_));
    // The bindings and the window's description disagree: a control was renamed or removed.
    Q_ASSERT_X(bound, "Program", "an event binding names a control the window does not have");
    QObject::connect(state_.playback.get(), &PlaybackSession::failed, window_.get(),
                     [this](std::uint64_t generation, const QString& reason) {
                         ShowPlaybackFailure(*context_, generation, reason);
                     });
    QObject::connect(state_.playback.get(), &PlaybackSession::statusChanged, window_.get(),
                     [this](const PlaybackStatus& status) { ShowPlaybackStatus(*context_, status); });
    QObject::connect(state_.sources.get(), &PlaySourceLoader::loaded, window_.get(),
                     [this](std::uint64_t generation, const PlaySourceFile& file) {
                         ShowPlaySources(*context_, file, generation);
                         if (!file.keepsCurrentList)
                             guideModule_->listShown();
                     });
    // The other players draw into windows of their own over the video surface,
    // owned by the surface; one is seen while its player's source is the one
    // chosen, the first player's picture while none is.
    PicBox& video = window_->get<PicBox>(u"VideoSurface");
    for (QWidget*& surface : context_->playerSurfaces)
        surface = new SecondVideoSurface(video);
    QObject::connect(state_.playback.get(), &PlaybackSession::showing, window_.get(), [this](int player) {
        for (size_t index = 0; index < context_->playerSurfaces.size(); ++index)
            context_->playerSurfaces[index]->setVisible(player == int(index) + 1);
    });
    // libvlc's video window is gone and left its last picture behind: paint over it.
    QObject::connect(state_.playback.get(), &PlaybackSession::stopped, window_.get(), [this] {
        window_->get<PicBox>(u"VideoSurface").update();
        for (QWidget* surface : context_->playerSurfaces)
            surface->update();
    });
    // The line that finds a channel, over the list's heading.
    auto* filter = new ListFilterLine(*window_->control(u"ListCaptionLabel")->widget(), *window_);
    context_->filterLine = filter;
    QObject::connect(filter, &QLineEdit::textChanged, window_.get(), [this] {
        FilterSourceList(*context_);
        // Enter plays the first match: it is opened ahead once the typing pauses.
        selectionRest_->prepareAfterRest(state_.channels.restingToOpenAhead(state_.channels.list().firstShownChannel()));
    });
    QObject::connect(filter, &ListFilterLine::accepted, window_.get(), [this] { PlayFilteredEntry(*context_); });
    QObject::connect(filter, &ListFilterLine::abandoned, window_.get(), [this] { CloseListFilter(*context_); });
    auto* find = new QShortcut(QKeySequence::Find, window_.get());
    QObject::connect(find, &QShortcut::activated, window_.get(), [this] { ShowListFilter(*context_); });
    keys_ = std::make_unique<ChannelKeys>(*context_);
    selectionRest_ = std::make_unique<SelectionRest>(*context_);
    // The programme guide, once the window shows: each entry's tooltip says what is on.
    guideModule_ = std::make_unique<GuideModule>(state_, guideModulePaths(state_.programFolder), guideCacheFolder());
    guideModule_->startAfterPaint(*window_);
    // The desktop's media controls and screen saver, over the session bus.
    desktopControls_ = std::make_unique<DesktopMediaControls>(*context_);
    afterFirstPaint(*window_, [this] {
        context_->windowPainted = true;
        desktopControls_->start();
        PrepareSelectionAtStart(*context_); // if the list is there already; else once it is
    });
    context_->listReshown = [this] { guideModule_->listShown(); };
    // The list check's module, the first time a check is asked for.
    checkModule_ = std::make_unique<ListCheckModule>(state_, checkModulePaths(state_.programFolder));
    context_->openChecker = [this](std::function<void()> ready, std::function<void(const QString&)> failed) {
        checkModule_->open(std::move(ready), std::move(failed));
    };
    QWidget& listHeading = *window_->control(u"ListCaptionLabel")->widget();
    listHeading.setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(&listHeading, &QWidget::customContextMenuRequested, window_.get(), [this, &listHeading](QPoint at) {
        ShowListHeadingMenu(*context_, listHeading.mapToGlobal(at));
    });
    QObject::connect(guideModule_.get(), &GuideModule::changed, window_.get(), [this] { RefreshProgrammeBanner(*context_); });
    // A right-click on an entry selects it and offers its schedule.
    ListBox& sources = window_->get<ListBox>(u"SourceList");
    sources.setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(&sources, &QWidget::customContextMenuRequested, window_.get(), [this, &sources](QPoint at) {
        const int item = sources.itemAt(at);
        if (item < 0 || state_.channels.list().isHeading(item))
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
    video.setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(&video, &QWidget::customContextMenuRequested, window_.get(),
                     [this, &video](QPoint at) { ShowVideoMenu(*context_, video.mapToGlobal(at)); });
    RefitPictureToVideoArea(*context_);
    // A channel none of whose addresses answered a check: grey, and why.
    window_->get<ListBox>(u"SourceList").setItemNotes([this](int item) { return WhyEntryIsDead(*context_, item); },
                                                      rgb(128, 128, 128));
    window_->get<ListBox>(u"SourceList").setItemToolTips([this](int item) {
        if (!state_.guide)
            return QString();
        state_.guide->want(item);
        return nowNextLine(state_.guide->nowNext(item, QDateTime::currentSecsSinceEpoch()));
    });
    // Runs while the window and its video surface still exist.
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, window_.get(), [this] { OnProgramExit(); });
}

Program::~Program()
{
    OnProgramExit();
}

void Program::open()
{
    window_->Open();
    if (!state_.playback->isUsable())
        QTimer::singleShot(0, window_.get(), sayPlayerIsMissing);
}

int Program::run()
{
    const int code = QApplication::exec();
    OnProgramExit();
    return code;
}

// Stops the opener and playback before anything is released, then releases
// the media player and the libvlc instance, in that order.
void Program::OnProgramExit()
{
    if (exited_)
        return;
    exited_ = true;
    keys_.reset();
    selectionRest_.reset();
    desktopControls_.reset(); // the screen saver is let go

    // The check's thread ends before its module goes.
    state_.checker.reset();
    checkModule_.reset();
    state_.checkModule.reset();
    // The guide's thread ends first (a fetch under way is dropped), then its module goes.
    state_.guide.reset();
    guideModule_.reset();
    state_.guideModule.reset();
    if (state_.playback)
        state_.playback->shutdown();
    state_.playback.reset();
    state_.sources.reset();
    state_.hotKeys.reset();
    state_.CurrentAddress.clear();
}
