#include "TestMedia.h"

#include <algorithm>

#include <QFile>
#include <QProcess>
#include <QTime>
#include <QSize>

#include <cstdlib>

namespace testmedia {

bool makeClip(const QString& path, const QString& ffmpegColor, int seconds, QSize size)
{
    const QString duration = QString::number(seconds);
    QStringList args{"-loglevel", "error", "-y",
                     "-f", "lavfi", "-i",
                     QStringLiteral("color=c=%1:size=%2x%3:rate=25").arg(ffmpegColor).arg(size.width()).arg(size.height()),
                     "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000",
                     "-t", duration, "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p",
                     "-g", "25", "-c:a", "aac"};
    if (path.endsWith(QLatin1String(".ts")))
        args << "-f" << "mpegts";
    else
        args << "-movflags" << "+faststart";
    args << path;
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), args);
    return ffmpeg.waitForFinished(60000) && ffmpeg.exitStatus() == QProcess::NormalExit && ffmpeg.exitCode() == 0;
}

bool makeAlternatingClip(const QString& path, int seconds)
{
    const QStringList args{"-loglevel", "error", "-y", "-f", "lavfi", "-i",
                           "color=c=black:size=320x240:rate=25", "-f", "lavfi", "-i",
                           "sine=frequency=440:sample_rate=48000", "-t", QString::number(seconds),
                           "-vf", "geq=r='255*lt(mod(T,2),1)':g='0':b='255*gte(mod(T,2),1)'",
                           "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-g", "25",
                           "-c:a", "aac", "-f", "mpegts", path};
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), args);
    return ffmpeg.waitForFinished(120000) && ffmpeg.exitStatus() == QProcess::NormalExit && ffmpeg.exitCode() == 0;
}

bool makeCountingClip(const QString& path)
{
    const QStringList args{"-loglevel", "error", "-y", "-f", "lavfi", "-i", "color=c=black:size=160x120:rate=25",
                           "-t", "64", "-vf",
                           "format=gbrp,geq=r='32*mod(floor(T),8)+16':g='32*floor(mod(T,64)/8)+16':b='128'",
                           "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-g", "25",
                           "-f", "mpegts", path};
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), args);
    return ffmpeg.waitForFinished(120000) && ffmpeg.exitStatus() == QProcess::NormalExit && ffmpeg.exitCode() == 0;
}

int secondShown(const QColor& colour)
{
    const int ones = std::clamp((colour.red() - 16 + 16) / 32, 0, 7);
    const int eights = std::clamp((colour.green() - 16 + 16) / 32, 0, 7);
    return eights * 8 + ones;
}

namespace {

bool runFfmpeg(const QStringList& args)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), QStringList{"-loglevel", "error", "-y"} + args);
    return ffmpeg.waitForFinished(120000) && ffmpeg.exitStatus() == QProcess::NormalExit && ffmpeg.exitCode() == 0;
}

} // namespace

bool makeFilmWithTracks(const QString& path, int seconds)
{
    // A line a second: a track chosen while it plays shows from its next line on.
    const QString subtitles = path + QStringLiteral(".srt");
    QByteArray lines;
    for (int second = 0; second < seconds; ++second)
        lines += QStringLiteral("%1\n%2,000 --> %3,000\nWWWWWWWW\n\n")
                     .arg(second + 1)
                     .arg(QTime(0, 0).addSecs(second).toString(u"HH:mm:ss"), QTime(0, 0).addSecs(second + 1).toString(u"HH:mm:ss"))
                     .toUtf8();
    if (!writeFile(subtitles, lines))
        return false;
    const QString length = QString::number(seconds);
    const bool made = runFfmpeg({"-f", "lavfi", "-i", "color=c=blue:size=320x180:rate=25",
                      "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000",
                      "-f", "lavfi", "-i", "sine=frequency=1000:sample_rate=48000",
                      "-i", subtitles, "-t", length,
                      "-map", "0:v", "-map", "1:a", "-map", "2:a", "-map", "3:s",
                      "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-g", "25",
                      "-c:a", "aac", "-c:s", "srt",
                      "-metadata:s:a:0", "language=eng", "-metadata:s:a:1", "language=fre",
                      "-metadata:s:s:0", "language=chi", "-disposition:s:0", "0", path});
    // A player would find it beside the film and offer it as a second subtitle.
    QFile::remove(subtitles);
    return made;
}

bool makeLetterboxedClip(const QString& path, int seconds)
{
    return runFfmpeg({"-f", "lavfi", "-i", "color=c=black:size=320x240:rate=25",
                      "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000", "-t", QString::number(seconds),
                      "-vf", "drawbox=x=0:y=30:w=320:h=180:color=red:t=fill",
                      "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-g", "25",
                      "-c:a", "aac", "-movflags", "+faststart", path});
}

bool looksLike(const QColor& seen, const QColor& expected, int tolerance)
{
    return std::abs(seen.red() - expected.red()) <= tolerance && std::abs(seen.green() - expected.green()) <= tolerance &&
           std::abs(seen.blue() - expected.blue()) <= tolerance;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace testmedia
