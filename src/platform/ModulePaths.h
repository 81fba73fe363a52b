#pragma once

#include <QString>
#include <QStringList>

// Where a module of the program may be, in the order to try: the file the
// environment variable names (the tests name theirs), beside the program (the
// build), and under lib/clipvane beside its bin folder (installed).
QStringList modulePaths(const QString& programFolder, const QString& fileName, const char* environmentVariable);

class SharedLibrary;
// Opens the first of `paths` that opens; false, with each path's failure
// (one a line) in `why`, when none does.
bool openFirstModule(SharedLibrary& library, const QStringList& paths, QString* why);
