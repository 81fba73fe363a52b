#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <functional>
#include <memory>

// What an XMLTV guide says, one element at a time.
struct GuideChannel {
    QString id;
    QStringList names; // its display-names, in order
    QString icon;
};

struct GuideProgramme {
    QString channel;
    qint64 start = 0; // seconds since 1970 UTC
    qint64 stop = 0;
    QString title;
    QString description;
};

// Reads an XMLTV document as it arrives, never the whole of it at once, and
// hands on each channel and programme. What cannot be used is skipped with a
// count (a time that does not parse, a programme that ends before it starts);
// a text longer than the bound is cut. At the first fault of the XML itself
// (not XML, truncated, an entity that expands too far) it stops: what it
// handed on before stays, and fault() says where it stopped.
class XmltvReader {
public:
    using ChannelSink = std::function<void(GuideChannel&&)>;
    using ProgrammeSink = std::function<void(GuideProgramme&&)>;

    static constexpr qsizetype kLongestText = 1000;

    XmltvReader(ChannelSink channels, ProgrammeSink programmes, int correctionMinutes = 0);
    ~XmltvReader();
    XmltvReader(const XmltvReader&) = delete;
    XmltvReader& operator=(const XmltvReader&) = delete;

    // False once it has stopped at a fault.
    bool feed(const QByteArray& bytes);
    // The input ended: a document that is not complete is a fault.
    bool finish();

    const QString& fault() const { return fault_; }
    qint64 programmesSkipped() const { return skipped_; }

private:
    enum class In { Nothing, Channel, Programme };
    enum class Field { None, DisplayName, Title, Description };

    struct Parser;

    bool start(QByteArrayView head);
    bool parse(QByteArrayView bytes, bool last);
    void startElement(const char* name, const char** attributes);
    void endElement(const char* name);
    void text(const char* bytes, int length);
    void stop(const QString& why);
    bool stopMeansNextDay(const char** attributes, qint64 start, qint64 stop);

    std::unique_ptr<Parser> parser_; // made once the document's first bytes say its encoding
    QByteArray head_;                // those first bytes, until then
    QStringDecoder decoder_;         // for an encoding the parser does not read itself
    ChannelSink channels_;
    ProgrammeSink programmes_;
    int correctionMinutes_;
    bool stopsMovedSaid_ = false; // the log said once that this guide's stops after midnight were moved
    In in_ = In::Nothing;
    Field field_ = Field::None; // the child element whose text is being read
    QByteArray fieldText_; // as the document has it, up to a bound
    bool titleTaken_ = false;
    bool descriptionTaken_ = false;
    bool programmeUsable_ = true;
    GuideChannel channel_;
    GuideProgramme programme_;
    qint64 skipped_ = 0;
    int depth_ = 0;
    bool rootSeen_ = false;
    bool ended_ = false; // the document closed
    QString fault_;
};
