#pragma once

#include "AccountState.h"
#include "FetchedList.h"
#include "PlaySource.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>
#include <vector>

// A provider's account read through its player API (player_api.php): the
// login's answer, the live categories and streams, and the list made of them.
// Services send numbers as JSON numbers or strings, null for what they do not
// know, and now and then a page of HTML with status 200: each is read with a
// sound default, and an answer that is no JSON is refused with a reason.
namespace account {

struct Login {
    QString server; // scheme://host[:port], no path
    QString user;
    QString password;
    bool operator==(const Login&) const = default;
};

// The account a list address names: …/get.php?username=U&password=P[&…].
std::optional<Login> fromListAddress(const QString& address);
// player_api.php for the login, with `action` (and its extra query) when given.
QUrl apiAddress(const Login& login, const QString& action = {});
// The service's whole guide.
QUrl guideAddress(const Login& login);
// A live channel: /live/U/P/ID.ts, or .m3u8 when HLS is wanted.
QString streamAddress(const Login& login, const QString& streamId, bool hls);

struct Category {
    QString id;
    QString name;
};

struct Stream {
    QString id;
    QString name;
    QString icon;
    QString guideId;
    QString categoryId;
    int archiveDays = 0; // 0: no catch-up
};

// Each fills `why` and gives nothing when the answer cannot be read.
std::optional<State> readLogin(const QByteArray& answer, QString* why);
std::optional<std::vector<Category>> readCategories(const QByteArray& answer, QString* why);
std::optional<std::vector<Stream>> readStreams(const QByteArray& answer, QString* why);

// The list: a heading per category in the service's order (those with no
// channel left out), then "其他" for channels in no known category; a stream
// id seen before is left out. Catch-up is the service's own ("xc"), asked
// with times in `timezone`, the service's (from its login's answer).
PlaySourceFile makeList(const Login& login, const std::vector<Category>& categories, const std::vector<Stream>& streams,
                        bool hls, const QString& timezone);

// The account's list address, as services give it: …/get.php?username=U&password=P&type=m3u_plus&output=ts.
QString listAddress(const Login& login, bool hls);

// The list address with its password left out ("password=" kept, followed by
// `instead`), the rest as it was.
QString withoutPassword(const QString& listAddress, const QString& instead = {});

// Whether the list address asks for HLS (output=m3u8 or output=hls) rather than MPEG-TS.
bool wantsHls(const QString& listAddress);

// The three answers of a refresh judged together: the list, kept as M3U
// (`fetched.bytes`), when the login lets the account play and the streams
// read; else the problem (Account for a login that does not let it play,
// WebPage for a page of HTML, NoEntries for an account without a channel).
struct Judged {
    FetchedList fetched;
    std::optional<State> state;
    QString why; // for the log
};
Judged judge(const Login& login, const QByteArray& loginAnswer, const QByteArray& categoriesAnswer,
             const QByteArray& streamsAnswer, bool hls);
// The login's answer alone: whether it lets the account play (the rest is then asked).
bool letsPlay(const State& state);

} // namespace account
