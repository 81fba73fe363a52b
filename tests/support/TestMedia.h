#pragma once

#include <QByteArray>
#include <QColor>
#include <QSize>
#include <QString>

namespace testmedia {

// Makes a clip of one flat colour with a tone: H.264 and AAC in MP4 with its
// index first (so it plays over plain HTTP too), or MPEG-TS when the name ends
// in .ts. Returns false when ffmpeg fails.
bool makeClip(const QString& path, const QString& ffmpegColor, int seconds = 8, QSize size = QSize(320, 240));

// Makes an MPEG-TS clip whose picture turns from red to blue and back every
// second, so that a test can tell a moving picture from a frozen one.
bool makeAlternatingClip(const QString& path, int seconds);

// Makes an MPEG-TS clip of 64 s whose picture tells its second: red is
// 32 × (second mod 8) + 16, green 32 × (second / 8) + 16; a keyframe each
// second. Sent round and round, the count goes on across the loop.
bool makeCountingClip(const QString& path);
// The second a picture of such a clip shows (0 to 63).
int secondShown(const QColor& colour);

// Makes a Matroska film of blue 320 x 180 pictures with two audio tracks of
// different tones (English 440 Hz, French 1000 Hz) and a subtitle track
// ("WWWW…", a line each second).
bool makeFilmWithTracks(const QString& path, int seconds = 30);

// Makes a 320 x 240 (4:3) clip whose middle 320 x 180 is red between black
// bars: a 16:9 picture letterboxed.
bool makeLetterboxedClip(const QString& path, int seconds = 30);

// True when a screen colour is close to the expected one (video goes through YUV).
bool looksLike(const QColor& seen, const QColor& expected, int tolerance = 40);
// What ffmpeg's "red" and "blue" clips show.
inline const QColor kRed(255, 0, 0);
inline const QColor kBlue(0, 0, 255);

// Writes a whole file; false when it could not.
bool writeFile(const QString& path, const QByteArray& bytes);

} // namespace testmedia
