#pragma once

#include "ui/guide/GuideGridCanvas.h"

#include <QTimer>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

// "电视指南": the grid of every channel by time over the video area and the
// list, with a day picker and a search line ("/" from the grid) whose findings
// are listed beside it; Enter on a finding goes to its cell. A window of its
// own above the main window (the video is another program's window); Esc closes it.
class GuideGridWindow final : public QWidget {
    Q_OBJECT
public:
    explicit GuideGridWindow(QWidget& mainWindow);

    void present(GuideGridRows rows, qint64 now, int row, const QRect& area);
    GuideGridCanvas& canvas() { return *canvas_; }
    // A search's findings, as rankedHits lists them, and the names of their channels.
    void showFindings(const std::vector<ProgrammeHit>& hits, const std::function<QString(int entry)>& nameOf,
                      const std::function<bool(const ProgrammeHit&)>& reminded = {});
    QStringList findings() const;
    void closeGrid();

signals:
    void activated(const guidegrid::Cell& cell);
    // The search line's text, once typing pauses.
    void searchAsked(const QString& text);
    // A finding's reminder set or cleared from its menu.
    void reminderAsked(const ProgrammeHit& hit);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showDays();
    void goToFinding(int row);
    void showFindingMenu(const QPoint& at);
    void listFindings();

    QLabel* title_;
    QComboBox* day_;
    QLineEdit* search_;
    QListWidget* results_;
    GuideGridCanvas* canvas_;
    std::vector<ProgrammeHit> hits_;
    std::function<QString(int entry)> nameOf_;
    std::function<bool(const ProgrammeHit&)> reminded_;
    QTimer typingPause_;
    QTimer clock_; // the now line moves on while the grid shows
};
