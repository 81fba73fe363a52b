#include "PlaySourceLoader.h"

#include "PlaySourceText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace

PlaySourceLoader::PlaySourceLoader(QObject* parent) : QObject(parent)
{
    pool_.setMaxThreadCount(1);
}

PlaySourceLoader::~PlaySourceLoader()
{
    pool_.clear();
    pool_.waitForDone();
}

PlaySourceFile PlaySourceLoader::readListFile(const QString& path)
{
    return parsePlaySourceBytes(readAll(path));
}

PlaySourceFile PlaySourceLoader::readDropped(const QStringList& paths)
{
    PlaySourceFile all;
    for (const QString& path : paths) {
        const QByteArray bytes = readAll(path);
        if (looksLikeBinaryFile(bytes)) {
            const QString full = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
            all.fields << QFileInfo(path).fileName() << full;
            all.entries.push_back({QFileInfo(path).fileName(), full});
            continue;
        }
        PlaySourceFile one = parsePlaySourceBytes(bytes);
        all.text += one.text;
        all.fields += one.fields;
        all.entries.insert(all.entries.end(), one.entries.begin(), one.entries.end());
    }
    return all;
}

template <class Read>
std::uint64_t PlaySourceLoader::start(Read read)
{
    const std::uint64_t generation = ++generation_;
    pool_.clear(); // a load not yet started is superseded
    pool_.start([this, generation, read] {
        PlaySourceFile result = read();
        result.fillColumns();
        QMetaObject::invokeMethod(
            this,
            [this, generation, result = std::move(result)] {
                if (generation == generation_)
                    emit loaded(generation, result);
            },
            Qt::QueuedConnection);
    });
    return generation;
}

std::uint64_t PlaySourceLoader::load(const QString& path)
{
    return start([path] { return readListFile(path); });
}

std::uint64_t PlaySourceLoader::loadDropped(const QStringList& paths)
{
    return start([paths] { return readDropped(paths); });
}
