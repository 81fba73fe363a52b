#pragma once

#include <QString>

class MainWindow;
class TransLabel;

// The list's heading, which several things say something on: its own text,
// a check's progress in its place while the check runs, the last refresh for
// a moment (never over a check's progress), and its tooltip.
class ListHeading {
public:
    explicit ListHeading(MainWindow& window);

    // A check's progress, until `restore`.
    void showProgress(int done, int total);
    // The heading's own text again.
    void restore();
    // `text` for a while in place of the heading's own text, unless a check's progress shows.
    void flash(const QString& text);
    // Where the list stands, on the tooltip and the accessible description,
    // followed by the keys' help.
    void setState(const QString& state, const QString& keysHelp);

private:
    void keepOwnText();

    MainWindow& window_;
    TransLabel& label_;
    QString ownText_;      // the heading's own text, while another shows
    bool progress_ = false; // a check's progress shows
};
