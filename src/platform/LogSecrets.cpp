#include "LogSecrets.h"

#include "CrashReport.h"

#include <QStringList>
#include <QUrl>

#include <cstdio>
#include <mutex>

namespace {

constexpr qsizetype kShortest = 4;

std::mutex& secretsLock()
{
    static std::mutex lock;
    return lock;
}

QStringList& secrets()
{
    static QStringList words;
    return words;
}

QtMessageHandler& previousHandler()
{
    static QtMessageHandler previous = nullptr;
    return previous;
}

void filterMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const QString shown = withSecretsHidden(message);
    crash::keepLogLine(qFormatLogMessage(type, context, shown).toLocal8Bit());
    if (QtMessageHandler previous = previousHandler())
        previous(type, context, shown);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, shown)));
}

} // namespace

void hideInLog(const QString& secret)
{
    if (secret.size() < kShortest)
        return;
    const std::lock_guard lock(secretsLock());
    const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(secret));
    for (const QString& word : {secret, encoded})
        if (!secrets().contains(word))
            secrets() << word;
}

QString withSecretsHidden(const QString& message)
{
    const std::lock_guard lock(secretsLock());
    QString shown = message;
    for (const QString& word : secrets())
        shown.replace(word, QStringLiteral("***"));
    return shown;
}

void installLogSecretFilter()
{
    static std::once_flag installed;
    std::call_once(installed, [] { previousHandler() = qInstallMessageHandler(filterMessage); });
}
