// Draws every picture of the main window and writes them into a folder:
//   draw_artwork <output folder>
// Pictures are uncompressed 24-bit BMP files laid out as the window expects
// (54-byte header, bottom-up rows padded to 4 bytes, two trailing pad bytes);
// the program icon is a 128 x 128 RGBA PNG.
//
// Pictures shown on buttons with a white transparent colour are drawn without
// antialiasing: a blended edge pixel would be neither glyph nor white and would
// show as a pale fringe over the dark window.

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include <cstdio>
#include <functional>

namespace {

const QColor kBarGreen(50, 177, 108);
const QColor kPressedOrange(235, 97, 0);
const QColor kWindowGrey(29, 29, 29);
const QColor kVolumeGrey(137, 137, 137);

void putLE(QByteArray& out, quint32 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
}

bool writeBmp24(const QImage& source, const QString& path)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    const int rowBytes = (image.width() * 3 + 3) & ~3;
    const quint32 pixelBytes = quint32(rowBytes * image.height());
    const quint32 trailing = 2;
    QByteArray out;
    out.append("BM");
    putLE(out, 54 + pixelBytes + trailing, 4);
    putLE(out, 0, 4);
    putLE(out, 54, 4);
    putLE(out, 40, 4);
    putLE(out, quint32(image.width()), 4);
    putLE(out, quint32(image.height()), 4);
    putLE(out, 1, 2);
    putLE(out, 24, 2);
    putLE(out, 0, 4);
    putLE(out, pixelBytes + trailing, 4);
    putLE(out, 2835, 4);
    putLE(out, 2835, 4);
    putLE(out, 0, 4);
    putLE(out, 0, 4);
    for (int y = image.height() - 1; y >= 0; --y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        QByteArray row;
        for (int x = 0; x < image.width(); ++x) {
            row.append(char(qBlue(line[x])));
            row.append(char(qGreen(line[x])));
            row.append(char(qRed(line[x])));
        }
        row.append(QByteArray(rowBytes - row.size(), '\0'));
        out.append(row);
    }
    out.append(QByteArray(int(trailing), '\0'));
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(out) == out.size();
}

QImage canvas(int width, int height, const QColor& ground)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(ground);
    return image;
}

using Painting = std::function<void(QPainter&)>;

QImage draw(int width, int height, const QColor& ground, bool antialias, const Painting& paint)
{
    QImage image = canvas(width, height, ground);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, antialias);
    painter.setPen(Qt::NoPen);
    paint(painter);
    return image;
}

// A caption-bar button: a white glyph on the bar's green, or on orange when pressed.
QImage captionButton(const QColor& ground, const Painting& glyph)
{
    return draw(32, 32, ground, true, glyph);
}

void closeGlyph(QPainter& p)
{
    p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10.5, 9.5), QPointF(20.5, 19.5));
    p.drawLine(QPointF(20.5, 9.5), QPointF(10.5, 19.5));
}

void minimizeGlyph(QPainter& p)
{
    p.fillRect(QRect(10, 14, 11, 2), Qt::white);
}

// Two arrow heads on the diagonal of a 16 x 16 picture, pointing out or in.
QImage fullScreenPicture(bool outwards)
{
    return draw(16, 16, Qt::white, false, [outwards](QPainter& p) {
        const QColor grey(150, 150, 150);
        p.setBrush(grey);
        p.setPen(grey);
        if (outwards) {
            p.drawPolygon(QPolygon({QPoint(1, 1), QPoint(6, 1), QPoint(1, 6)}));
            p.drawPolygon(QPolygon({QPoint(14, 14), QPoint(9, 14), QPoint(14, 9)}));
            p.drawLine(3, 3, 6, 6);
            p.drawLine(12, 12, 9, 9);
        } else {
            p.drawPolygon(QPolygon({QPoint(6, 6), QPoint(6, 2), QPoint(2, 6)}));
            p.drawPolygon(QPolygon({QPoint(9, 9), QPoint(9, 13), QPoint(13, 9)}));
            p.drawLine(1, 1, 4, 4);
            p.drawLine(14, 14, 11, 11);
        }
    });
}

// A dark disc with a square in it; pressed, the square turns orange.
QImage stopPicture(bool pressed)
{
    return draw(35, 35, Qt::white, false, [pressed](QPainter& p) {
        p.setBrush(pressed ? QColor(48, 48, 48) : QColor(70, 70, 70));
        p.setPen(QColor(100, 100, 100));
        p.drawEllipse(QRect(1, 1, 32, 32));
        p.setPen(Qt::NoPen);
        p.fillRect(QRect(12, 12, 11, 11), pressed ? kPressedOrange : QColor(200, 200, 200));
    });
}

// Minus and plus, each a 9 x 3 bar (and a 3 x 9 bar) in the volume grey;
// pressed, the glyph sits one pixel lower and to the right.
QImage volumePicture(bool up, bool pressed)
{
    return draw(13, 13, Qt::white, false, [up, pressed](QPainter& p) {
        const int d = pressed ? 1 : 0;
        p.fillRect(QRect(2 + d, 3 + d, 9, 3), kVolumeGrey);
        if (up)
            p.fillRect(QRect(5 + d, 0 + d, 3, 9), kVolumeGrey);
    });
}

// A dark pill with three list lines and their bullets.
QImage listPicture(bool pressed)
{
    return draw(65, 22, Qt::white, false, [pressed](QPainter& p) {
        p.setBrush(pressed ? QColor(40, 40, 40) : QColor(62, 62, 62));
        p.setPen(QColor(96, 96, 96));
        p.drawRoundedRect(QRect(0, 0, 63, 20), 5, 5);
        p.setPen(Qt::NoPen);
        const QColor line = pressed ? kPressedOrange : QColor(190, 190, 190);
        for (int i = 0; i < 3; ++i) {
            const int y = 5 + i * 5;
            p.fillRect(QRect(21, y, 2, 2), line);
            p.fillRect(QRect(26, y, 18, 2), line);
        }
    });
}

QImage titleBarPicture()
{
    QImage image = canvas(706, 32, kBarGreen);
    QPainter p(&image);
    p.fillRect(QRect(0, 0, 706, 1), QColor(78, 194, 131));
    p.fillRect(QRect(0, 31, 706, 1), QColor(38, 150, 90));
    return image;
}

// A green square with a darker disc and a white play triangle. It is opaque to
// the edges: the title bar draws it over the button-face colour, which would
// otherwise show in rounded corners.
// Drawn on a 128-unit grid at any size, for the icon theme's sizes.
QImage iconPicture(int size = 128)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(kBarGreen);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 128.0, size / 128.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(38, 150, 90));
    p.drawEllipse(QRectF(22, 22, 84, 84));
    p.setBrush(Qt::white);
    QPainterPath play;
    play.moveTo(52, 40);
    play.lineTo(90, 64);
    play.lineTo(52, 88);
    play.closeSubpath();
    p.drawPath(play);
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    bool ok = true;
    const auto save = [&](const QImage& image, const char* name) {
        ok = writeBmp24(image, out.filePath(QString::fromLatin1(name))) && ok;
    };
    save(canvas(706, 415, kWindowGrey), "background.bmp");
    save(titleBarPicture(), "titlebar.bmp");
    save(captionButton(kBarGreen, closeGlyph), "close-normal.bmp");
    save(captionButton(kPressedOrange, closeGlyph), "close-pressed.bmp");
    save(captionButton(kBarGreen, minimizeGlyph), "minimize-normal.bmp");
    save(captionButton(kPressedOrange, minimizeGlyph), "minimize-pressed.bmp");
    save(fullScreenPicture(true), "enlarge.bmp");
    save(fullScreenPicture(false), "shrink.bmp");
    save(stopPicture(false), "stop-normal.bmp");
    save(stopPicture(true), "stop-pressed.bmp");
    save(volumePicture(false, false), "volume-down-normal.bmp");
    save(volumePicture(false, true), "volume-down-pressed.bmp");
    save(volumePicture(true, false), "volume-up-normal.bmp");
    save(volumePicture(true, true), "volume-up-pressed.bmp");
    save(listPicture(false), "list-normal.bmp");
    save(listPicture(true), "list-pressed.bmp");
    ok = iconPicture().save(out.filePath(QStringLiteral("icon.png")), "PNG") && ok;
    // The sizes an application menu asks the icon theme for; the scalable one is icons/clipvane.svg.
    QDir().mkpath(out.filePath(QStringLiteral("../icons")));
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        ok = iconPicture(size).save(out.filePath(QStringLiteral("../icons/%1.png").arg(size)), "PNG") && ok;
    if (!ok)
        std::fprintf(stderr, "could not write every picture into %s\n", argv[1]);
    return ok ? 0 : 1;
}
