#pragma once

#include <QString>

#include <cstddef>

// A source the program reads itself and hands to libvlc as bytes of MPEG-TS
// (an rtsp:// address: Debian's libvlc has no RTSP client of its own).
class StreamReader {
public:
    virtual ~StreamReader() = default;
    // Up to size bytes: blocks until some are there; 0 at the end, -1 after a
    // failure or once aborted.
    virtual std::ptrdiff_t read(unsigned char* buffer, std::size_t size) = 0;
    // Makes every wait, its own and read()'s, return at once.
    virtual void abort() = 0;
    // Why reading failed, when it did.
    virtual QString error() const = 0;
    // There is no reader: its module could not be opened (error() names it).
    virtual bool isModuleMissing() const { return false; }
    // The answer is no live stream (a file with a length, a playlist, a page,
    // an error status): the engine is to read the address itself.
    virtual bool isForTheEngine() const { return false; }
};

// The stream module's symbols: a new reader for an address, owned by the caller.
using MakeStreamReader = StreamReader* (*)(const char* addressUtf8);
inline constexpr char kMakeRtspReaderSymbol[] = "clipvane_make_rtsp_reader";

// The module's other symbol: a reader of a live http(s) stream's bytes as they come.
using MakeHttpReader = StreamReader* (*)(const char* addressUtf8, const char* userAgentUtf8, const char* referrerUtf8);
inline constexpr char kMakeHttpReaderSymbol[] = "clipvane_make_http_reader";
