#pragma once

#include "core/ProgrammeGuide.h"

#include <QWidget>

#include <vector>

class QLabel;
class QListWidget;

// A channel's programmes by day, over the video area: those before now
// greyed, the one on now marked and brought into view. A window of its own
// above the main window (the video is another program's window); Esc or G
// closes it.
class ProgrammeSchedule final : public QWidget {
    Q_OBJECT
public:
    explicit ProgrammeSchedule(QWidget& mainWindow);

    void present(const QString& name, const std::vector<Programme>& programmes, qint64 now, const QRect& area);
    // The rows as shown: day headings and "19:00–19:30  新闻联播".
    QStringList rows() const;
    // The row of the programme on now; -1 when none is on.
    int currentRow() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* title_;
    QListWidget* list_;
};
