#include "ui/settings/SettingsView.h"

#include "ui/MainWindow.h"
#include "ui/settings/SettingsWindow.h"
#include "core/lists/ListLibrary.h"
#include "core/settings/UserSettings.h"
#include "core/settings/SettingsCopy.h"
#include "ui/settings/SettingsTexts.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSaveFile>
#include <QThreadPool>

#include <functional>
#include <optional>

namespace {

// Runs `work` on the thread pool and hands its answer to `done` on the
// window's thread, while `window` is still there.
template <class Answer>
void offThread(SettingsWindow* window, std::function<Answer()> work, std::function<void(SettingsWindow&, Answer)> done)
{
    QThreadPool::globalInstance()->start([window = QPointer<SettingsWindow>(window), work = std::move(work),
                                          done = std::move(done)]() mutable {
        Answer answer = work();
        QMetaObject::invokeMethod(QCoreApplication::instance(), [window, done = std::move(done), answer = std::move(answer)]() mutable {
            if (window)
                done(*window, std::move(answer));
        });
    });
}

QString writeCopyFile(const QString& path, const QByteArray& json)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(json) != json.size() || !file.commit())
        return file.errorString();
    return {};
}

void exportCopy(const UserSettings& settings, SettingsWindow& window)
{
    SettingsCopy copy = copyOf(settings);
    // What the window shows, saved or not.
    for (const auto& [key, value] : window.values())
        if (const SettingRow* row = settingRow(key); row && settingProblem(*row, value).isEmpty())
            copy.settings[key] = value;
    copy.lists.clear();
    for (const ListRef& list : window.lists())
        if (!list.address.isEmpty())
            copy.lists.push_back(list);
    // A provider's account's password goes into the file only when the user says so.
    if (holdsAccountPasswords(copy)) {
        QMessageBox ask(QMessageBox::Question, QStringLiteral("导出设置"),
                        QStringLiteral("列表里有服务商账号，地址里带着密码。导出的文件要带上密码吗？\n"
                                       "不带密码的话，在另一台电脑上导入后要重新填写密码。"),
                        QMessageBox::NoButton, &window);
        ask.setAccessibleName(QStringLiteral("导出密码"));
        QPushButton* with = ask.addButton(QStringLiteral("带上密码"), QMessageBox::AcceptRole);
        QPushButton* without = ask.addButton(QStringLiteral("不带密码"), QMessageBox::AcceptRole);
        QPushButton* cancel = ask.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
        for (QPushButton* button : {with, without, cancel})
            button->setAccessibleName(button->text());
        ask.setDefaultButton(without);
        ask.setEscapeButton(cancel);
        ask.exec();
        if (ask.clickedButton() == cancel || !ask.clickedButton())
            return;
        if (ask.clickedButton() == without)
            leaveOutAccountPasswords(copy);
    }
    const QString suggested = QDir::home().filePath(
        QStringLiteral("clipvane-settings-%1.json").arg(QDate::currentDate().toString(Qt::ISODate)));
    const QString path = QFileDialog::getSaveFileName(&window, QStringLiteral("导出设置"), suggested,
                                                      QStringLiteral("澄影设置 (*.json)"));
    if (path.isEmpty())
        return;
    offThread<QString>(
        &window, [path, json = settingsCopyJson(copy)] { return writeCopyFile(path, json); },
        [path](SettingsWindow& window, const QString& failed) {
            window.tell(failed.isEmpty() ? QStringLiteral("已导出到 ") + QDir::toNativeSeparators(path)
                                         : QStringLiteral("没能导出：") + failed);
        });
}

// Which way a copy comes in, asked with what each would change; none when the user cancels.
std::optional<ImportMode> askMode(SettingsWindow& window, const SettingsCopy& here, const SettingsCopyRead& read)
{
    const SettingsCopy& brought = *read.copy;
    QString text = QStringLiteral("替换：%1\n合并：%2\n\n替换用文件里的设置、列表和收藏取代现有的；合并保留现有的，只加上文件里多出的。")
                       .arg(texts::copyChanges(changesBetween(here, combined(here, brought, ImportMode::Replace))),
                            texts::copyChanges(changesBetween(here, combined(here, brought, ImportMode::Merge))));
    if (!read.leftOut.isEmpty())
        text += QStringLiteral("\n\n这台电脑上用不了、不会导入的：\n") + read.leftOut.join(u'\n');
    QMessageBox ask(QMessageBox::Question, QStringLiteral("导入设置"), text, QMessageBox::NoButton, &window);
    ask.setAccessibleName(QStringLiteral("导入设置"));
    QPushButton* replace = ask.addButton(QStringLiteral("替换"), QMessageBox::AcceptRole);
    QPushButton* merge = ask.addButton(QStringLiteral("合并"), QMessageBox::AcceptRole);
    QPushButton* cancel = ask.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    for (QPushButton* button : {replace, merge, cancel})
        button->setAccessibleName(button->text());
    ask.setDefaultButton(merge);
    ask.setEscapeButton(cancel);
    ask.exec();
    if (ask.clickedButton() == replace)
        return ImportMode::Replace;
    if (ask.clickedButton() == merge)
        return ImportMode::Merge;
    return std::nullopt;
}

} // namespace

void SettingsView::importCopy(SettingsWindow& window)
{
    const QString path = QFileDialog::getOpenFileName(&window, QStringLiteral("导入设置"), QDir::homePath(),
                                                      QStringLiteral("澄影设置 (*.json);;所有文件 (*)"));
    if (path.isEmpty())
        return;
    offThread<SettingsCopyRead>(
        &window, [path] { return readSettingsCopyFile(path); },
        [this](SettingsWindow& window, SettingsCopyRead read) {
            if (!read.copy) {
                const QString why = texts::copyRefusal(*read.refused);
                window.tell(QStringLiteral("没有导入：") + why);
                QMessageBox refused(QMessageBox::Warning, QStringLiteral("导入设置"),
                                    QStringLiteral("没有导入，什么也没改：\n") + why, QMessageBox::NoButton, &window);
                refused.setAccessibleName(QStringLiteral("没有导入"));
                refused.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole)->setAccessibleName(QStringLiteral("确定"));
                refused.exec();
                return;
            }
            UserSettings& settings = settings_;
            const SettingsCopy here = copyOf(settings);
            const std::optional<ImportMode> mode = askMode(window, here, read);
            if (!mode)
                return;
            const SettingsCopy after = combined(here, *read.copy, *mode);
            writeCopy(settings, after);
            emit changed();
            window.fill(settings.written(), settings.lists());
            window.tell(QStringLiteral("已导入：") + texts::copyChanges(changesBetween(here, after)));
        });
}

SettingsView::SettingsView(MainWindow& window, UserSettings& settings, ListLibrary& lists)
    : window_(window), settings_(settings), lists_(lists)
{
}

void SettingsView::show()
{
    if (auto* open = window_.findChild<SettingsWindow*>()) {
        open->raise();
        open->activateWindow();
        return;
    }
    auto* window = new SettingsWindow(&window_);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->fill(settings_.written(), settings_.lists());
    connect(window, &SettingsWindow::exportAsked, window, [this, window] { exportCopy(settings_, *window); });
    connect(window, &SettingsWindow::importAsked, window, [this, window] { importCopy(*window); });
    connect(window, &QDialog::accepted, this, [this, window] {
        settings_.save(window->values());
        lists_.replaceLists(window->lists());
        emit changed();
    });
    window->open();
}
