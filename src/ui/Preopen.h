#pragma once

#include <QObject>
#include <QTimer>

struct HandlerContext;

// Opens ahead the channel the user is likely to choose next, as the setting
// allows: after a choice the next entry that is no heading (the one before
// after a channel-up), round the list.
void PrepareNextChannel(HandlerContext& context);

// Opens ahead the entry the selection rests on (Up/Down, a single click) for
// a moment, so that the Enter or double-click that follows finds it ready.
class SelectionRest final : public QObject {
    Q_OBJECT
public:
    static constexpr int kRestMs = 400;

    explicit SelectionRest(HandlerContext& context);

private:
    void prepareSelected();

    HandlerContext& context_;
    QTimer rest_;
};
