#include "ui/settings/SettingsWindow.h"

#include "ui/settings/EntriesEditor.h"
#include "ui/settings/SettingField.h"
#include "core/lists/ListLibrary.h"
#include "sources/ListLocation.h"
#include "sources/ProviderAccount.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr SettingsPage kPages[]{SettingsPage::Lists, SettingsPage::Guide, SettingsPage::Catchup, SettingsPage::Playback,
                                SettingsPage::Screenshot};

// A list as the editor's fields: name, address, User-Agent, Referer.
EntriesEditor::Entry listEntry(const ListRef& list)
{
    const ListLocation location = readListLocation(list.address);
    return {list.name, location.address, location.userAgent, location.referrer};
}

ListRef listOf(const EntriesEditor::Entry& entry)
{
    const QString address = writeListLocation({entry.value(1), entry.value(2), entry.value(3)});
    const QString name = entry.value(0).trimmed();
    return {name.isEmpty() ? ListLibrary::nameFor(address) : name, address};
}

QString listProblem(const EntriesEditor::Entry& entry)
{
    const ListLocation location = readListLocation(entry.value(1));
    if (location.address.isEmpty())
        return QStringLiteral("地址是空的");
    if (entry.value(1).contains(u'|'))
        return QStringLiteral("地址里不能有“|”：User-Agent 和 Referer 写在各自的栏里");
    if (location.isRemote())
        return {};
    const QString path = location.localPath();
    if (!QDir::isAbsolutePath(path))
        return QStringLiteral("“%1”不是 http(s) 地址，也不是本机文件的完整路径").arg(location.address);
    if (!QFileInfo(path).isFile())
        return QStringLiteral("没有这个文件：%1").arg(path);
    return {};
}

} // namespace

SettingsWindow::SettingsWindow(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("设置"));
    setAccessibleName(QStringLiteral("设置"));
    auto* layout = new QVBoxLayout(this);
    pages_ = new QTabWidget(this);
    pages_->setAccessibleName(QStringLiteral("设置页"));
    layout->addWidget(pages_, 1);
    for (SettingsPage which : kPages) {
        auto* scroll = new QScrollArea(pages_);
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        auto* content = new QWidget(scroll);
        content->setObjectName(QStringLiteral("page%1").arg(int(which)));
        content->setAccessibleName(settingsPageTitle(which));
        new QFormLayout(content);
        scroll->setWidget(content);
        pages_->addTab(scroll, settingsPageTitle(which));
    }

    lists_ = new EntriesEditor(QStringLiteral("列表"), QStringLiteral("列表"),
                               {{QStringLiteral("列表名称"), QStringLiteral("菜单里显示的名字；留空取文件名")},
                                {QStringLiteral("列表地址"), QStringLiteral("http(s):// 地址或本机文件的完整路径")},
                                {QStringLiteral("此列表的 User-Agent"), QStringLiteral("留空用下面的列表 User-Agent")},
                                {QStringLiteral("此列表的 Referer"), QStringLiteral("服务器要求时才填")}},
                               {[](const EntriesEditor::Entry& entry) {
                                    const ListRef list = listOf(entry);
                                    // An account's password is not shown (the field being edited holds it).
                                    return list.name + QStringLiteral("  ") +
                                           account::withoutPassword(readListLocation(list.address).address,
                                                                    QStringLiteral("***"));
                                },
                                &listProblem},
                               this);
    auto* listsForm = static_cast<QFormLayout*>(page(SettingsPage::Lists)->layout());
    listsForm->addRow(new QLabel(QStringLiteral("你的列表（在“播放列表”菜单里）"), lists_));
    listsForm->addRow(lists_);
    connect(lists_, &EntriesEditor::changed, this, &SettingsWindow::check);

    for (const SettingRow& row : settingsTable()) {
        auto* field = new SettingField(row, this);
        auto* form = static_cast<QFormLayout*>(page(row.page)->layout());
        auto* label = new QLabel(QString::fromUtf8(row.label), field);
        label->setBuddy(field->editor());
        if (row.kind == SettingRow::Kind::GuideList) {
            // A heading over the entries, whose own fields are labelled.
            form->addRow(label);
            form->addRow(field);
        } else {
            form->addRow(label, field);
        }
        fields_.push_back(field);
        connect(field, &SettingField::changed, this, &SettingsWindow::check);
    }

    status_ = new QLabel(this);
    status_->setAccessibleName(QStringLiteral("设置状态"));
    status_->setWordWrap(true);
    layout->addWidget(status_);
    // The copy on the left, apart from what closes the window.
    auto* bottom = new QHBoxLayout;
    auto* exportButton = new QPushButton(QStringLiteral("导出设置…"), this);
    auto* importButton = new QPushButton(QStringLiteral("导入设置…"), this);
    bottom->addWidget(exportButton);
    bottom->addWidget(importButton);
    bottom->addStretch();
    auto* buttons = new QDialogButtonBox(this);
    save_ = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    for (QPushButton* button : {exportButton, importButton, save_, cancel}) {
        button->setAccessibleName(button->text().remove(QStringLiteral("…")));
        button->setAutoDefault(false);
    }
    save_->setDefault(true); // Enter saves; Esc cancels
    connect(exportButton, &QPushButton::clicked, this, &SettingsWindow::exportAsked);
    connect(importButton, &QPushButton::clicked, this, &SettingsWindow::importAsked);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (save_->isEnabled())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    bottom->addWidget(buttons);
    layout->addLayout(bottom);
    resize(640, 520);
}

QWidget* SettingsWindow::page(SettingsPage which)
{
    return pages_->findChild<QWidget*>(QStringLiteral("page%1").arg(int(which)));
}

void SettingsWindow::fill(const SettingValues& written, const std::vector<ListRef>& lists)
{
    for (SettingField* field : fields_) {
        const auto found = written.find(QString::fromLatin1(field->row().key));
        field->setValue(found == written.end() ? QString::fromLatin1(field->row().fallback) : found->second);
    }
    std::vector<EntriesEditor::Entry> entries;
    for (const ListRef& list : lists)
        entries.push_back(listEntry(list));
    lists_->setEntries(std::move(entries));
    check();
    // A value written by hand that is not valid: its page first.
    for (const SettingField* field : fields_)
        if (!field->problem().isEmpty()) {
            pages_->setCurrentIndex(int(std::find(std::begin(kPages), std::end(kPages), field->row().page) - std::begin(kPages)));
            break;
        }
}

SettingValues SettingsWindow::values() const
{
    SettingValues values;
    for (const SettingField* field : fields_)
        values[QString::fromLatin1(field->row().key)] = field->value();
    return values;
}

std::vector<ListRef> SettingsWindow::lists() const
{
    std::vector<ListRef> lists;
    for (const EntriesEditor::Entry& entry : lists_->entries())
        lists.push_back(listOf(entry));
    return lists;
}

void SettingsWindow::tell(const QString& text)
{
    status_->setText(text);
}

// 确定 only while every field can be saved; the first that cannot is named.
void SettingsWindow::check()
{
    QString first;
    if (const QString why = lists_->problem(); !why.isEmpty())
        first = QStringLiteral("播放列表：") + why;
    for (const SettingField* field : fields_)
        if (const QString why = field->problem(); first.isEmpty() && !why.isEmpty())
            first = settingsPageTitle(field->row().page) + QStringLiteral(" › ") + QString::fromUtf8(field->row().label) +
                    QStringLiteral("：") + why;
    save_->setEnabled(first.isEmpty());
    save_->setAccessibleDescription(first.isEmpty() ? QString() : QStringLiteral("不能保存：") + first);
    status_->setText(first.isEmpty() ? QString() : QStringLiteral("不能保存：") + first);
}
