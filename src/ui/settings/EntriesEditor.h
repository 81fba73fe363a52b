#pragma once

#include <QStringList>
#include <QWidget>

#include <functional>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// Entries of a few fields each (the user's lists, the guide addresses): a
// list of them, the fields of the one selected under it, and buttons to add,
// remove and move one. An entry whose fields are not valid is marked in the
// list and its reason shown under the fields.
class EntriesEditor final : public QWidget {
    Q_OBJECT
public:
    struct Field {
        QString label; // also its AT-SPI name
        QString help;  // its placeholder and AT-SPI description
    };
    using Entry = QStringList; // one text a field
    // The list's line for an entry, and why an entry is not valid (empty: it is).
    struct Rules {
        std::function<QString(const Entry&)> line;
        std::function<QString(const Entry&)> problem;
    };

    // `noun` names an entry on the buttons' AT-SPI names ("添加指南").
    EntriesEditor(const QString& name, const QString& noun, std::vector<Field> fields, Rules rules,
                  QWidget* parent = nullptr);

    std::vector<Entry> entries() const { return entries_; }
    void setEntries(std::vector<Entry> entries);
    // The first entry that is not valid, as "第 N 个：why"; empty when all are.
    QString problem() const;

signals:
    void changed();

private:
    void select(int row);
    void edited();
    void add();
    void removeSelected();
    void move(int by);
    void redraw();

    std::vector<Field> fields_;
    Rules rules_;
    std::vector<Entry> entries_;
    QListWidget* list_;
    std::vector<QLineEdit*> editors_;
    QLabel* problem_;
    QPushButton* remove_;
    QPushButton* up_;
    QPushButton* down_;
    bool filling_ = false; // the fields are being filled from an entry, not edited
};
