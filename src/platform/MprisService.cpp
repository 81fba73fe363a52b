#include "MprisService.h"

#include "MprisAdaptors.h"
#include "PlatformLog.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace {

const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

} // namespace

MprisService::MprisService(QString identity, QString desktopEntry, Actions actions, QObject* parent)
    : QObject(parent), identity_(std::move(identity)), desktopEntry_(std::move(desktopEntry)),
      actions_(std::move(actions))
{
    new MprisRootAdaptor(*this, *this);
    new MprisPlayerAdaptor(*this, *this);
}

MprisService::~MprisService()
{
    if (busName_.isEmpty())
        return;
    QDBusConnection bus(busName_);
    bus.unregisterService(serviceName_);
    bus.unregisterObject(kObjectPath);
}

bool MprisService::start(QDBusConnection& bus, const QString& name)
{
    if (!bus.isConnected())
        return false;
    if (!bus.registerObject(kObjectPath, this)) {
        qCWarning(lcDesktop) << "media controls: the object path is taken";
        return false;
    }
    if (!bus.registerService(name)) {
        qCWarning(lcDesktop) << "media controls: the bus name" << name << "is taken:" << bus.lastError().message();
        bus.unregisterObject(kObjectPath);
        return false;
    }
    busName_ = bus.name();
    serviceName_ = name;
    return true;
}

QString MprisService::statusName(State::Status status)
{
    switch (status) {
    case State::Status::Playing:
        return QStringLiteral("Playing");
    case State::Status::Paused:
        return QStringLiteral("Paused");
    case State::Status::Stopped:
        break;
    }
    return QStringLiteral("Stopped");
}

QVariantMap MprisService::metadata() const
{
    QVariantMap metadata;
    metadata.insert(QStringLiteral("mpris:trackid"),
                    QVariant::fromValue(QDBusObjectPath(state_.trackId.isEmpty()
                                                            ? QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack")
                                                            : state_.trackId)));
    if (!state_.title.isEmpty())
        metadata.insert(QStringLiteral("xesam:title"), state_.title);
    if (!state_.programme.isEmpty())
        metadata.insert(QStringLiteral("xesam:artist"), QStringList{state_.programme});
    if (!state_.artUrl.isEmpty())
        metadata.insert(QStringLiteral("mpris:artUrl"), state_.artUrl);
    return metadata;
}

void MprisService::setState(const State& state)
{
    if (state == state_)
        return;
    QVariantMap changed;
    if (state.status != state_.status)
        changed.insert(QStringLiteral("PlaybackStatus"), statusName(state.status));
    if (state.volume != state_.volume)
        changed.insert(QStringLiteral("Volume"), state.volume);
    const bool described = state.trackId != state_.trackId || state.title != state_.title ||
                           state.programme != state_.programme || state.artUrl != state_.artUrl;
    state_ = state;
    if (described)
        changed.insert(QStringLiteral("Metadata"), metadata());
    if (busName_.isEmpty() || changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << changed << QStringList();
    QDBusConnection(busName_).send(signal);
}
