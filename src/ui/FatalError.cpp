#include "FatalError.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>

#include <chrono>
#include <cstdio>
#include <semaphore>
#include <thread>
#include <unistd.h>

namespace {

void showBox(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("错误"), text, QMessageBox::Ok);
    box.exec();
}

} // namespace

void sayPlayerIsMissing()
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("错误"),
                    QStringLiteral("播放引擎无法启动：libvlc 没有创建实例，可能找不到它的插件。\n"
                                   "节目单仍可使用，但不能播放。"),
                    QMessageBox::Ok);
    box.setAccessibleName(QStringLiteral("错误"));
    box.exec();
}

void showFatalErrorAndExit(const QString& text)
{
    // Also on stderr: the box may never be seen, on a machine without a display.
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (app && QThread::currentThread() == app->thread()) {
        showBox(text);
    } else if (app) {
        // The window's thread shows it; if that thread is itself waiting for this
        // one, give up on the box after a while rather than hang.
        static std::binary_semaphore shown{0};
        QMetaObject::invokeMethod(
            app,
            [text] {
                showBox(text);
                shown.release();
            },
            Qt::QueuedConnection);
        (void)shown.try_acquire_for(std::chrono::minutes(5));
    }
    _exit(-1);
}

void tellLastRunEndedBadly(QWidget& window, const QString& report)
{
    auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("上次运行异常结束"),
                                QStringLiteral("澄影播放器上次运行时异常结束。报告已保存在：\n%1").arg(report),
                                QMessageBox::Ok, &window);
    box->setAccessibleName(QStringLiteral("异常结束"));
    box->button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    box->button(QMessageBox::Ok)->setAccessibleName(QStringLiteral("确定"));
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}
