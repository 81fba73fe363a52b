#pragma once

#include "core/settings/SettingsTable.h"

#include <QWidget>

class EntriesEditor;
class QComboBox;
class QLabel;
class QLineEdit;

// One row of the settings table in the settings window: its editor (a
// choice, a line, a folder with a button, or the guide addresses), its help
// under it, why the value is not valid, and when a change is taken up.
class SettingField final : public QWidget {
    Q_OBJECT
public:
    SettingField(const SettingRow& row, QWidget* parent = nullptr);

    const SettingRow& row() const { return row_; }
    // As written in the file.
    QString value() const;
    // A value as written (one not valid shows as written, marked).
    void setValue(const QString& value);
    // Empty when the value can be saved.
    QString problem() const;
    // The widget a label names and Tab reaches first.
    QWidget* editor() const { return editor_; }

signals:
    void changed();

private:
    void check();

    const SettingRow& row_;
    QWidget* editor_ = nullptr;
    QComboBox* choice_ = nullptr;
    QLineEdit* line_ = nullptr;
    EntriesEditor* guides_ = nullptr;
    QLabel* problem_ = nullptr; // none for the guides: their editor has its own
};
