#pragma once

#include <QColor>
#include <QList>
#include <QPair>
#include <QString>

class Program;

// Drives the real program's window as a user would, for the tests that play:
// fills the list, double-clicks entries, reads the title and the colour in
// the middle of the video area from the X server.
class ProgramDriver {
public:
    explicit ProgramDriver(Program& program) : program_(program) {}

    void setEntries(const QList<QPair<QString, QString>>& entries);
    void doubleClickEntry(int index);
    QString title() const;
    QString titleTip() const;
    QColor videoColour() const;
    // Waits until the middle of the video area shows the colour.
    bool videoTurns(const QColor& colour, int timeoutMs) const;
    // Waits until the picture has turned from one colour to the other and
    // back `times` times: a picture that moves, not a frozen one.
    bool videoAlternates(const QColor& one, const QColor& other, int times, int timeoutMs) const;
    // Waits until nothing is left to do on the players' thread and no player plays.
    bool waitUntilStopped() const;

private:
    Program& program_;
};
