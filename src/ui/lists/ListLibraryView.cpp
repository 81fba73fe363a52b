#include "ui/lists/ListLibraryView.h"

#include "ui/lists/ListTexts.h"
#include "ui/MainWindow.h"
#include "core/lists/ListLibrary.h"
#include "ui/lists/ListHeading.h"
#include "sources/ProviderAccount.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

ListLibraryView::ListLibraryView(MainWindow& window, ListLibrary& lists, ListHeading& heading, QString keysHelp)
    : window_(window), lists_(lists), heading_(heading), keysHelp_(std::move(keysHelp))
{
    connect(&lists, &ListLibrary::statusChanged, this, &ListLibraryView::showStatus);
}

void ListLibraryView::addMenu(QMenu& menu)
{
    ListLibrary* library = &lists_;
    QMenu* lists = menu.addMenu(QStringLiteral("播放列表"));
    lists->setAccessibleName(QStringLiteral("播放列表"));
    auto addList = [&](const QString& name, int index) {
        QAction* action = lists->addAction(name, this, [this, index] {
            index == ListLibrary::kLocalList ? lists_.openLocal() : lists_.open(index);
        });
        action->setCheckable(true);
        action->setChecked(library->current() == index);
    };
    if (!library->localList().isEmpty())
        addList(texts::localList(), ListLibrary::kLocalList);
    for (size_t index = 0; index < library->lists().size(); ++index)
        addList(library->lists()[index].name, int(index));
    lists->addSeparator();
    lists->addAction(QStringLiteral("添加列表…"), this, &ListLibraryView::askForNewList);
    QAction* refresh = lists->addAction(QStringLiteral("刷新列表"), this, &ListLibraryView::refresh);
    refresh->setShortcut(QKeySequence(Qt::Key_F5));
    refresh->setEnabled(library->current() != ListLibrary::kNoList);
    QAction* remove = lists->addAction(QStringLiteral("移除此列表"), this, [this] { lists_.remove(lists_.current()); });
    remove->setEnabled(library->current() >= 0);
}

void ListLibraryView::askForNewList()
{
    QDialog dialog(&window_);
    dialog.setWindowTitle(QStringLiteral("添加列表"));
    dialog.setAccessibleName(QStringLiteral("添加列表"));
    auto* form = new QFormLayout(&dialog);
    auto* name = new QLineEdit(&dialog);
    name->setAccessibleName(QStringLiteral("列表名称"));
    auto* address = new QLineEdit(&dialog);
    address->setAccessibleName(QStringLiteral("列表地址"));
    address->setPlaceholderText(QStringLiteral("http://…/list.m3u 或 /路径/列表.txt"));
    address->setMinimumWidth(360);
    // A provider's account: its server, user and password make the list's address.
    auto* kind = new QComboBox(&dialog);
    kind->setAccessibleName(QStringLiteral("列表种类"));
    kind->addItems({QStringLiteral("列表地址"), QStringLiteral("服务商账号")});
    auto* server = new QLineEdit(&dialog);
    server->setAccessibleName(QStringLiteral("服务器"));
    server->setPlaceholderText(QStringLiteral("http://服务器:端口"));
    auto* user = new QLineEdit(&dialog);
    user->setAccessibleName(QStringLiteral("用户名"));
    auto* password = new QLineEdit(&dialog);
    password->setAccessibleName(QStringLiteral("密码"));
    password->setEchoMode(QLineEdit::Password);
    auto* hls = new QCheckBox(QStringLiteral("用 HLS（.m3u8）播放"), &dialog);
    hls->setAccessibleName(QStringLiteral("用 HLS 播放"));
    form->addRow(QStringLiteral("列表名称"), name);
    form->addRow(QStringLiteral("种类"), kind);
    form->addRow(QStringLiteral("列表地址"), address);
    form->addRow(QStringLiteral("服务器"), server);
    form->addRow(QStringLiteral("用户名"), user);
    form->addRow(QStringLiteral("密码"), password);
    form->addRow(QString(), hls);
    const auto isAccount = [kind] { return kind->currentIndex() == 1; };
    const auto written = [=] {
        return isAccount() ? account::listAddress({server->text(), user->text(), password->text()}, hls->isChecked())
                           : address->text();
    };
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(QStringLiteral("取消"));
    const auto update = [=] {
        for (QWidget* field : {static_cast<QWidget*>(server), static_cast<QWidget*>(user),
                               static_cast<QWidget*>(password), static_cast<QWidget*>(hls)})
            form->setRowVisible(field, isAccount());
        form->setRowVisible(address, !isAccount());
        const bool complete = isAccount() ? account::fromListAddress(written()).has_value()
                                          : !address->text().trimmed().isEmpty();
        buttons->button(QDialogButtonBox::Ok)->setEnabled(complete);
    };
    for (QLineEdit* field : {address, server, user, password})
        QObject::connect(field, &QLineEdit::textChanged, &dialog, update);
    QObject::connect(kind, &QComboBox::currentIndexChanged, &dialog, update);
    update();
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() == QDialog::Accepted)
        lists_.addAndOpen(name->text(), written());
}

void ListLibraryView::refresh()
{
    lists_.refresh();
}

// The heading's tooltip goes on with the keys' help; the last refresh shows
// for a moment in place of its text (a check's progress has it meanwhile).
void ListLibraryView::showStatus()
{
    const ListLibrary::Refresh& status = lists_.status();
    heading_.setState(texts::listState(status), keysHelp_);
    heading_.flash(texts::listUpdated(status));
}
