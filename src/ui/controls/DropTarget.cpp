#include "DropTarget.h"

#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

DropTarget::DropTarget(QObject* parent) : QObject(parent) {}

bool DropTarget::registerOn(QWidget* window)
{
    if (window_ || !window)
        return false;
    window_ = window;
    // Children accept no drops of their own, so Qt hands every drop in the
    // window up to it, whichever control lies under the pointer.
    window->setAcceptDrops(true);
    window->installEventFilter(this);
    return true;
}

QStringList DropTarget::localFiles(const QMimeData& data)
{
    QStringList paths;
    if (!data.hasUrls())
        return paths;
    for (const QUrl& url : data.urls()) {
        if (url.isLocalFile())
            paths.append(QDir::toNativeSeparators(url.toLocalFile()));
    }
    return paths;
}

QString DropTarget::filesPayload(const QStringList& paths)
{
    if (paths.size() == 1)
        return paths.first();
    QString payload;
    for (const QString& path : paths)
        payload += path + QStringLiteral("\r\n");
    return payload;
}

bool DropTarget::accepts(const QMimeData& data) const
{
    if (accepts_.files && !localFiles(data).isEmpty())
        return true;
    if (accepts_.links && data.hasUrls())
        return true;
    if (accepts_.html && data.hasHtml())
        return true;
    return accepts_.text && data.hasText();
}

bool DropTarget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != window_)
        return false;
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (drag->mimeData() && accepts(*drag->mimeData()))
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!drop->mimeData() || !accepts(*drop->mimeData())) {
            drop->ignore();
            return true;
        }
        drop->acceptProposedAction();
        const QStringList files = accepts_.files ? localFiles(*drop->mimeData()) : QStringList();
        if (!files.isEmpty())
            emit filesDropped(filesPayload(files));
        return true;
    }
    default:
        return false;
    }
}
