#include "XmltvReader.h"

#include "GuideLog.h"
#include "XmltvTime.h"

// Debian's expat is built with DTD support; its header shows the entity
// limits only when told so.
#ifndef XML_DTD
#define XML_DTD 1
#endif
#include <expat.h>

#include <QRegularExpression>

#include <cstring>

// Expat reads UTF-8 as it comes, without making a string of every name and
// text: most of a guide is skipped unread, and what is kept becomes a QString
// once, at its end.
struct XmltvReader::Parser {
    XML_Parser parser;
    explicit Parser(const char* encoding) : parser(XML_ParserCreate(encoding)) {}
    ~Parser()
    {
        if (parser)
            XML_ParserFree(parser);
    }
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;
};

namespace {

// The parser reads these itself; any other is turned into UTF-8 first.
bool parserReads(const QByteArray& encoding)
{
    const QByteArray name = encoding.toLower();
    return name.isEmpty() || name == "utf-8" || name == "utf8" || name == "utf-16" || name == "iso-8859-1" ||
           name == "us-ascii";
}

// The encoding its declaration names; empty if none.
QByteArray declaredEncoding(QByteArrayView head)
{
    static const QRegularExpression declaration(QStringLiteral(R"(^\s*<\?xml[^>]*encoding\s*=\s*["']([A-Za-z0-9._:-]+)["'])"));
    const QRegularExpressionMatch match = declaration.match(QString::fromLatin1(head));
    return match.hasMatch() ? match.captured(1).toLatin1() : QByteArray();
}

const char* attribute(const char** attributes, const char* name)
{
    for (; *attributes; attributes += 2)
        if (std::strcmp(attributes[0], name) == 0)
            return attributes[1];
    return nullptr;
}

QString attributeText(const char** attributes, const char* name)
{
    const char* value = attribute(attributes, name);
    return value ? QString::fromUtf8(value) : QString();
}

std::optional<qint64> attributeTime(const char** attributes, const char* name, int correctionMinutes)
{
    const char* value = attribute(attributes, name);
    return value ? xmltv::parseTime(QLatin1StringView(value), correctionMinutes) : std::nullopt;
}

bool named(const char* name, const char* wanted) { return std::strcmp(name, wanted) == 0; }

// "hhmmss" of a time as written, what it leaves off as zeros.
QByteArray timeOfDay(const char* written)
{
    QByteArray digits;
    for (const char* at = written; at && *at >= '0' && *at <= '9' && digits.size() < 14; ++at)
        digits += *at;
    digits = digits.mid(8);
    return digits + QByteArray(6 - digits.size(), '0');
}

} // namespace

XmltvReader::XmltvReader(ChannelSink channels, ProgrammeSink programmes, int correctionMinutes)
    : channels_(std::move(channels)), programmes_(std::move(programmes)), correctionMinutes_(correctionMinutes)
{
}

XmltvReader::~XmltvReader() = default;

// Guides that write the last programme of a day with its stop on the start's
// date ("…235800" to "…001000", same day) mean the next day: a stop less than
// a day before the start, at an earlier time of day.
bool XmltvReader::stopMeansNextDay(const char** attributes, qint64 start, qint64 stop)
{
    if (start - stop >= 86400 || timeOfDay(attribute(attributes, "stop")) >= timeOfDay(attribute(attributes, "start")))
        return false;
    if (!stopsMovedSaid_) {
        stopsMovedSaid_ = true;
        qCInfo(lcGuide) << "the guide writes stops after midnight on the start's day (first: channel"
                        << programme_.channel << "at" << attribute(attributes, "start") << "): taken as the next day";
    }
    return true;
}

bool XmltvReader::feed(const QByteArray& bytes)
{
    if (!fault_.isEmpty())
        return false;
    if (!parser_) {
        // The declaration, if any, ends at the first '>' within the first few hundred bytes.
        head_ += bytes;
        if (head_.size() < 512 && !head_.contains('>'))
            return true;
        return start(std::exchange(head_, {}));
    }
    return parse(bytes, false);
}

bool XmltvReader::finish()
{
    if (!fault_.isEmpty())
        return false;
    if (!parser_ && !start(std::exchange(head_, {})))
        return false;
    if (!parse({}, true))
        return false;
    if (!ended_)
        stop(rootSeen_ ? QStringLiteral("the guide ends before its last element closes (truncated)")
                       : QStringLiteral("not an XMLTV guide: no document"));
    return fault_.isEmpty();
}

bool XmltvReader::start(QByteArrayView head)
{
    const QByteArray encoding = declaredEncoding(head.first(std::min<qsizetype>(head.size(), 512)));
    if (!parserReads(encoding)) {
        decoder_ = QStringDecoder(encoding.constData());
        if (!decoder_.isValid()) {
            fault_ = QStringLiteral("the guide's encoding %1 is not known").arg(QString::fromLatin1(encoding));
            return false;
        }
    }
    // Told UTF-8, the parser reads what the decoder made of another encoding.
    parser_ = std::make_unique<Parser>(decoder_.isValid() ? "UTF-8" : nullptr);
    XML_Parser parser = parser_->parser;
    if (!parser) {
        fault_ = QStringLiteral("the XML parser did not start");
        return false;
    }
    XML_SetUserData(parser, this);
    XML_SetElementHandler(
        parser,
        [](void* reader, const XML_Char* name, const XML_Char** attributes) {
            static_cast<XmltvReader*>(reader)->startElement(name, attributes);
        },
        [](void* reader, const XML_Char* name) { static_cast<XmltvReader*>(reader)->endElement(name); });
    XML_SetCharacterDataHandler(parser, [](void* reader, const XML_Char* bytes, int length) {
        static_cast<XmltvReader*>(reader)->text(bytes, length);
    });
    // No external entity is ever read (no handler for them is set); internal
    // ones may not blow up: expansion beyond 100 times the document stops it.
    XML_SetBillionLaughsAttackProtectionActivationThreshold(parser, 1 << 20);
    return parse(head, false);
}

bool XmltvReader::parse(QByteArrayView bytes, bool last)
{
    QByteArray converted;
    if (decoder_.isValid()) {
        converted = QString(decoder_.decode(bytes)).toUtf8();
        bytes = converted;
    }
    // Pieces are far below 2 GiB; the parser counts in int.
    if (XML_Parse(parser_->parser, bytes.data(), int(bytes.size()), last) == XML_STATUS_ERROR && fault_.isEmpty()) {
        const XML_Error error = XML_GetErrorCode(parser_->parser);
        // At the end, a document that simply stops is said as such by finish().
        if (!(last && rootSeen_ && (error == XML_ERROR_NO_ELEMENTS || error == XML_ERROR_UNCLOSED_TOKEN ||
                                     error == XML_ERROR_PARTIAL_CHAR)))
            stop(QString::fromUtf8(XML_ErrorString(error)));
    }
    return fault_.isEmpty();
}

void XmltvReader::startElement(const char* name, const char** attributes)
{
    ++depth_;
    if (!rootSeen_) {
        rootSeen_ = true;
        if (!named(name, "tv"))
            stop(QStringLiteral("not an XMLTV guide: its root is <%1>").arg(QString::fromUtf8(name)));
        return;
    }
    switch (in_) {
    case In::Nothing:
        if (named(name, "channel")) {
            in_ = In::Channel;
            channel_ = {attributeText(attributes, "id"), {}, {}};
        } else if (named(name, "programme")) {
            in_ = In::Programme;
            programme_ = {};
            titleTaken_ = descriptionTaken_ = false;
            programme_.channel = attributeText(attributes, "channel");
            const auto start = attributeTime(attributes, "start", correctionMinutes_);
            const auto stop = attributeTime(attributes, "stop", correctionMinutes_);
            // A programme without a stop ends where the next begins; that is left to whoever shows it.
            programmeUsable_ = start.has_value() && !programme_.channel.isEmpty();
            programme_.start = start.value_or(0);
            programme_.stop = stop.value_or(0);
            if (stop && *stop <= programme_.start && start && stopMeansNextDay(attributes, *start, *stop))
                programme_.stop += 86400;
            if (stop && programme_.stop <= programme_.start)
                programmeUsable_ = false;
        }
        break;
    case In::Channel:
        if (named(name, "icon") && channel_.icon.isEmpty())
            channel_.icon = attributeText(attributes, "src");
        field_ = named(name, "display-name") ? Field::DisplayName : Field::None;
        break;
    case In::Programme:
        field_ = named(name, "title") && !titleTaken_      ? Field::Title
                 : named(name, "desc") && !descriptionTaken_ ? Field::Description
                                                              : Field::None;
        break;
    }
    fieldText_.clear();
}

void XmltvReader::text(const char* bytes, int length)
{
    // Three bytes of UTF-8 make at least one character of the bound; the rest is cut at the end.
    constexpr qsizetype kLongestBytes = 3 * kLongestText;
    if (field_ == Field::None || fieldText_.size() >= kLongestBytes)
        return;
    fieldText_.append(bytes, std::min<qsizetype>(length, kLongestBytes - fieldText_.size()));
}

void XmltvReader::endElement(const char* name)
{
    if (--depth_ == 0)
        ended_ = true;
    if (field_ != Field::None) {
        // The field's own end: its children, if any, were read as its text.
        QString value = QString::fromUtf8(fieldText_).left(kLongestText).trimmed();
        switch (field_) {
        case Field::DisplayName:
            if (!value.isEmpty())
                channel_.names.append(std::move(value));
            break;
        case Field::Title:
            programme_.title = std::move(value);
            titleTaken_ = true;
            break;
        case Field::Description:
            programme_.description = std::move(value);
            descriptionTaken_ = true;
            break;
        case Field::None:
            break;
        }
        field_ = Field::None;
        fieldText_.clear();
        return;
    }
    if (in_ == In::Channel && named(name, "channel")) {
        in_ = In::Nothing;
        if (!channel_.id.isEmpty())
            channels_(std::move(channel_));
    } else if (in_ == In::Programme && named(name, "programme")) {
        in_ = In::Nothing;
        if (programmeUsable_)
            programmes_(std::move(programme_));
        else
            ++skipped_;
    }
}

void XmltvReader::stop(const QString& why)
{
    if (!fault_.isEmpty())
        return;
    fault_ = QStringLiteral("line %1, column %2: %3")
                 .arg(XML_GetCurrentLineNumber(parser_->parser))
                 .arg(XML_GetCurrentColumnNumber(parser_->parser))
                 .arg(why);
    XML_StopParser(parser_->parser, XML_FALSE);
}
