#include "ListCheckHandlers.h"

#include "GuideGridHandlers.h"
#include "HandlerContext.h"
#include "ListLibraryView.h"
#include "SettingsView.h"
#include "MainWindow.h"
#include "core/AppCore.h"
#include "controls/ListBox.h"
#include "controls/TransLabel.h"
#include "sources/ListWriter.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QSaveFile>
#include <QSet>

namespace {

ListBox& sourceList(HandlerContext& context)
{
    return context.window.get<ListBox>(u"SourceList");
}

TransLabel& heading(HandlerContext& context)
{
    return context.window.get<TransLabel>(u"ListCaptionLabel");
}

std::vector<CheckTarget> targetsOf(const ChannelList& list, const OneConnectionHosts& hosts)
{
    std::vector<CheckTarget> targets;
    QSet<QString> seen;
    for (int entry = 0; entry < list.entryCount(); ++entry) {
        for (const ChannelAddress& one : list.addresses(list.indexOfEntry(entry))) {
            if (!isCheckableAddress(one.address) || seen.contains(one.address))
                continue;
            seen.insert(one.address);
            targets.push_back({one.address, one.userAgent, one.referrer, QUrl(one.address).host().toLower(),
                               OneConnectionHosts::serverOf(one.address), hosts.isOneConnection(one.address)});
        }
    }
    return targets;
}

void showProgress(HandlerContext& context)
{
    const auto& check = context.core.listCheck;
    heading(context).setCaption(QStringLiteral("检测中 %1/%2").arg(check->done).arg(check->targets.size()));
}

void checkEnded(HandlerContext& context)
{
    if (!context.core.listCheck)
        return;
    context.core.listCheck.reset();
    heading(context).setCaption(context.listCaption);
    sourceList(context).notesChanged();
}

void saveAs(HandlerContext& context)
{
    const QString path = QFileDialog::getSaveFileName(&context.window, QStringLiteral("另存为"), QString(),
                                                      QStringLiteral("频道列表 (*.txt *.m3u)"));
    if (path.isEmpty())
        return;
    QString why;
    if (!SaveCheckedList(context, path, &why))
        QMessageBox::warning(&context.window, QStringLiteral("另存为"), QStringLiteral("没有写成：") + why);
}

} // namespace

void ShowListHeadingMenu(HandlerContext& context, QPoint onScreen)
{
    QMenu menu;
    menu.setAccessibleName(QStringLiteral("列表菜单"));
    if (context.core.listCheck)
        menu.addAction(QStringLiteral("停止检测"), &context.window, [&context] { StopListCheck(context); });
    else
        menu.addAction(QStringLiteral("检测全部频道"), &context.window, [&context] { StartListCheck(context); });
    menu.addAction(QStringLiteral("另存为…"), &context.window, [&context] { saveAs(context); });
    menu.addAction(QStringLiteral("电视指南"), &context.window, [&context] { ToggleGuideGrid(context); })
        ->setShortcut(QKeySequence(Qt::Key_E));
    menu.addSeparator();
    AddListLibraryMenu(context, menu);
    menu.addAction(QStringLiteral("设置…"), &context.window, [&context] { ShowSettingsWindow(context); })
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    menu.exec(onScreen);
}

void StartListCheck(HandlerContext& context)
{
    AppCore& core = context.core;
    if (core.listCheck || !context.openChecker)
        return;
    std::vector<CheckTarget> targets = targetsOf(core.channels.list(), core.session->oneConnectionHosts());
    if (targets.empty()) {
        QMessageBox::information(&context.window, QStringLiteral("检测全部频道"),
                                 QStringLiteral("列表里没有可以检测的网络地址（http、https、rtsp、udp、rtp）。"));
        return;
    }
    if (context.listCaption.isEmpty())
        context.listCaption = heading(context).caption();
    core.listCheck = AppCore::ListCheck{std::move(targets), 0};
    core.alternates.setChecked({});
    sourceList(context).notesChanged();
    showProgress(context);
    context.openChecker(
        [&context] {
            AppCore& core = context.core;
            if (!core.listCheck)
                return; // stopped while the module opened
            const NowPlaying& playing = core.playback->nowPlaying();
            TellCheckWhatPlays(context, playing.generation != 0 ? playing.addresses.value(0) : QString());
            core.checker->start(
                core.listCheck->targets, CheckLimits{},
                [&context](int target, const AddressCheck& found) {
                    auto& check = context.core.listCheck;
                    if (!check || target < 0 || size_t(target) >= check->targets.size())
                        return;
                    context.core.alternates.checked(check->targets[size_t(target)].address, found);
                    ++check->done;
                    showProgress(context);
                    sourceList(context).notesChanged();
                },
                [&context] { checkEnded(context); });
        },
        [&context](const QString& why) {
            checkEnded(context);
            QMessageBox::warning(&context.window, QStringLiteral("检测全部频道"), QStringLiteral("无法检测：") + why);
        });
}

void StopListCheck(HandlerContext& context)
{
    if (context.core.checker)
        context.core.checker->stop();
    checkEnded(context);
}

QString WhyEntryIsDead(HandlerContext& context, int index)
{
    const ChannelList& list = context.core.channels.list();
    if (context.core.alternates.checked().isEmpty() || list.isHeading(index))
        return {};
    return context.core.alternates.whyNoneAnswered(list.addresses(index));
}

bool SaveCheckedList(HandlerContext& context, const QString& path, QString* why)
{
    const ChannelList& list = context.core.channels.list();
    PlaySourceList kept;
    int headingAt = -1; // a heading is written once an entry of its group is
    for (int entry = 0; entry < list.entryCount(); ++entry) {
        const int index = list.indexOfEntry(entry);
        if (list.isHeading(index)) {
            headingAt = index;
            continue;
        }
        if (!WhyEntryIsDead(context, index).isEmpty())
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

void TellCheckWhatPlays(HandlerContext& context, const QString& address)
{
    AppCore& core = context.core;
    if (!core.checker)
        return;
    QStringList servers;
    const OneConnectionHosts& hosts = core.session->oneConnectionHosts();
    if (!address.isEmpty() && hosts.isOneConnection(address))
        servers << OneConnectionHosts::serverOf(address);
    core.checker->setServersInUse(servers);
}
