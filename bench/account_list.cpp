// A very large provider's account: 60,000 live channels in 600 categories
// (16 MB of JSON, as services send it: numbers as strings, nulls), its
// three answers judged into the list and written as the M3U kept for offline
// starts, as the list loader's thread does it. Beside it, the common way in
// the same run: Python's json module reading the same answers and writing the
// same M3U. Prints "figure subject value" lines. Argument: runs.

#include "sources/ProviderAccount.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kChannels = 60000;
constexpr int kCategories = 600;

const char* const kReference = R"(
import json, sys
folder = sys.argv[1]
login = json.load(open(folder + "/login.json", encoding="utf-8"))
categories = json.load(open(folder + "/categories.json", encoding="utf-8"))
streams = json.load(open(folder + "/streams.json", encoding="utf-8"))
names = {c["category_id"]: c["category_name"] for c in categories}
lines = ["#EXTM3U"]
for s in streams:
    lines.append('#EXTINF:-1 tvg-id="%s" tvg-logo="%s" group-title="%s",%s' % (
        s.get("epg_channel_id") or "", s.get("stream_icon") or "", names.get(s.get("category_id"), "其他"), s["name"]))
    lines.append("http://h/live/u/p/%s.ts" % s["stream_id"])
open(folder + "/list.m3u", "w", encoding="utf-8").write("\n".join(lines))
)";

QByteArray categoriesAnswer()
{
    QByteArray json = "[";
    for (int category = 0; category < kCategories; ++category)
        json += (category ? "," : "") + QByteArray(R"({"category_id":")") + QByteArray::number(category) +
                R"(","category_name":"分类 )" + QByteArray::number(category) + R"(","parent_id":0})";
    return json + "]";
}

QByteArray streamsAnswer()
{
    QByteArray json = "[";
    json.reserve(kChannels * 420);
    for (int channel = 0; channel < kChannels; ++channel) {
        const QByteArray id = QByteArray::number(channel + 1);
        json += (channel ? "," : "") + QByteArray(R"({"num":)") + id + R"(,"name":"频道 )" + id +
                R"( HD","stream_type":"live","stream_id":")" + id + R"(","stream_icon":"http://logo.example/)" + id +
                R"(.png","epg_channel_id":)" + (channel % 5 ? "\"ch" + id + ".example\"" : QByteArray("null")) +
                R"(,"added":"1700000000","category_id":")" + QByteArray::number(channel % kCategories) +
                R"(","custom_sid":null,"tv_archive":)" + (channel % 3 ? "0" : "\"1\"") +
                R"(,"direct_source":"","tv_archive_duration":"7"})";
    }
    return json + "]";
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 3;
    const QByteArray login =
        R"({"user_info":{"auth":1,"status":"Active","exp_date":"1803859200","max_connections":"2"},)"
        R"("server_info":{"timezone":"Europe/Berlin"}})";
    const QByteArray categories = categoriesAnswer();
    const QByteArray streams = streamsAnswer();
    QTemporaryDir folder;
    if (!writeFile(folder.filePath(QStringLiteral("login.json")), login) ||
        !writeFile(folder.filePath(QStringLiteral("categories.json")), categories) ||
        !writeFile(folder.filePath(QStringLiteral("streams.json")), streams)) {
        std::fprintf(stderr, "the answers could not be written\n");
        return 1;
    }
    std::printf("account_answers_mib clipvane %.1f\n", double(streams.size() + categories.size()) / (1024 * 1024));
    const account::Login who{QStringLiteral("http://h"), QStringLiteral("u"), QStringLiteral("p")};
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        const account::Judged judged = account::judge(who, login, categories, streams, false);
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        if (judged.fetched.file.entries.size() < std::size_t(kChannels)) {
            std::fprintf(stderr, "the account gave %zu entries: %s\n", judged.fetched.file.entries.size(),
                         qPrintable(judged.why));
            return 1;
        }
        std::printf("account_list_60000 clipvane %.1f\n", ms);

        clock.restart();
        QProcess python;
        python.start(QStringLiteral("python3"), {QStringLiteral("-c"), QString::fromUtf8(kReference), folder.path()});
        if (!python.waitForFinished(120000) || python.exitCode() != 0) {
            std::fprintf(stderr, "the Python reference failed: %s\n", python.readAllStandardError().constData());
            return 1;
        }
        std::printf("account_list_60000 python_json %.1f\n", double(clock.nsecsElapsed()) / 1e6);
    }
    return 0;
}
