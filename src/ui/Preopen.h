#pragma once

#include <QObject>
#include <QTimer>

struct HandlerContext;

// Opens entry `index` ahead (nothing for -1 or a heading): the channel the
// user is likely to choose next, as the core decides.
void PrepareEntry(HandlerContext& context, int index);

// At start, once the window shows and the list is there: the channel selected
// (the one watched last time) is opened ahead while nothing plays, so that
// Enter shows it at once. Not shown, not heard; nothing once a choice was made,
// and let go when nothing has been chosen for a minute.
void PrepareSelectionAtStart(HandlerContext& context);
inline constexpr int kStartPredictionKeptMs = 60000;

// Opens ahead the entry the selection rests on (Up/Down, a single click) for
// a moment, so that the Enter or double-click that follows finds it ready.
class SelectionRest final : public QObject {
    Q_OBJECT
public:
    static constexpr int kRestMs = 400;

    explicit SelectionRest(HandlerContext& context);

    // The same for an entry found otherwise (the filter's first match): opened
    // ahead once it has stayed the same for a moment.
    void prepareAfterRest(int index);

private:
    void prepareSelected();

    HandlerContext& context_;
    QTimer rest_;
    int pending_ = -1; // an entry given, in place of the selection
};
