#include "AccountState.h"

#include <array>
#include <utility>

namespace account {

namespace {

using Standing = State::Standing;
// As the note writes them; an unknown one reads back as Other.
constexpr std::array<std::pair<Standing, const char*>, 5> kStandings{{{Standing::Active, "active"},
                                                                      {Standing::Expired, "expired"},
                                                                      {Standing::Refused, "refused"},
                                                                      {Standing::OverConnections, "full"},
                                                                      {Standing::Other, "other"}}};

} // namespace

QJsonObject toJson(const State& state)
{
    QString standing;
    for (const auto& [value, name] : kStandings)
        if (value == state.standing)
            standing = QString::fromLatin1(name);
    return {{QStringLiteral("standing"), standing},
            {QStringLiteral("status"), state.status},
            {QStringLiteral("expires"), state.expires},
            {QStringLiteral("maxConnections"), state.maxConnections},
            {QStringLiteral("activeConnections"), state.activeConnections},
            {QStringLiteral("timezone"), state.timezone}};
}

std::optional<State> stateFromJson(const QJsonObject& json)
{
    if (!json.value(QLatin1String("standing")).isString())
        return std::nullopt;
    State state;
    const QString standing = json.value(QLatin1String("standing")).toString();
    for (const auto& [value, name] : kStandings)
        if (standing == QLatin1String(name))
            state.standing = value;
    state.status = json.value(QLatin1String("status")).toString();
    state.expires = qint64(json.value(QLatin1String("expires")).toDouble());
    state.maxConnections = json.value(QLatin1String("maxConnections")).toInt();
    state.activeConnections = json.value(QLatin1String("activeConnections")).toInt();
    state.timezone = json.value(QLatin1String("timezone")).toString();
    return state;
}

} // namespace account
