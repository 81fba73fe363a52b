#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

namespace account {

// Where a provider's account stands, as its login's answer says.
struct State {
    enum class Standing { Active, Expired, Refused, OverConnections, Other };
    Standing standing = Standing::Other;
    QString status;           // as the service says it ("Active", "Banned", …)
    qint64 expires = 0;       // seconds since 1970 UTC; 0: never or not said
    int maxConnections = 0;   // 0: not said
    int activeConnections = 0;
    QString timezone;         // the service's zone (IANA name), for catch-up times
    bool operator==(const State&) const = default;
};

// Where an account stood when last asked, as kept with its list's copy: its
// state, or the words an earlier version kept, shown as they are.
struct Noted {
    std::optional<State> state;
    QString words;
    bool isEmpty() const { return !state && words.isEmpty(); }
    bool operator==(const Noted&) const = default;
};

QJsonObject toJson(const State& state);
// None when `json` holds no state this version wrote.
std::optional<State> stateFromJson(const QJsonObject& json);

} // namespace account
