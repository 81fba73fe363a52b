#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <optional>

// Keeps the desktop's screen saver away while asked, through its
// org.freedesktop.ScreenSaver interface on the session bus. Never waits on the
// bus: the answer to an inhibition asked comes later, and one no longer wanted
// by then is released at once.
class ScreenSaverInhibitor final : public QObject {
    Q_OBJECT
public:
    ScreenSaverInhibitor(QDBusConnection bus, QString application, QObject* parent = nullptr);
    ~ScreenSaverInhibitor() override;

    void setInhibited(bool inhibited, const QString& reason);
    // Whether the desktop holds an inhibition of ours now.
    bool isHeld() const { return cookie_.has_value(); }

private:
    void ask(const QString& reason);
    void release();

    QDBusConnection bus_;
    QString application_;
    bool wanted_ = false;
    bool asking_ = false;
    std::optional<uint> cookie_;
};
