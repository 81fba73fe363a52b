#pragma once

#include "core/lists/ChannelKey.h"

#include <QObject>
#include <QPoint>

#include <functional>
#include <vector>

class ChannelNavigator;
class ListBox;
class ListFilterLine;
class MainWindow;
class PreopenScheduler;
class UserSettings;

// The list panel, the window's half of choosing channels: SourceList and
// AddressList filled from the core's list, the selection (moved by keys,
// following what plays, kept through a change of the favourites), the filter
// line over the heading, the favourites and an entry's right-click menu.
class ListPanelView final : public QObject {
    Q_OBJECT
public:
    ListPanelView(MainWindow& window, ChannelNavigator& channels, PreopenScheduler& preopen, UserSettings* settings);

    // The list's two controls show the list as it stands.
    void fill();
    // Up and Down: the selection moves to the entry above (-1) or below (+1), over headings; nothing plays.
    void moveSelection(int direction);
    // An entry was chosen: selected and in view (the whole list again when the filter hides it).
    void selectPlayed(int index);
    // Selects the channel played last before the program ended, if the list
    // still has it, and brings it into view; nothing plays. Returns the entry, or -1.
    int selectRemembered();
    int selection() const;

    // Ctrl+F or a click on the list's heading: the filter line, ready for typing.
    void showFilter();
    // Esc in the filter line: the whole list again, the selection kept, the line gone.
    void closeFilter();
    // The filter line has the keyboard: its keys are its own.
    bool isFilterTyping() const;

    // The entry becomes a favourite, or stops being one (its copy among the
    // favourites or its entry alike). The list is shown again, the selection
    // following its entry.
    void toggleFavourite(int index);
    // The key S: the selected entry's.
    void toggleSelectedFavourite();
    // The favourites are these now (brought in with a copy of the settings).
    void showFavourites(const std::vector<ChannelKey>& favourites);
    bool isFavourite(int index) const;

    // The list refreshed in place: the selection and the first row in view stay
    // on their channels (`moved`: where an index of before is now, -1 when gone).
    // `refresh` replaces the list and returns `moved`.
    void refillInPlace(const std::function<std::function<int(int)>()>& refresh);

signals:
    // Enter in the filter line: the selection (else the first entry shown) is to play.
    void entryChosen();
    // The entry's menu asked for its schedule.
    void scheduleAsked();
    // The list's entries moved: what is drawn by entry (the guide) reads them again.
    void reshown();

private:
    void filterChanged();
    void playFiltered();
    void showEntryMenu(QPoint at);

    MainWindow& window_;
    ChannelNavigator& channels_;
    PreopenScheduler& preopen_;
    UserSettings* settings_;
    ListBox& sources_;
    ListFilterLine* filter_ = nullptr; // over the heading, owned by the window
};
