#include "XmltvReader.h"

#include "XmltvTime.h"

XmltvReader::XmltvReader(ChannelSink channels, ProgrammeSink programmes, int correctionMinutes)
    : channels_(std::move(channels)), programmes_(std::move(programmes)), correctionMinutes_(correctionMinutes)
{
    // No external entities are ever read; internal ones may not blow up.
    xml_.setEntityExpansionLimit(4096);
}

bool XmltvReader::feed(const QByteArray& bytes)
{
    if (!fault_.isEmpty())
        return false;
    xml_.addData(bytes);
    read();
    return fault_.isEmpty();
}

bool XmltvReader::finish()
{
    if (!fault_.isEmpty())
        return false;
    read();
    if (fault_.isEmpty() && !ended_)
        stop(rootSeen_ ? QStringLiteral("the guide ends before its last element closes (truncated)")
                       : QStringLiteral("not an XMLTV guide: no document"));
    return fault_.isEmpty();
}

void XmltvReader::read()
{
    while (!xml_.atEnd()) {
        switch (xml_.readNext()) {
        case QXmlStreamReader::StartElement:
            startElement();
            break;
        case QXmlStreamReader::EndElement:
            endElement();
            break;
        case QXmlStreamReader::Characters:
            text();
            break;
        case QXmlStreamReader::EndDocument:
            ended_ = true;
            break;
        case QXmlStreamReader::Invalid:
            if (xml_.error() != QXmlStreamReader::PrematureEndOfDocumentError)
                stop(xml_.errorString());
            return; // more data, or a fault
        default:
            break;
        }
        if (!fault_.isEmpty())
            return;
    }
}

void XmltvReader::startElement()
{
    const QStringView name = xml_.name();
    if (!rootSeen_) {
        rootSeen_ = true;
        if (name != u"tv")
            stop(QStringLiteral("not an XMLTV guide: its root is <%1>").arg(name));
        return;
    }
    // Attributes are read only where they are used: most elements are titles and descriptions.
    switch (in_) {
    case In::Nothing:
        if (name == u"channel") {
            in_ = In::Channel;
            channel_ = {xml_.attributes().value(QLatin1String("id")).toString(), {}, {}};
        } else if (name == u"programme") {
            in_ = In::Programme;
            const QXmlStreamAttributes attributes = xml_.attributes();
            programme_ = {};
            titleTaken_ = descriptionTaken_ = false;
            programme_.channel = attributes.value(QLatin1String("channel")).toString();
            const auto start = xmltv::parseTime(attributes.value(QLatin1String("start")), correctionMinutes_);
            const auto stop = xmltv::parseTime(attributes.value(QLatin1String("stop")), correctionMinutes_);
            // A programme without a stop ends where the next begins; that is left to whoever shows it.
            programmeUsable_ = start.has_value() && !programme_.channel.isEmpty();
            programme_.start = start.value_or(0);
            programme_.stop = stop.value_or(0);
            if (stop && *stop <= programme_.start)
                programmeUsable_ = false;
        }
        break;
    case In::Channel:
        if (name == u"icon" && channel_.icon.isEmpty())
            channel_.icon = xml_.attributes().value(QLatin1String("src")).toString();
        field_ = name == u"display-name" ? Field::DisplayName : Field::None;
        break;
    case In::Programme:
        field_ = name == u"title" && !titleTaken_       ? Field::Title
                 : name == u"desc" && !descriptionTaken_ ? Field::Description
                                                          : Field::None;
        break;
    }
    fieldText_.clear();
}

void XmltvReader::text()
{
    if (field_ == Field::None || fieldText_.size() >= kLongestText)
        return;
    fieldText_ += xml_.text().left(kLongestText - fieldText_.size());
}

void XmltvReader::endElement()
{
    const QStringView name = xml_.name();
    if (field_ != Field::None) {
        // The field's own end: its children, if any, were read as its text.
        QString value = fieldText_.trimmed();
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
    if (in_ == In::Channel && name == u"channel") {
        in_ = In::Nothing;
        if (!channel_.id.isEmpty())
            channels_(std::move(channel_));
    } else if (in_ == In::Programme && name == u"programme") {
        in_ = In::Nothing;
        if (programmeUsable_)
            programmes_(std::move(programme_));
        else
            ++skipped_;
    }
}

void XmltvReader::stop(const QString& why)
{
    fault_ = QStringLiteral("line %1, column %2: %3").arg(xml_.lineNumber()).arg(xml_.columnNumber()).arg(why);
}
