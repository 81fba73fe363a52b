#pragma once

#include "Control.h"

#include <QObject>

class QMimeData;
class QWidget;

// Receiver of drag-and-drop for a window and everything in it. It takes only
// the kinds of data its flags allow; a drop of files raises filesDropped with one
// text: a single file's full path, or every path followed by CR LF.
class DropTarget final : public QObject, public Control {
    Q_OBJECT
public:
    struct Accepts {
        bool text = false;
        bool links = false;
        bool html = false;
        bool files = false;
    };

    explicit DropTarget(QObject* parent = nullptr);

    QObject& object() override { return *this; }

    void setAccepts(Accepts accepts) { accepts_ = accepts; }
    Accepts accepts() const { return accepts_; }

    // False when already registered, or when there is no window.
    bool registerOn(QWidget* window);
    bool isRegistered() const { return window_ != nullptr; }

    bool accepts(const QMimeData& data) const;
    static QStringList localFiles(const QMimeData& data);
    static QString filesPayload(const QStringList& paths);

signals:
    void filesDropped(const QString& payload);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Accepts accepts_;
    QWidget* window_ = nullptr;
};
