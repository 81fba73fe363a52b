#pragma once

#include <QComboBox>

// A drop-down list that screen readers name by its field (its accessible
// name) and read its choice as the value; Qt's own names a combo box by the
// choice shown, so a field of them would be heard as its choices alone.
class ChoiceBox final : public QComboBox {
    Q_OBJECT
public:
    explicit ChoiceBox(QWidget* parent = nullptr);
};
