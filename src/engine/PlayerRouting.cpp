#include "PlayerRouting.h"

#include "OneConnectionHosts.h"

namespace routing {

std::optional<int> freePlayer(const Players& players)
{
    for (int step = 1; step < kPlayers; ++step) {
        const int index = (players.showing + step) % kPlayers;
        if (players.made[size_t(index)] && players.preopened != index)
            return index;
    }
    return std::nullopt;
}

Route route(const Players& players, const Open& open)
{
    Route route;
    route.target = players.showing;
    if (open.newChoice && players.showingHasSource) {
        if (const std::optional<int> free = freePlayer(players)) {
            route.target = *free;
            route.leaving = players.showing;
        }
    }
    const auto bit = [](int player) { return 1u << player; };
    // The players holding a source of this server, the target aside.
    unsigned sameServer = 0;
    if (players.showingHasSource && OneConnectionHosts::sameServer(players.showingAddress, open.address))
        sameServer |= bit(players.showing);
    if (players.preopened && OneConnectionHosts::sameServer(players.preopenedAddress, open.address))
        sameServer |= bit(*players.preopened);
    sameServer &= ~bit(route.target);

    // A server that allows one would refuse this connection beside the one opened ahead.
    if (players.preopened && (sameServer & bit(*players.preopened))) {
        route.stopFirst |= bit(*players.preopened);
        route.preopened = Route::Preopened::Cancelled;
    }
    if (open.oneConnection && route.leaving >= 0 && (sameServer & bit(route.leaving))) {
        route.stopFirst |= bit(route.leaving);
        route.leaving = -1;
    }
    if (route.preopened == Route::Preopened::Kept && players.preopened == route.target)
        route.preopened = Route::Preopened::TakenOver;
    return route;
}

} // namespace routing
