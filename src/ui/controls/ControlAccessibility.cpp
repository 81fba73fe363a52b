#include "ControlAccessibility.h"

#include "PicBtn.h"
#include "TransLabel.h"

#include <QAccessibleWidget>

namespace {

class PicBtnAccessible final : public QAccessibleWidget {
public:
    explicit PicBtnAccessible(PicBtn* button) : QAccessibleWidget(button, QAccessible::Button) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return widget()->accessibleName();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.pressed = static_cast<PicBtn*>(widget())->state() == PicBtn::State::Pressed;
        return s;
    }

    QStringList actionNames() const override { return {pressAction()}; }

    void doAction(const QString& action) override
    {
        auto* button = static_cast<PicBtn*>(widget());
        if (action == pressAction() && button->isEnabled())
            emit button->clicked();
    }
};

class TransLabelAccessible final : public QAccessibleWidget {
public:
    explicit TransLabelAccessible(TransLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return static_cast<TransLabel*>(widget())->caption();
        return QAccessibleWidget::text(t);
    }
};

// Qt's accessibility cache owns the interfaces a factory returns.
QAccessibleInterface* controlAccessibleFactory(const QString&, QObject* object)
{
    if (auto* button = qobject_cast<PicBtn*>(object))
        return new PicBtnAccessible(button);
    if (auto* label = qobject_cast<TransLabel*>(object))
        return new TransLabelAccessible(label);
    return nullptr;
}

} // namespace

void installControlAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(controlAccessibleFactory);
        return true;
    }();
    Q_UNUSED(installed);
}
