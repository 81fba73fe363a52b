#pragma once

#include "core/lists/ListChecker.h"
#include "core/lists/ListCheckTargets.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class AlternateOrder;
class ChannelNavigator;
class ListHeading;
class MainWindow;
class PlaybackController;

// Every network address of the list tried in the background: the heading says
// how far it is, channels none of whose addresses answered go grey with why,
// and the list without them can be saved.
class ListCheckView final : public QObject {
    Q_OBJECT
public:
    // The checker's module, opened the first time a check is asked for:
    // `ready` runs once the checker is there, `failed` with why it is not.
    using OpenChecker = std::function<void(std::function<void()> ready, std::function<void(const QString& why)> failed)>;
    struct Parts {
        MainWindow& window;
        ListHeading& heading;
        const ChannelNavigator& channels;
        AlternateOrder& alternates;
        const PlaybackController& playback;
        std::optional<ListCheckProgress>& progress; // the core's: a check under way
        std::function<ListChecker*()> checker; // the core's: none until the module opens
        OpenChecker openChecker;
    };
    explicit ListCheckView(Parts parts);
    // The list's notes go with it.
    ~ListCheckView() override;

    bool isRunning() const { return parts_.progress.has_value(); }
    void start();
    void stop();
    // "另存为…": asks where, then writes the list without its dead channels.
    void askToSave();
    // The list without the channels none of whose addresses answered, as M3U
    // when the path ends so, else as a text list. False, with why, when it
    // could not be written.
    bool save(const QString& path, QString* why) const;
    // What plays changed: a check keeps off a server taking one connection that it uses.
    void playing(const QString& address);
    // Why none of the entry's addresses answered a check; empty when one did.
    QString whyDead(int index) const;

private:
    void showProgress();
    void ended();

    Parts parts_;
};
