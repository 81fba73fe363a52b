#include "ui/window/PanelOverVideo.h"

#include "ui/controls/DefaultFont.h"

#include <QWidget>

void stylePanelOverVideo(QWidget& panel, const QString& more)
{
    QFont font = defaultGuiFont();
    font.setPixelSize(14);
    panel.setFont(font);
    panel.setStyleSheet(QStringLiteral("QWidget { background: rgb(16, 16, 16); color: rgb(255, 255, 255); }"
                                       "QListWidget { border: none; }"
                                       "QListWidget::item:selected { background: rgb(50, 177, 108); }") +
                        more);
}
