#include "ui/settings/EntriesEditor.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QPushButton* button(const QString& text, const QString& noun, QWidget* parent)
{
    auto* made = new QPushButton(text, parent);
    made->setAccessibleName(text + noun);
    made->setAutoDefault(false); // Enter saves the settings, wherever the focus is
    return made;
}

} // namespace

EntriesEditor::EntriesEditor(const QString& name, const QString& noun, std::vector<Field> fields, Rules rules,
                             QWidget* parent)
    : QWidget(parent), fields_(std::move(fields)), rules_(std::move(rules))
{
    setAccessibleName(name);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* row = new QHBoxLayout;
    list_ = new QListWidget(this);
    list_->setAccessibleName(name);
    list_->setMinimumHeight(72);
    list_->setMaximumHeight(150);
    row->addWidget(list_, 1);
    auto* buttons = new QVBoxLayout;
    QPushButton* add = button(QStringLiteral("添加"), noun, this);
    remove_ = button(QStringLiteral("删除"), noun, this);
    up_ = button(QStringLiteral("上移"), noun, this);
    down_ = button(QStringLiteral("下移"), noun, this);
    for (QPushButton* one : {add, remove_, up_, down_})
        buttons->addWidget(one);
    buttons->addStretch();
    row->addLayout(buttons);
    layout->addLayout(row);

    auto* form = new QFormLayout;
    for (const Field& field : fields_) {
        auto* editor = new QLineEdit(this);
        editor->setAccessibleName(field.label);
        editor->setAccessibleDescription(field.help);
        editor->setPlaceholderText(field.help);
        form->addRow(field.label, editor);
        editors_.push_back(editor);
        connect(editor, &QLineEdit::textEdited, this, &EntriesEditor::edited);
    }
    layout->addLayout(form);
    problem_ = new QLabel(this);
    problem_->setAccessibleName(name + QStringLiteral("有误"));
    problem_->setStyleSheet(QStringLiteral("color: #c0392b;"));
    problem_->setWordWrap(true);
    problem_->hide();
    layout->addWidget(problem_);

    connect(list_, &QListWidget::currentRowChanged, this, &EntriesEditor::select);
    connect(add, &QPushButton::clicked, this, &EntriesEditor::add);
    connect(remove_, &QPushButton::clicked, this, &EntriesEditor::removeSelected);
    connect(up_, &QPushButton::clicked, this, [this] { move(-1); });
    connect(down_, &QPushButton::clicked, this, [this] { move(1); });
    select(-1);
}

void EntriesEditor::setEntries(std::vector<Entry> entries)
{
    entries_ = std::move(entries);
    for (Entry& entry : entries_)
        while (entry.size() < qsizetype(fields_.size()))
            entry.append(QString());
    redraw();
    list_->setCurrentRow(entries_.empty() ? -1 : 0);
    select(list_->currentRow());
}

QString EntriesEditor::problem() const
{
    for (size_t index = 0; index < entries_.size(); ++index)
        if (const QString why = rules_.problem(entries_[index]); !why.isEmpty())
            return QStringLiteral("第 %1 个：%2").arg(index + 1).arg(why);
    return {};
}

void EntriesEditor::select(int row)
{
    const bool chosen = row >= 0 && size_t(row) < entries_.size();
    filling_ = true;
    for (size_t field = 0; field < editors_.size(); ++field) {
        editors_[field]->setEnabled(chosen);
        editors_[field]->setText(chosen ? entries_[size_t(row)].value(qsizetype(field)) : QString());
    }
    filling_ = false;
    remove_->setEnabled(chosen);
    up_->setEnabled(chosen && row > 0);
    down_->setEnabled(chosen && size_t(row) + 1 < entries_.size());
}

void EntriesEditor::edited()
{
    const int row = list_->currentRow();
    if (filling_ || row < 0 || size_t(row) >= entries_.size())
        return;
    Entry& entry = entries_[size_t(row)];
    for (size_t field = 0; field < editors_.size(); ++field)
        entry[qsizetype(field)] = editors_[field]->text();
    redraw();
    emit changed();
}

void EntriesEditor::add()
{
    entries_.push_back(Entry(qsizetype(fields_.size())));
    redraw();
    list_->setCurrentRow(int(entries_.size()) - 1);
    editors_.front()->setFocus(Qt::TabFocusReason);
    emit changed();
}

void EntriesEditor::removeSelected()
{
    const int row = list_->currentRow();
    if (row < 0 || size_t(row) >= entries_.size())
        return;
    entries_.erase(entries_.begin() + row);
    redraw();
    list_->setCurrentRow(std::min(row, int(entries_.size()) - 1));
    select(list_->currentRow());
    emit changed();
}

void EntriesEditor::move(int by)
{
    const int row = list_->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || size_t(to) >= entries_.size())
        return;
    std::swap(entries_[size_t(row)], entries_[size_t(to)]);
    redraw();
    list_->setCurrentRow(to);
    emit changed();
}

// The list's lines from the entries, the selection kept; the reason of the first bad one below.
void EntriesEditor::redraw()
{
    const int row = list_->currentRow();
    const QSignalBlocker quiet(list_);
    list_->clear();
    for (const Entry& entry : entries_) {
        const QString why = rules_.problem(entry);
        const QString line = rules_.line(entry);
        auto* item = new QListWidgetItem(why.isEmpty() ? line : QStringLiteral("⚠ ") + line, list_);
        item->setToolTip(why);
    }
    list_->setCurrentRow(std::min(row, int(entries_.size()) - 1));
    const QString why = problem();
    problem_->setText(why);
    problem_->setVisible(!why.isEmpty());
}
