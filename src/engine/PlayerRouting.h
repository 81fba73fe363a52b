#pragma once

#include <QString>

#include <array>
#include <optional>

// Which player an open of a choice goes to, and what makes room for it: a
// pure decision on what the players hold, so that it is tested without a
// thread. A new choice opens beside the source that shows (on a free player)
// and that one stops once the new one is there; a reconnect or a next address
// opens on the player that shows. A channel opened ahead from the same server
// goes before the connection is made, and so does the channel that showed
// when its server allows one connection (as with a single player).
namespace routing {

inline constexpr int kPlayers = 3;

struct Players {
    std::array<bool, kPlayers> made{};  // which players exist
    int showing = 0;                    // whose picture is shown
    bool showingHasSource = false;      // it was given a source that has not been stopped
    QString showingAddress;             // that source
    std::optional<int> preopened;       // the player holding a channel opened ahead
    QString preopenedAddress;           // its first address
};

struct Open {
    QString address;
    bool newChoice = false;     // a choice, not a reconnect or a next address
    bool oneConnection = false; // its server is known to allow one connection
};

struct Route {
    int target = 0;
    int leaving = -1;       // the player that showed, stopped beside once the target opened
    unsigned stopFirst = 0; // players stopped before the open (one bit a player)
    // The channel opened ahead: left alone, stopped before the open, or taken
    // over because the open goes to its player.
    enum class Preopened { Kept, Cancelled, TakenOver } preopened = Preopened::Kept;
};

// A player that neither shows nor holds the channel opened ahead; the one
// that showed before the one showing is preferred: it has stopped the longest.
std::optional<int> freePlayer(const Players& players);

Route route(const Players& players, const Open& open);

} // namespace routing
