#include "Q_tip.h"

#include <QHelpEvent>
#include <QToolTip>
#include <QWidget>

Q_tip::Q_tip(QObject* parent) : QObject(parent) {}

bool Q_tip::SetTip(QWidget* target, const QString& text, int /*icon*/, const QRect& area)
{
    if (!target)
        return false;
    if (!tips_.contains(target)) {
        target->installEventFilter(this);
        connect(target, &QObject::destroyed, this, [this](QObject* gone) { tips_.remove(gone); });
    }
    tips_.insert(target, Tip{target, text, area});
    // What the balloon says, screen readers say too.
    target->setAccessibleDescription(text);
    return true;
}

bool Q_tip::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return false;
    const auto it = tips_.constFind(watched);
    if (it == tips_.cend() || !it->target)
        return false;
    auto* help = static_cast<QHelpEvent*>(event);
    const QRect area = it->area.isEmpty() ? it->target->rect() : it->area;
    if (area.contains(help->pos()))
        QToolTip::showText(help->globalPos(), it->text, it->target, area);
    else
        QToolTip::hideText();
    return true;
}
