#pragma once

#include "MprisSource.h"

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QStringList>

// org.mpris.MediaPlayer2: the application.
class MprisRootAdaptor final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ canQuit)
    Q_PROPERTY(bool CanRaise READ canRaise)
    Q_PROPERTY(bool HasTrackList READ hasTrackList)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes)
public:
    MprisRootAdaptor(QObject& owner, const MprisSource& service) : QDBusAbstractAdaptor(&owner), service_(service) {}

    bool canQuit() const { return true; }
    bool canRaise() const { return true; }
    bool hasTrackList() const { return false; }
    QString identity() const { return service_.identity(); }
    QString desktopEntry() const { return service_.desktopEntry(); }
    QStringList supportedUriSchemes() const { return {}; }
    QStringList supportedMimeTypes() const { return {}; }

public slots:
    void Raise() { service_.actions().raise(); }
    void Quit() { service_.actions().quit(); }

private:
    const MprisSource& service_;
};

// org.mpris.MediaPlayer2.Player: what plays, and the buttons.
class MprisPlayerAdaptor final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(double Rate READ rate WRITE setRate)
    Q_PROPERTY(double MinimumRate READ rate)
    Q_PROPERTY(double MaximumRate READ rate)
    Q_PROPERTY(bool CanGoNext READ canControl)
    Q_PROPERTY(bool CanGoPrevious READ canControl)
    Q_PROPERTY(bool CanPlay READ canControl)
    Q_PROPERTY(bool CanPause READ canControl)
    Q_PROPERTY(bool CanSeek READ canSeek)
    Q_PROPERTY(bool CanControl READ canControl)
public:
    MprisPlayerAdaptor(QObject& owner, const MprisSource& service) : QDBusAbstractAdaptor(&owner), service_(service) {}

    QString playbackStatus() const { return service_.playbackStatus(); }
    QVariantMap metadata() const { return service_.metadata(); }
    double volume() const { return service_.volume(); }
    void setVolume(double volume) { service_.actions().setVolume(volume); }
    qlonglong position() const { return 0; }
    double rate() const { return 1.0; }
    void setRate(double) {}
    bool canControl() const { return true; }
    bool canSeek() const { return false; }

public slots:
    void Next() { service_.actions().next(); }
    void Previous() { service_.actions().previous(); }
    void Pause() { service_.actions().pause(); }
    void PlayPause() { service_.actions().playPause(); }
    void Stop() { service_.actions().stop(); }
    void Play() { service_.actions().play(); }
    // Channels have no position to go to.
    void Seek(qlonglong) {}
    void SetPosition(const QDBusObjectPath&, qlonglong) {}
    void OpenUri(const QString&) {}

signals:
    void Seeked(qlonglong position);

private:
    const MprisSource& service_;
};
