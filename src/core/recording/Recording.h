#pragma once

#include "core/guide/ProgrammeGuide.h"

#include <QDateTime>
#include <QString>

// Recordings as files and as times: where they go, what they are called, and
// when a programme's recording starts and stops.
namespace recording {

// The XDG videos folder's "Clipvane" (~/Videos/Clipvane).
QString folder();
// "湖南卫视 2026-12-09 19.30.05.ts": the channel's name made harmless for any
// file system (no separators, no signs Windows refuses, no control
// characters, no leading dot, at most 120 characters), then the start in the
// desktop's time.
QString fileName(const QString& channel, const QDateTime& start);

// A programme's recording: from `beforeMinutes` before its start to `afterMinutes` after its end.
struct Span {
    qint64 from = 0;
    qint64 to = 0;
};
Span spanOf(const Programme& programme, int beforeMinutes, int afterMinutes);

// How a programme's recording may go while `watchedAddress` plays (empty:
// nothing plays): over a connection of its own beside it, unless the recorded
// server is known to take one connection and the channel watched holds it (a
// second connection there would cost the channel watched, or be refused).
enum class Beside { Allowed, OneConnection };
Beside besideWatching(const QString& recordedAddress, const QString& watchedAddress, bool recordedServerTakesOne);

} // namespace recording
