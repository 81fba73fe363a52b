#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// One entry of the play-source list: the name shown and the address played.
struct PlaySource {
    QString name;
    QString address;
    bool operator==(const PlaySource&) const = default;
};

using PlaySourceList = std::vector<PlaySource>;

// What one load produced: the decoded text, its pieces in order, the entries
// paired from them, and the same entries as the two columns the window shows.
struct PlaySourceFile {
    QString text;
    QStringList fields;
    PlaySourceList entries;
    QStringList names;
    QStringList addresses;
    QList<int> headingRows; // the entries that are group headings
    // A drop that brought nothing to list (only pipes and devices, or folders
    // without a playable file): the list shown stays as it is.
    bool keepsCurrentList = false;

    void fillColumns();
};
