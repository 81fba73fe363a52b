#pragma once

#include <QString>

// What a run that ends by a fatal signal leaves (a crash, abort(), qFatal, a
// failed assertion): `<folder>/crash-<date>-<time>-<pid>.txt` with the
// signal, the version, a backtrace and the program's last log lines. The
// handler writes only what is safe in a signal handler: the file's name, the
// version and the log's last lines are made ready before, and it ends the
// program with the same signal after.
namespace crash {

// Installs the handlers for this process; reports go to `folder`.
void install(const QString& folder, const char* version);
// Keeps a log line, as the log shows it, among the last lines a report carries.
void keepLogLine(const QByteArray& line);
// The newest report in `folder` not told of before, or empty; once told, it
// is not told again.
QString untoldReport(const QString& folder);

} // namespace crash
