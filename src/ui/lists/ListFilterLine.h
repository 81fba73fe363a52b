#pragma once

#include <QLineEdit>

// The line that finds a channel: it lies over the list's heading, in the
// skin's colours, and follows the heading wherever the layout puts it (and
// hides with it when the list panel is hidden).
class ListFilterLine final : public QLineEdit {
    Q_OBJECT
public:
    ListFilterLine(QWidget& heading, QWidget& window);

    // Shows the line over the heading and gives it the keyboard.
    void open();
    // Empties and hides the line.
    void close();

signals:
    void accepted();  // Enter
    void abandoned(); // Esc

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget& heading_;
};
