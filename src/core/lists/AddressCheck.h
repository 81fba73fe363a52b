#pragma once

#include <QMetaType>
#include <QString>

// What a check of one address found: it answered, or why not, typed (the
// window words it).
struct AddressCheck {
    enum class Reason {
        None,
        Refused,          // the connection was refused
        NoServer,         // the host name is not known
        Timeout,          // no answer in time
        Closed,           // the server closed the connection
        SecureFailed,     // the TLS handshake failed
        Status,           // the server answered with an error status: `status`
        NotRtsp,          // something answered that speaks no RTSP
        NoData,           // an answer without a byte
        PlaylistTooLarge, // an HLS playlist past the size a playlist has
        PlaylistTooDeep,  // playlists leading to playlists, too many times
        PlaylistEmpty,    // a playlist naming nothing to play
        Other,            // the system's own words: `detail`
        NotChecked,       // answered: an address of a kind no check tries
        HeldByPlaying,    // answered: its one-connection server plays the channel watched
    };
    bool answered = false;
    Reason reason = Reason::None;
    int status = 0;
    QString detail;

    static AddressCheck ok(Reason why = Reason::None) { return {true, why, 0, {}}; }
    static AddressCheck failed(Reason why, int status = 0, QString detail = {}) { return {false, why, status, std::move(detail)}; }
    bool sameReason(const AddressCheck& other) const
    {
        return reason == other.reason && status == other.status && detail == other.detail;
    }
};

Q_DECLARE_METATYPE(AddressCheck)
