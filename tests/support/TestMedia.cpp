#include "TestMedia.h"

#include <QFile>
#include <QProcess>
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
