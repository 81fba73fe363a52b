#include "ui/settings/SettingField.h"

#include "ui/settings/ChoiceBox.h"
#include "ui/settings/EntriesEditor.h"
#include "core/guide/GuideSources.h"

#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

using Kind = SettingRow::Kind;

QLabel* note(const QString& text, QWidget* parent, const QString& name)
{
    auto* label = new QLabel(text, parent);
    label->setAccessibleName(name);
    label->setWordWrap(true);
    return label;
}

// A guide of the list as its three fields: address, offset in minutes, zone.
EntriesEditor::Entry guideEntry(const QString& line)
{
    const GuideSetting guide = readGuideSetting(line);
    return {guide.address, guide.offsetMinutes ? QString::number(guide.offsetMinutes) : QString(), guide.zone};
}

QString guideProblem(const SettingRow& row, const EntriesEditor::Entry& entry)
{
    if (entry.value(0).contains(u'|'))
        return QStringLiteral("地址里不能有“|”：偏移和时区写在各自的栏里");
    // The fields as typed, so that the reader of the setting judges the offset and zone too.
    QString line = entry.value(0).trimmed();
    if (!entry.value(1).trimmed().isEmpty())
        line += QStringLiteral("|offset=") + entry.value(1).trimmed();
    if (!entry.value(2).trimmed().isEmpty())
        line += QStringLiteral("|zone=") + entry.value(2).trimmed();
    return settingProblem(row, line);
}

} // namespace

SettingField::SettingField(const SettingRow& row, QWidget* parent) : QWidget(parent), row_(row)
{
    const QString label = QString::fromUtf8(row.label);
    const QString help = QString::fromUtf8(row.help);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    switch (row.kind) {
    case Kind::Choice:
        choice_ = new ChoiceBox(this);
        for (const SettingChoice& option : row.choices)
            choice_->addItem(QString::fromUtf8(option.label), QString::fromLatin1(option.value));
        connect(choice_, &QComboBox::currentIndexChanged, this, [this] { check(); });
        editor_ = choice_;
        layout->addWidget(choice_);
        break;
    case Kind::GuideList:
        guides_ = new EntriesEditor(
            label, QStringLiteral("指南"),
            {{QStringLiteral("指南地址"), QStringLiteral("http(s):// 地址或本机文件的完整路径")},
             {QStringLiteral("时间偏移（分钟）"), QStringLiteral("加到指南每个时间上的分钟数，可为负；留空为 0")},
             {QStringLiteral("指南时区"), QStringLiteral("指南里没写时区的时间按这个时区，如 +0800；留空按 +0800")}},
            {[](const EntriesEditor::Entry& entry) { return writeGuideSetting(entry.value(0), entry.value(1).toInt(), entry.value(2)); },
             [&row](const EntriesEditor::Entry& entry) { return guideProblem(row, entry); }},
            this);
        connect(guides_, &EntriesEditor::changed, this, [this] { check(); });
        editor_ = guides_;
        layout->addWidget(guides_);
        break;
    default: {
        line_ = new QLineEdit(this);
        connect(line_, &QLineEdit::textChanged, this, [this] { check(); });
        editor_ = line_;
        if (row.kind != Kind::Folder) {
            layout->addWidget(line_);
            break;
        }
        auto* folderRow = new QHBoxLayout;
        folderRow->addWidget(line_, 1);
        auto* browse = new QPushButton(QStringLiteral("选择…"), this);
        browse->setAccessibleName(QStringLiteral("选择") + label);
        browse->setAutoDefault(false);
        connect(browse, &QPushButton::clicked, this, [this, label] {
            const QString folder = QFileDialog::getExistingDirectory(this, label, line_->text());
            if (!folder.isEmpty())
                line_->setText(folder);
        });
        folderRow->addWidget(browse);
        layout->addLayout(folderRow);
    }
    }
    editor_->setAccessibleName(label);
    editor_->setAccessibleDescription(help);
    if (line_ && *row.fallback)
        line_->setPlaceholderText(QString::fromLatin1(row.fallback));
    else if (line_ && row.kind == Kind::Folder)
        line_->setPlaceholderText(QStringLiteral("（默认）"));
    QLabel* helpLine = note(help, this, label + QStringLiteral("说明"));
    helpLine->setStyleSheet(QStringLiteral("color: palette(mid);"));
    layout->addWidget(helpLine);
    if (const QString takes = settingTakesText(row.takes); !takes.isEmpty())
        layout->addWidget(note(takes, this, label + QStringLiteral("生效时间")));
    if (guides_)
        return; // the guide editor says what is wrong under its own fields
    problem_ = note({}, this, label + QStringLiteral("有误"));
    problem_->setStyleSheet(QStringLiteral("color: #c0392b;"));
    problem_->hide();
    layout->addWidget(problem_);
}

QString SettingField::value() const
{
    if (choice_)
        return choice_->currentData().toString();
    if (guides_) {
        QStringList lines;
        for (const EntriesEditor::Entry& entry : guides_->entries())
            if (!entry.join(QString()).trimmed().isEmpty())
                lines.append(writeGuideSetting(entry.value(0), entry.value(1).toInt(), entry.value(2)));
        return lines.join(u'\n');
    }
    // Left empty: the default, as a value missing from the file.
    const QString written = line_->text().trimmed();
    return written.isEmpty() ? QString::fromLatin1(row_.fallback) : written;
}

void SettingField::setValue(const QString& written)
{
    const QString value = settingNormalized(row_, written);
    if (choice_) {
        int index = choice_->findData(value);
        if (index < 0) {
            // Hand-written and not one of the choices: shown as written, marked, until another is chosen.
            choice_->addItem(QStringLiteral("“%1”（无效）").arg(value), value);
            index = choice_->count() - 1;
        }
        choice_->setCurrentIndex(index);
    } else if (guides_) {
        std::vector<EntriesEditor::Entry> entries;
        for (const QString& line : value.split(u'\n', Qt::SkipEmptyParts))
            entries.push_back(guideEntry(line));
        guides_->setEntries(std::move(entries));
    } else {
        line_->setText(value);
    }
    check();
}

QString SettingField::problem() const
{
    if (guides_)
        return guides_->problem();
    return settingProblem(row_, value());
}

void SettingField::check()
{
    if (problem_) {
        const QString why = problem();
        problem_->setText(why);
        problem_->setVisible(!why.isEmpty());
    }
    emit changed();
}
