#include "ui/lists/ListCheckView.h"

#include "core/lists/ChannelNavigator.h"
#include "core/lists/ListCheckTargets.h"
#include "core/playback/AlternateOrder.h"
#include "core/playback/PlaybackController.h"
#include "sources/ListWriter.h"
#include "ui/MainWindow.h"
#include "ui/controls/ListBox.h"
#include "ui/lists/ListHeading.h"
#include "ui/lists/ListTexts.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSaveFile>

ListCheckView::ListCheckView(Parts parts) : parts_(std::move(parts))
{
    // A channel none of whose addresses answered a check: grey, and why.
    parts_.window.get<ListBox>(u"SourceList").setItemNotes([this](int item) { return whyDead(item); }, rgb(128, 128, 128));
    connect(&parts_.playback, &PlaybackController::addressInUse, this, &ListCheckView::playing);
}

ListCheckView::~ListCheckView()
{
    parts_.window.get<ListBox>(u"SourceList").setItemNotes({}, rgb(128, 128, 128));
}

void ListCheckView::showProgress()
{
    parts_.heading.showProgress(parts_.progress->done, int(parts_.progress->targets.size()));
}

void ListCheckView::ended()
{
    if (!parts_.progress)
        return;
    parts_.progress.reset();
    parts_.heading.restore();
    parts_.window.get<ListBox>(u"SourceList").notesChanged();
}

void ListCheckView::askToSave()
{
    const QString path = QFileDialog::getSaveFileName(&parts_.window, QStringLiteral("另存为"), QString(),
                                                      QStringLiteral("频道列表 (*.txt *.m3u)"));
    if (path.isEmpty())
        return;
    QString why;
    if (!save(path, &why))
        QMessageBox::warning(&parts_.window, QStringLiteral("另存为"), QStringLiteral("没有写成：") + why);
}

void ListCheckView::start()
{
    if (parts_.progress || !parts_.openChecker)
        return;
    std::vector<CheckTarget> targets = checkTargets(parts_.channels.list(), parts_.playback.oneConnectionHosts());
    if (targets.empty()) {
        QMessageBox::information(&parts_.window, QStringLiteral("检测全部频道"),
                                 QStringLiteral("列表里没有可以检测的网络地址（http、https、rtsp、udp、rtp）。"));
        return;
    }
    parts_.progress = ListCheckProgress{std::move(targets), 0};
    parts_.alternates.setChecked({});
    parts_.window.get<ListBox>(u"SourceList").notesChanged();
    showProgress();
    parts_.openChecker(
        [this] {
            if (!parts_.progress || !parts_.checker())
                return; // stopped while the module opened
            const NowPlaying& now = parts_.playback.nowPlaying();
            playing(now.generation != 0 ? now.addresses.value(0) : QString());
            parts_.checker()->start(
                parts_.progress->targets, CheckLimits{},
                [this](int target, const AddressCheck& found) {
                    auto& check = parts_.progress;
                    if (!check || target < 0 || size_t(target) >= check->targets.size())
                        return;
                    parts_.alternates.checked(check->targets[size_t(target)].address, found);
                    ++check->done;
                    showProgress();
                    parts_.window.get<ListBox>(u"SourceList").notesChanged();
                },
                [this] { ended(); });
        },
        [this](const QString& why) {
            ended();
            QMessageBox::warning(&parts_.window, QStringLiteral("检测全部频道"), QStringLiteral("无法检测：") + why);
        });
}

void ListCheckView::stop()
{
    if (ListChecker* checker = parts_.checker())
        checker->stop();
    ended();
}

QString ListCheckView::whyDead(int index) const
{
    const ChannelList& list = parts_.channels.list();
    if (parts_.alternates.checked().isEmpty() || list.isHeading(index))
        return {};
    return texts::whyNoneAnswered(parts_.alternates.whyNoneAnswered(list.addresses(index)));
}

bool ListCheckView::save(const QString& path, QString* why) const
{
    const ChannelList& list = parts_.channels.list();
    PlaySourceList kept;
    int headingAt = -1; // a heading is written once an entry of its group is
    for (int entry = 0; entry < list.entryCount(); ++entry) {
        const int index = list.indexOfEntry(entry);
        if (list.isHeading(index)) {
            headingAt = index;
            continue;
        }
        if (!whyDead(index).isEmpty())
            continue;
        if (headingAt >= 0)
            kept.emplace_back(list.name(headingAt), list.written(headingAt));
        headingAt = -1;
        kept.emplace_back(list.name(index), list.written(index), list.tags(index));
    }
    const QString suffix = QFileInfo(path).suffix().toLower();
    const bool m3u = suffix == u"m3u" || suffix == u"m3u8";
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(m3u ? writeM3uList(kept, list.listTags()) : writeTextList(kept)) < 0 || !file.commit()) {
        if (why)
            *why = file.errorString();
        return false;
    }
    return true;
}

void ListCheckView::playing(const QString& address)
{
    ListChecker* checker = parts_.checker();
    if (!checker)
        return;
    QStringList servers;
    const OneConnectionHosts& hosts = parts_.playback.oneConnectionHosts();
    if (!address.isEmpty() && hosts.isOneConnection(address))
        servers << OneConnectionHosts::serverOf(address);
    checker->setServersInUse(servers);
}
