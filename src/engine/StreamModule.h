#pragma once

#include "StreamReader.h"

#include <QString>

#include <memory>

// The readers the program reads streams with itself live in a module of their
// own (libclipvane_streams.so) with the FFmpeg libraries they need, opened on the
// first such open, so that a start loads none of them.

// Whether such an address is read by the program rather than by libvlc
// (CLIPVANE_RTSP=vlc hands them to libvlc).
bool readsRtspItself(const QString& address);

// A reader of the address. Without the module, one that fails at once and says
// why; the module is looked for again at the next open.
std::unique_ptr<StreamReader> makeRtspReader(const QString& address);

// Whether a live http(s) address is read by the program, into a time-shift
// buffer: not the name of a file or a playlist, not one whose answer was no
// live stream before (leaveToEngine), and not with CLIPVANE_LIVE=vlc.
bool readsLiveItself(const QString& address);
void leaveToEngine(const QString& address);
// A reader of such an address's bytes as they come; null without the module
// (libvlc then reads the address, as it always could).
std::unique_ptr<StreamReader> makeHttpReader(const QString& address, const QString& userAgent, const QString& referrer);
