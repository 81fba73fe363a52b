#pragma once

#include <QRect>
#include <QString>

class QObject;
class QWidget;

enum class CursorKind { Arrow, Hand };

// The eight properties that every control kind shares. Visual kinds keep their
// geometry, visibility, enabled state and cursor in their widget; the others
// (timer, drop target, tip component) only store the values.
class Control {
public:
    static constexpr int kCoordinateLimit = 32627;

    Control() = default;
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    QString name() const;

    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetLeft(int value);
    void SetTop(int value);
    void SetWidth(int value);
    void SetHeight(int value);
    void SetRect(const QRect& rect);
    QRect Rect() const;

    // A copy; an unset tag reads as empty text.
    QString Tag() const { return tag_; }
    void SetTag(const QString& tag) { tag_ = tag; }

    bool Visible() const;
    void SetVisible(bool visible);
    bool Disabled() const;
    void SetDisabled(bool disabled);
    CursorKind Cursor() const { return cursor_; }
    void SetCursor(CursorKind cursor);

    virtual QObject& object() = 0;
    const QObject& object() const { return const_cast<Control*>(this)->object(); }
    // The widget of a visual kind, null for the non-visual kinds.
    virtual QWidget* widget() { return nullptr; }
    const QWidget* widget() const { return const_cast<Control*>(this)->widget(); }

    static int clampPosition(int value);
    static int clampExtent(int value);

private:
    QRect storedRect_;
    QString tag_;
    bool visible_ = true;
    bool disabled_ = false;
    CursorKind cursor_ = CursorKind::Arrow;
};
