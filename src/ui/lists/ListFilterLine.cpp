#include "ui/lists/ListFilterLine.h"

#include "ui/controls/DefaultFont.h"

#include <QEvent>
#include <QKeyEvent>

ListFilterLine::ListFilterLine(QWidget& heading, QWidget& window) : QLineEdit(&window), heading_(heading)
{
    setObjectName(QStringLiteral("ListFilterLine"));
    setAccessibleName(QStringLiteral("查找节目"));
    setPlaceholderText(QStringLiteral("输入节目名查找"));
    setFont(defaultGuiFont());
    setFrame(false);
    setStyleSheet(QStringLiteral("QLineEdit { background: rgb(0, 0, 0); color: rgb(255, 255, 255);"
                                 " border: 1px solid rgb(96, 96, 96); selection-background-color: rgb(50, 177, 108); }"));
    heading.installEventFilter(this);
    hide();
}

void ListFilterLine::open()
{
    setGeometry(heading_.geometry());
    show();
    raise();
    setFocus(Qt::ShortcutFocusReason);
    selectAll();
}

void ListFilterLine::close()
{
    clear();
    hide();
}

bool ListFilterLine::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &heading_) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
            setGeometry(heading_.geometry());
            break;
        case QEvent::Hide:
            if (isVisible())
                hide();
            break;
        default:
            break;
        }
    }
    return QLineEdit::eventFilter(watched, event);
}

void ListFilterLine::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit accepted();
        return;
    case Qt::Key_Escape:
        emit abandoned();
        return;
    default:
        QLineEdit::keyPressEvent(event);
    }
}
