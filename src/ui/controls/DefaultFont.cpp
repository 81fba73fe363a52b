#include "DefaultFont.h"

#include <QApplication>

QFont defaultGuiFont()
{
    // A CJK face first: its digits and full-width punctuation are narrow enough
    // for the design's small captions ("150" in 17 pixels, "音量：" in 32).
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("WenQuanYi Micro Hei"), QApplication::font().family()});
    font.setPixelSize(11);
    return font;
}
