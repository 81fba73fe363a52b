#pragma once

#include "Color.h"
#include "Control.h"

#include <QFont>
#include <QWidget>

// Transparent label: draws only its caption, so the parent and the controls
// below show through. Presses are taken (they do not drag the window).
class TransLabel final : public QWidget, public Control {
    Q_OBJECT
public:
    enum class HAlign { Left = 0, Center = 1, Right = 2 };
    enum class VAlign { Top = 0, Center = 1, Bottom = 2 };
    enum class Effect { None = 0, WhiteShadow = 1, Engraved = 2, BlackShadow = 3 };

    explicit TransLabel(QWidget* parent = nullptr);

    QObject& object() override { return *this; }
    QWidget* widget() override { return this; }

    QString caption() const { return caption_; }
    void setCaption(const QString& caption);
    void setTextColor(Rgb color);
    Rgb textColor() const { return color_; }
    void setCaptionFont(const QFont& font);
    void setAlignment(HAlign horizontal, VAlign vertical);
    void setWordWrap(bool wrap);
    void setEffect(Effect effect);

signals:
    void leftPressed(QPoint position, Qt::KeyboardModifiers keys);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void drawCaption(QPainter& painter, const QRect& area, const QColor& color) const;

    QString caption_;
    Rgb color_ = 0;
    HAlign horizontal_ = HAlign::Left;
    VAlign vertical_ = VAlign::Top;
    bool wordWrap_ = false;
    Effect effect_ = Effect::None;
};
