#include "ProgramDriver.h"

#include "TestMedia.h"
#include "XTestSupport.h"

#include "app/Program.h"
#include "SessionProbe.h"
#include "engine/VlcPlayer.h"
#include "ui/MainWindow.h"
#include "ui/controls/ListBox.h"
#include "ui/controls/PicBox.h"
#include "ui/controls/TransLabel.h"
#include "app/ProgramViews.h"
#include "ui/lists/ListLoadView.h"

#include <QElapsedTimer>

#include <vlc/vlc.h>
#include <QTest>

void ProgramDriver::setEntries(const QList<QPair<QString, QString>>& entries)
{
    PlaySourceFile file;
    for (const auto& [name, address] : entries)
        file.entries.emplace_back(name, address);
    file.fillColumns();
    program_.views().load->show(file, 0);
}

void ProgramDriver::doubleClickEntry(int index)
{
    ListBox& names = program_.window().get<ListBox>(u"SourceList");
    const QRect item = names.visualRect(names.model()->index(index, 0));
    const QPoint at = names.viewport()->mapTo(&program_.window(), item.center());
    QTest::mouseDClick(program_.window().windowHandle(), Qt::LeftButton, {}, at);
}

QString ProgramDriver::title() const
{
    return program_.window().get<TransLabel>(u"TitleLabel").caption();
}

QString ProgramDriver::titleTip() const
{
    return program_.window().get<TransLabel>(u"TitleLabel").toolTip();
}

QColor ProgramDriver::videoColour() const
{
    const PicBox& video = program_.window().get<PicBox>(u"VideoSurface");
    return xtest::screenPixel(video.mapToGlobal(video.rect().center()));
}

bool ProgramDriver::videoTurns(const QColor& colour, int timeoutMs) const
{
    return QTest::qWaitFor([&] { return testmedia::looksLike(videoColour(), colour); }, timeoutMs);
}

bool ProgramDriver::videoAlternates(const QColor& one, const QColor& other, int times, int timeoutMs) const
{
    QElapsedTimer clock;
    clock.start();
    for (int turn = 0; turn < times; ++turn) {
        const QColor& next = turn % 2 == 0 ? one : other;
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0 || !videoTurns(next, int(left)))
            return false;
    }
    return true;
}

bool ProgramDriver::waitUntilStopped() const
{
    const SessionProbe playback(program_.core().session());
    if (!QTest::qWaitFor([&] { return !playback.isOpenerBusy(); }, 15000))
        return false;
    for (int index = 0; index < PlaybackSession::kPlayers; ++index) {
        const auto* player = dynamic_cast<const VlcPlayer*>(playback.player(index));
        const int state = player ? player->State() : libvlc_Stopped;
        if (state != libvlc_Stopped && state != libvlc_NothingSpecial && state != libvlc_Error && state != libvlc_Ended)
            return false;
    }
    return true;
}
