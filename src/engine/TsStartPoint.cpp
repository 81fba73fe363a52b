#include "TsStartPoint.h"

#include "EngineLog.h"

#include <algorithm>

namespace {

constexpr std::size_t kPacket = 188;
constexpr char kSync = 0x47;
// This much without a packet's start is no MPEG-TS.
constexpr qsizetype kNoPacketsAfter = 8 * kPacket;

bool isVideo(int streamType)
{
    switch (streamType) {
    case 0x01: // MPEG-1
    case 0x02: // MPEG-2
    case 0x10: // MPEG-4 part 2
    case 0x1B: // H.264
    case 0x24: // HEVC
    case 0x42: // AVS
        return true;
    }
    return false;
}

// Where a packet's payload begins; kPacket when it has none.
std::size_t payloadOf(const unsigned char* packet)
{
    const int control = (packet[3] >> 4) & 3;
    if (!(control & 1))
        return kPacket;
    const std::size_t at = (control & 2) ? 5 + std::size_t(packet[4]) : 4;
    return std::min(at, kPacket);
}

bool isRandomAccess(const unsigned char* packet)
{
    return ((packet[3] >> 4) & 2) && packet[4] > 0 && (packet[5] & 0x40);
}

int pidOf(const unsigned char* packet)
{
    return ((packet[1] & 0x1f) << 8) | packet[2];
}

bool startsUnit(const unsigned char* packet)
{
    return packet[1] & 0x40;
}

// A section's first byte in a packet that starts one (after its pointer field); kPacket when none fits.
std::size_t sectionOf(const unsigned char* packet)
{
    const std::size_t payload = payloadOf(packet);
    if (payload >= kPacket)
        return kPacket;
    const std::size_t at = payload + 1 + packet[payload];
    return at + 3 <= kPacket ? at : kPacket;
}

// The end of a section's body (its CRC left out), within the packet.
std::size_t sectionEnd(const unsigned char* packet, std::size_t section)
{
    const std::size_t length = (std::size_t(packet[section + 1] & 0x0f) << 8) | packet[section + 2];
    return std::min(section + 3 + (length >= 4 ? length - 4 : 0), kPacket);
}

// The first offset of `bytes` where a packet starts: a sync byte with another
// a packet further on (or the end of what came); the size when there is none.
qsizetype firstBoundary(const QByteArray& bytes, qsizetype from)
{
    for (qsizetype i = from; i < bytes.size(); ++i)
        if (bytes[i] == kSync && (i + qsizetype(kPacket) >= bytes.size() || bytes[i + qsizetype(kPacket)] == kSync))
            return i;
    return bytes.size();
}

} // namespace

void TsStartPoint::readPat(const unsigned char* packet)
{
    const std::size_t section = sectionOf(packet);
    if (section >= kPacket || packet[section] != 0x00)
        return;
    for (std::size_t at = section + 8; at + 4 <= sectionEnd(packet, section); at += 4) {
        const int program = (packet[at] << 8) | packet[at + 1];
        if (program == 0) // the network's table, no programme
            continue;
        const int pid = ((packet[at + 2] & 0x1f) << 8) | packet[at + 3];
        if (pid != pmtPid_) {
            pmtPid_ = pid;
            pmt_.clear();
        }
        pat_ = QByteArray(reinterpret_cast<const char*>(packet), kPacket);
        return;
    }
}

void TsStartPoint::readPmt(const unsigned char* packet)
{
    const std::size_t section = sectionOf(packet);
    if (section >= kPacket || section + 12 > kPacket || packet[section] != 0x02)
        return;
    const std::size_t end = sectionEnd(packet, section);
    const std::size_t programInfo = (std::size_t(packet[section + 10] & 0x0f) << 8) | packet[section + 11];
    int audioPid = -1, audioType = 0;
    esPid_ = -1;
    for (std::size_t at = section + 12 + programInfo; at + 5 <= end;) {
        const int type = packet[at];
        const int pid = ((packet[at + 1] & 0x1f) << 8) | packet[at + 2];
        if (isVideo(type)) {
            esPid_ = pid;
            streamType_ = type;
            kind_ = Kind::Video;
            break;
        }
        if (audioPid < 0) {
            audioPid = pid;
            audioType = type;
        }
        at += 5 + ((std::size_t(packet[at + 3] & 0x0f) << 8) | packet[at + 4]);
    }
    if (esPid_ < 0 && audioPid >= 0) {
        esPid_ = audioPid;
        streamType_ = audioType;
        kind_ = Kind::Audio;
    }
    pmt_ = QByteArray(reinterpret_cast<const char*>(packet), kPacket);
}

bool TsStartPoint::startsHere(const unsigned char* packet)
{
    const int pid = pidOf(packet);
    if (pid == 0 && startsUnit(packet))
        readPat(packet);
    else if (pid == pmtPid_ && startsUnit(packet))
        readPmt(packet);
    if (pat_.isEmpty() || pmt_.isEmpty())
        return false;
    if (esPid_ < 0)
        return true; // a programme of no stream we know: from its tables on
    if (pid != esPid_ || !startsUnit(packet))
        return false;
    if (kind_ == Kind::Audio)
        return true;
    // The PES header, then the pictures' first bytes in this packet.
    const std::size_t payload = payloadOf(packet);
    if (payload + 9 > kPacket || packet[payload] != 0 || packet[payload + 1] != 0 || packet[payload + 2] != 1)
        return false;
    bool parameters = false, key = isRandomAccess(packet);
    for (std::size_t at = payload + 9 + packet[payload + 8]; at + 3 < kPacket; ++at) {
        if (packet[at] != 0 || packet[at + 1] != 0 || packet[at + 2] != 1)
            continue;
        const unsigned char code = packet[at + 3];
        if (streamType_ == 0x1B) { // H.264: SPS, IDR
            parameters = parameters || (code & 0x1f) == 7;
            key = key || (code & 0x1f) == 5;
        } else if (streamType_ == 0x24) { // HEVC: VPS, SPS, IRAP pictures
            const int type = (code >> 1) & 0x3f;
            parameters = parameters || type == 32 || type == 33;
            key = key || (type >= 16 && type <= 21);
        } else if (code == 0xB3) { // MPEG-1/2 sequence header
            return true;
        }
    }
    if (streamType_ != 0x1B && streamType_ != 0x24)
        return key;
    if (parameters)
        return true;
    // A stream that sends its parameter sets apart from its key pictures: from one of those.
    return key && ++keysWithoutParameters_ > 2;
}

TsStartPoint::Found TsStartPoint::foundAt(const unsigned char* packet, std::size_t rest)
{
    Found found;
    found.found = true;
    found.head = pat_ + pmt_;
    if (packet)
        found.head += QByteArray(reinterpret_cast<const char*>(packet), kPacket);
    found.rest = rest;
    return found;
}

TsStartPoint::Found TsStartPoint::feed(const unsigned char* bytes, std::size_t size)
{
    seen_ += std::int64_t(size);
    // What is still to be looked at: the part of a packet kept from before, then this piece.
    const qsizetype kept = carry_.size();
    QByteArray stream = carry_ + QByteArray::fromRawData(reinterpret_cast<const char*>(bytes), qsizetype(size));
    qsizetype at = 0;
    // The piece's offset just after stream[end], for the bytes written after the head.
    const auto restAfter = [&](qsizetype end) { return std::size_t(std::max<qsizetype>(end - kept, 0)); };
    while (true) {
        if (!synced_) {
            at = firstBoundary(stream, at);
            if (at >= stream.size()) {
                if (stream.size() < kNoPacketsAfter) {
                    carry_ = stream;
                    carry_.detach();
                    return {};
                }
                // Several packets' worth without one: no MPEG-TS (an audio stream, say), written as it comes.
                carry_.clear();
                Found whole;
                whole.found = true;
                whole.head = stream.left(kept);
                return whole;
            }
            synced_ = true;
        }
        if (at + qsizetype(kPacket) > stream.size())
            break;
        if (stream[at] != kSync) { // lost step: look for packets again
            synced_ = false;
            ++at;
            continue;
        }
        const auto* packet = reinterpret_cast<const unsigned char*>(stream.constData() + at);
        if (startsHere(packet)) {
            Found found = foundAt(packet, restAfter(at + qsizetype(kPacket)));
            // A packet that lay within what was kept: the rest of the kept bytes go with the head.
            if (at + qsizetype(kPacket) < kept)
                found.head += stream.mid(at + qsizetype(kPacket), kept - at - qsizetype(kPacket));
            carry_.clear();
            return found;
        }
        at += qsizetype(kPacket);
    }
    carry_ = stream.mid(at);
    if (seen_ <= kGiveUpBytes)
        return {};
    qCInfo(lcEngine) << "no point to start a recording from in" << (kGiveUpBytes >> 20)
                     << "MB of the stream: it starts where the stream is";
    Found here;
    here.found = true;
    here.head = carry_; // from the last packet boundary: the piece's tail is in it
    here.rest = size;
    carry_.clear();
    return here;
}
