#pragma once

#include "StreamReader.h"

#include <QString>

#include <memory>

// The RTSP reader lives in a module of its own (libclipvane_rtsp.so) with the
// FFmpeg libraries it needs, opened on the first rtsp:// open, so that a start
// loads none of them.

// Whether such an address is read by the program rather than by libvlc
// (CLIPVANE_RTSP=vlc hands them to libvlc).
bool readsRtspItself(const QString& address);

// A reader of the address. Without the module, one that fails at once and says
// why; the module is looked for again at the next open.
std::unique_ptr<StreamReader> makeRtspReader(const QString& address);
