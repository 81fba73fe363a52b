#pragma once

#include <QObject>
#include <QString>

#include <cstdint>

class ChannelNavigator;
class ListLibrary;
class ListPanelView;
class PlaySourceLoader;
class PreopenScheduler;
struct PlaySourceFile;

// A list read off the window's thread comes into the window: in place of the
// list shown, or in place of its own entries when it is that list refreshed;
// files dropped on the window are read the same way.
class ListLoadView final : public QObject {
    Q_OBJECT
public:
    ListLoadView(PlaySourceLoader& loader, ChannelNavigator& channels, ListLibrary& lists, PreopenScheduler& preopen,
                 ListPanelView& panel);

    // The load of the list at start, whose channel played last is selected once it shows.
    void setStartupLoad(std::uint64_t generation) { startupLoad_ = generation; }
    // Files dropped on the window: their entries replace the list; nothing plays.
    void filesDropped(const QString& payload);
    // Shows a finished load: both lists replaced, nothing selected (the list
    // at start selects the channel played last, if it has it); a drop that
    // brought nothing to list leaves them as they are.
    void show(const PlaySourceFile& file, std::uint64_t generation = 0);

signals:
    // Another list shows (not a drop that kept it): the guide matches it again.
    void listReplaced();

private:
    PlaySourceLoader& loader_;
    ChannelNavigator& channels_;
    ListLibrary& lists_;
    PreopenScheduler& preopen_;
    ListPanelView& panel_;
    std::uint64_t startupLoad_ = 0;
};
