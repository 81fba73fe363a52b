#include "ProviderAccount.h"

#include "ListWriter.h"
#include "SourcesLog.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QUrlQuery>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace account {

namespace {

const QString kGroupHeading = QStringLiteral("#genre#");

// Control characters (a NUL, a line break) would end or split the kept M3U
// copy's line: each becomes a blank.
QString withoutControls(QString text)
{
    for (QChar& c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = u' ';
    return text;
}

bool hasControls(const QJsonValue& value)
{
    const QString text = value.toString();
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
}

// A field as text: services send ids and numbers as strings or numbers, and null.
QString text(const QJsonValue& value)
{
    if (value.isString())
        return withoutControls(value.toString()).trimmed();
    if (value.isDouble()) {
        // Whole numbers within 64 bits as such; anything past them (1e300) as
        // written, which no later reading takes for a count or a time.
        constexpr double kPast64Bits = 9223372036854775808.0; // 2^63
        const double number = value.toDouble();
        const bool whole = number >= -kPast64Bits && number < kPast64Bits && number == std::trunc(number);
        return whole ? QString::number(qint64(number)) : QString::number(number, 'g', 17);
    }
    if (value.isBool())
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    return {};
}

qint64 number(const QJsonValue& value)
{
    bool ok = false;
    const qint64 read = text(value).toLongLong(&ok);
    return ok ? read : 0;
}

// The answer as JSON; an HTML page (a login form, a block page) sent with 200 is none.
std::optional<QJsonDocument> parse(const QByteArray& answer, QString* why)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(answer, &error);
    if (error.error == QJsonParseError::NoError)
        return document;
    const bool page = answer.trimmed().startsWith('<');
    if (why)
        *why = page ? QStringLiteral("the service answered a page, not its API's data")
                    : QStringLiteral("the service's answer is no JSON: %1").arg(error.errorString());
    return std::nullopt;
}

std::optional<QJsonArray> parseArray(const QByteArray& answer, QString* why)
{
    const std::optional<QJsonDocument> document = parse(answer, why);
    if (!document)
        return std::nullopt;
    if (document->isArray())
        return document->array();
    // Some services answer an empty list as {} or an error as {"user_info": {"auth": 0}}.
    if (document->isObject() && document->object().isEmpty())
        return QJsonArray();
    if (why)
        *why = QStringLiteral("the service's answer is no list");
    return std::nullopt;
}

QString serverOf(const QUrl& address)
{
    QUrl server;
    server.setScheme(address.scheme());
    server.setHost(address.host());
    server.setPort(address.port());
    return server.toString();
}

} // namespace

std::optional<Login> fromListAddress(const QString& address)
{
    const QUrl url(address.trimmed());
    // "http:0/get.php?…" has no host: taken, it would be written back as "http://http:/get.php…".
    if (!url.isValid() || (url.scheme() != u"http" && url.scheme() != u"https") || url.host().isEmpty() ||
        !url.path().endsWith(QLatin1String("/get.php")))
        return std::nullopt;
    const QUrlQuery query(url);
    Login login{serverOf(url), query.queryItemValue(QStringLiteral("username"), QUrl::FullyDecoded),
                query.queryItemValue(QStringLiteral("password"), QUrl::FullyDecoded)};
    if (login.user.isEmpty() || login.password.isEmpty())
        return std::nullopt;
    return login;
}

QUrl apiAddress(const Login& login, const QString& action)
{
    QUrl url(login.server + QStringLiteral("/player_api.php"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("username"), QString::fromLatin1(QUrl::toPercentEncoding(login.user)));
    query.addQueryItem(QStringLiteral("password"), QString::fromLatin1(QUrl::toPercentEncoding(login.password)));
    if (!action.isEmpty())
        query.addQueryItem(QStringLiteral("action"), action);
    url.setQuery(query);
    return url;
}

QUrl guideAddress(const Login& login)
{
    QUrl url(login.server + QStringLiteral("/xmltv.php"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("username"), QString::fromLatin1(QUrl::toPercentEncoding(login.user)));
    query.addQueryItem(QStringLiteral("password"), QString::fromLatin1(QUrl::toPercentEncoding(login.password)));
    url.setQuery(query);
    return url;
}

QString streamAddress(const Login& login, const QString& streamId, bool hls)
{
    const auto part = [](const QString& piece) { return QString::fromLatin1(QUrl::toPercentEncoding(piece)); };
    return login.server + QStringLiteral("/live/") + part(login.user) + u'/' + part(login.password) + u'/' +
           part(streamId) + (hls ? QStringLiteral(".m3u8") : QStringLiteral(".ts"));
}

std::optional<State> readLogin(const QByteArray& answer, QString* why)
{
    const std::optional<QJsonDocument> document = parse(answer, why);
    if (!document)
        return std::nullopt;
    if (!document->isObject()) {
        if (why)
            *why = QStringLiteral("the service's login answer is no object");
        return std::nullopt;
    }
    const QJsonObject user = document->object().value(QLatin1String("user_info")).toObject();
    const QJsonObject server = document->object().value(QLatin1String("server_info")).toObject();
    State state;
    state.status = text(user.value(QLatin1String("status")));
    state.expires = number(user.value(QLatin1String("exp_date")));
    state.maxConnections = int(number(user.value(QLatin1String("max_connections"))));
    state.activeConnections = int(number(user.value(QLatin1String("active_cons"))));
    state.timezone = text(server.value(QLatin1String("timezone")));
    const QString status = state.status.toLower();
    if (user.isEmpty() || number(user.value(QLatin1String("auth"))) == 0 || status == u"banned" ||
        status == u"disabled")
        state.standing = State::Standing::Refused;
    else if (status == u"expired")
        state.standing = State::Standing::Expired;
    else if (state.maxConnections > 0 && state.activeConnections > state.maxConnections)
        state.standing = State::Standing::OverConnections;
    else if (status == u"active" || status.isEmpty())
        state.standing = State::Standing::Active;
    else
        state.standing = State::Standing::Other;
    return state;
}

std::optional<std::vector<Category>> readCategories(const QByteArray& answer, QString* why)
{
    const std::optional<QJsonArray> array = parseArray(answer, why);
    if (!array)
        return std::nullopt;
    std::vector<Category> categories;
    for (const QJsonValue& value : *array) {
        const QJsonObject object = value.toObject();
        Category category{text(object.value(QLatin1String("category_id"))),
                          text(object.value(QLatin1String("category_name")))};
        if (category.id.isEmpty())
            continue;
        if (category.name.isEmpty())
            category.name = category.id;
        categories.push_back(std::move(category));
    }
    return categories;
}

std::optional<std::vector<Stream>> readStreams(const QByteArray& answer, QString* why)
{
    const std::optional<QJsonArray> array = parseArray(answer, why);
    if (!array)
        return std::nullopt;
    std::vector<Stream> streams;
    streams.reserve(std::size_t(array->size()));
    int withoutId = 0;
    int withControls = 0;
    for (const QJsonValue& value : *array) {
        const QJsonObject object = value.toObject();
        Stream stream;
        stream.id = text(object.value(QLatin1String("stream_id")));
        if (stream.id.isEmpty()) {
            ++withoutId;
            continue;
        }
        withControls += hasControls(object.value(QLatin1String("name"))) ? 1 : 0;
        stream.name = text(object.value(QLatin1String("name")));
        if (stream.name.isEmpty())
            stream.name = QStringLiteral("频道 %1").arg(stream.id);
        stream.icon = text(object.value(QLatin1String("stream_icon")));
        stream.guideId = text(object.value(QLatin1String("epg_channel_id")));
        stream.categoryId = text(object.value(QLatin1String("category_id")));
        if (number(object.value(QLatin1String("tv_archive"))) != 0)
            stream.archiveDays = int(std::max<qint64>(number(object.value(QLatin1String("tv_archive_duration"))), 0));
        streams.push_back(std::move(stream));
    }
    if (withoutId > 0)
        qCInfo(lcSources) << withoutId << "of the account's channels have no stream id and are left out";
    if (withControls > 0)
        qCInfo(lcSources) << withControls << "of the account's channel names hold control characters, written as blanks";
    return streams;
}

namespace {

// A provider's separator written as a channel: a word between runs of signs
// ("##### GENERAL #####", "=== 体育 ==="). Its word, or empty for a channel.
QString separatorWord(const QString& name)
{
    static const QRegularExpression shape(QStringLiteral(R"(^[^\p{L}\p{N}\s]{2,}\s*(.*?)\s*[^\p{L}\p{N}\s]{2,}$)"));
    const QRegularExpressionMatch match = shape.match(name);
    if (!match.hasMatch())
        return {};
    const QString word = match.captured(1);
    const bool named = std::any_of(word.begin(), word.end(), [](QChar c) { return c.isLetterOrNumber(); });
    return named ? word : QString();
}

// A heading as the kept M3U copy can hold it in its group-title.
QString headingName(QString name)
{
    return name.replace(u'"', u'\'');
}

} // namespace

PlaySourceFile makeList(const Login& login, const std::vector<Category>& categories, const std::vector<Stream>& streams,
                        bool hls, const QString& timezone)
{
    std::map<QString, QString> names; // category id → name
    for (const Category& category : categories)
        names.emplace(category.id, category.name);
    std::map<QString, std::vector<const Stream*>> byCategory;
    std::vector<const Stream*> elsewhere;
    std::set<QString> seen;
    int repeated = 0;
    for (const Stream& stream : streams) {
        if (!seen.insert(stream.id).second) {
            ++repeated;
            continue;
        }
        if (names.count(stream.categoryId))
            byCategory[stream.categoryId].push_back(&stream);
        else
            elsewhere.push_back(&stream);
    }
    if (repeated > 0)
        qCInfo(lcSources) << repeated << "of the account's channels repeat a stream id and are left out";

    // Groups by heading, in the order first met. The kept copy knows a group
    // by its heading only, so two of one name are one group here as well
    // (two categories named alike, "其他" beside the channels in none).
    std::vector<std::pair<QString, std::vector<const Stream*>>> groups;
    const auto groupNamed = [&groups](const QString& heading) -> std::vector<const Stream*>& {
        const auto found = std::find_if(groups.begin(), groups.end(), [&](const auto& group) { return group.first == heading; });
        if (found != groups.end())
            return found->second;
        return groups.emplace_back(heading, std::vector<const Stream*>{}).second;
    };
    int separators = 0;
    const auto gather = [&](const QString& category, const std::vector<const Stream*>& members) {
        std::vector<const Stream*>* group = &groupNamed(headingName(category));
        for (const Stream* stream : members) {
            if (const QString word = separatorWord(stream->name); !word.isEmpty()) {
                group = &groupNamed(headingName(word)); // the channels after it, up to the next
                ++separators;
            } else {
                group->push_back(stream);
            }
        }
    };
    for (const Category& category : categories) {
        const auto found = byCategory.find(category.id);
        if (found != byCategory.end()) {
            gather(category.name, found->second);
            byCategory.erase(found); // a category listed twice is shown once
        }
    }
    gather(QStringLiteral("其他"), elsewhere);
    if (separators > 0)
        qCInfo(lcSources) << separators << "of the account's channels are separators, read as headings";

    PlaySourceFile file;
    for (const auto& [heading, members] : groups) {
        if (members.empty())
            continue;
        file.entries.push_back({heading, kGroupHeading});
        for (const Stream* stream : members) {
            ChannelTags tags;
            tags.tvgId = m3uAttribute(stream->guideId);
            tags.tvgLogo = m3uAttribute(stream->icon);
            tags.groupTitle = heading;
            if (stream->archiveDays > 0) {
                tags.catchup = QStringLiteral("xc");
                tags.catchupDays = QString::number(stream->archiveDays);
            }
            file.entries.push_back({stream->name, streamAddress(login, stream->id, hls), std::move(tags)});
        }
    }
    file.listTags.serviceGuide = guideAddress(login).toString(QUrl::FullyEncoded);
    file.listTags.catchupZone = m3uAttribute(timezone);
    file.fillColumns();
    return file;
}

QString listAddress(const Login& login, bool hls)
{
    const auto part = [](const QString& piece) { return QString::fromLatin1(QUrl::toPercentEncoding(piece)); };
    QString server = login.server.trimmed();
    while (server.endsWith(u'/'))
        server.chop(1);
    if (!server.contains(QLatin1String("://")))
        server.prepend(QStringLiteral("http://"));
    return server + QStringLiteral("/get.php?username=") + part(login.user) + QStringLiteral("&password=") +
           part(login.password) + QStringLiteral("&type=m3u_plus&output=") + (hls ? QStringLiteral("m3u8") : QStringLiteral("ts"));
}

QString withoutPassword(const QString& listAddress, const QString& instead)
{
    QUrl url(listAddress.trimmed());
    QUrlQuery query(url);
    if (!query.hasQueryItem(QStringLiteral("password")))
        return listAddress;
    // "password=" stays where the user will write it again.
    QStringList kept;
    for (const auto& [key, value] : query.queryItems(QUrl::FullyEncoded))
        kept << key + u'=' + (key == u"password" ? instead : value);
    url.setQuery(kept.join(u'&'), QUrl::StrictMode);
    return url.toString(QUrl::FullyEncoded);
}

bool wantsHls(const QString& listAddress)
{
    const QString output = QUrlQuery(QUrl(listAddress)).queryItemValue(QStringLiteral("output")).toLower();
    return output == u"m3u8" || output == u"hls";
}

bool letsPlay(const State& state)
{
    return state.standing == State::Standing::Active || state.standing == State::Standing::Other;
}

Judged judge(const Login& login, const QByteArray& loginAnswer, const QByteArray& categoriesAnswer,
             const QByteArray& streamsAnswer, bool hls)
{
    Judged judged;
    const auto refuse = [&](ListProblem problem, const QString& why, const QByteArray& answer) {
        judged.fetched.problem = answer.trimmed().startsWith('<') ? ListProblem::WebPage : problem;
        judged.why = why;
        return judged;
    };
    judged.state = readLogin(loginAnswer, &judged.why);
    if (!judged.state)
        return refuse(ListProblem::NoEntries, judged.why, loginAnswer);
    if (!letsPlay(*judged.state))
        return refuse(ListProblem::Account, QStringLiteral("the account cannot play: ") + judged.state->status, {});
    QString why;
    // Categories are a nicety: without them every channel goes under "其他".
    const std::optional<std::vector<Category>> categories = readCategories(categoriesAnswer, &why);
    if (!categories)
        qCInfo(lcSources) << "the account's categories were not read:" << why;
    const std::optional<std::vector<Stream>> streams = readStreams(streamsAnswer, &why);
    if (!streams)
        return refuse(ListProblem::NoEntries, why, streamsAnswer);
    PlaySourceFile file =
        makeList(login, categories.value_or(std::vector<Category>{}), *streams, hls, judged.state->timezone);
    if (file.entries.empty())
        return refuse(ListProblem::NoEntries, QStringLiteral("the account has no live channel"), {});
    judged.fetched.bytes = writeM3uList(file.entries, file.listTags);
    judged.fetched.file = std::move(file);
    return judged;
}

} // namespace account
