#pragma once

#include "MediaPlayer.h"

#include <QByteArray>
#include <QList>

// libvlc's options for a source, in the order they are added: the caching of
// files, networks and RTSP, then the HTTP headers the source names.
QList<QByteArray> vlcSourceOptions(const MediaPlayer::Source& source);
