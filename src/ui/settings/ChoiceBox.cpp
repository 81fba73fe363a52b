#include "ui/settings/ChoiceBox.h"

#include <QAccessibleWidget>

namespace {

class ChoiceBoxAccessible final : public QAccessibleWidget {
public:
    explicit ChoiceBoxAccessible(ChoiceBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override
    {
        auto* box = static_cast<ChoiceBox*>(widget());
        if (t == QAccessible::Name)
            return box->accessibleName();
        if (t == QAccessible::Value)
            return box->currentText();
        return QAccessibleWidget::text(t);
    }
};

// Qt's accessibility cache owns the interfaces a factory returns.
QAccessibleInterface* choiceBoxFactory(const QString&, QObject* object)
{
    if (auto* box = qobject_cast<ChoiceBox*>(object))
        return new ChoiceBoxAccessible(box);
    return nullptr;
}

} // namespace

ChoiceBox::ChoiceBox(QWidget* parent) : QComboBox(parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(&choiceBoxFactory);
        return true;
    }();
    Q_UNUSED(installed);
    connect(this, &QComboBox::currentIndexChanged, this, [this] {
        QAccessibleValueChangeEvent changed(this, currentText());
        QAccessible::updateAccessibility(&changed);
    });
}
