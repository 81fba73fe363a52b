#pragma once

#include "core/lists/ListRef.h"
#include "core/settings/SettingsTable.h"

#include <QDialog>

#include <vector>

class EntriesEditor;
class QLabel;
class QPushButton;
class QTabWidget;
class SettingField;

// "设置": a page for each page of the settings table, its rows as fields,
// and the user's lists on the first. It holds what the user edits until
// 确定; what is saved, and what a copy brings in, is the caller's.
class SettingsWindow final : public QDialog {
    Q_OBJECT
public:
    explicit SettingsWindow(QWidget* parent = nullptr);

    // What the fields show: the file's values (as written, valid or not) and the lists.
    void fill(const SettingValues& written, const std::vector<ListRef>& lists);
    SettingValues values() const;
    std::vector<ListRef> lists() const;
    // A line at the bottom: what an export or import came to.
    void tell(const QString& text);

signals:
    void exportAsked();
    void importAsked();

private:
    void check();
    QWidget* page(SettingsPage which);

    QTabWidget* pages_;
    EntriesEditor* lists_;
    std::vector<SettingField*> fields_;
    QLabel* status_;
    QPushButton* save_;
};
