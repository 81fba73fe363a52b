// libFuzzer target: what a list's server sends. A provider's three answers
// (login, categories, streams) and a list address, and the whole input as a
// fetched list's body (gzip by its bytes, HTML, binary, cut off). Besides
// crashes, hangs, leaks and undefined behaviour it checks that the copy kept
// for offline starts reads back exactly the list shown, and that an account's
// address made from what was read names the same account.

#include "FuzzRequire.h"
#include "sources/FetchedList.h"
#include "sources/ListLocation.h"
#include "sources/ListWriter.h"
#include "sources/ProviderAccount.h"

#include <cstddef>
#include <cstdint>

namespace {

// The input's parts, split at each "\n--\n".
QList<QByteArray> parts(const QByteArray& bytes)
{
    QList<QByteArray> split;
    qsizetype at = 0;
    for (qsizetype next = bytes.indexOf("\n--\n"); next >= 0; next = bytes.indexOf("\n--\n", at)) {
        split << bytes.sliced(at, next - at);
        at = next + 4;
    }
    split << bytes.sliced(at);
    return split;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QList<QByteArray> answers = parts(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const QByteArray login = answers.value(0), categories = answers.value(1), streams = answers.value(2);
    const QString address = QString::fromUtf8(answers.value(3));

    const account::Login account{QStringLiteral("http://s:80"), QStringLiteral("u"), QStringLiteral("p")};
    for (const bool hls : {false, true}) {
        const account::Judged judged = account::judge(account, login, categories, streams, hls);
        if (!judged.fetched.taken())
            continue;
        const PlaySourceFile kept = readListBytes(judged.fetched.bytes, QStringLiteral("http://s:80/get.php"));
        require(kept.entries == judged.fetched.file.entries);
        require(kept.listTags == judged.fetched.file.listTags);
    }

    // Any body as a fetched list: what is kept of one taken reads back the same.
    const FetchedList fetched = judgeFetchedList(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)),
                                                 QStringLiteral("http://h/lists/tv.m3u"));
    if (fetched.taken())
        require(readListBytes(fetched.bytes, QStringLiteral("http://h/lists/tv.m3u")).entries == fetched.file.entries);

    // An account's address: made again from what was read, the same account.
    const ListLocation location = readListLocation(address);
    if (const std::optional<account::Login> read = account::fromListAddress(location.address)) {
        require(!read->server.isEmpty() && !read->password.isEmpty());
        const QString made = account::listAddress(*read, account::wantsHls(location.address));
        require(account::fromListAddress(made) == read);
        require(!account::fromListAddress(account::withoutPassword(location.address)));
    }
    // A list's place written back reads the same.
    const ListLocation again = readListLocation(writeListLocation(location));
    require(again.address == location.address);
    return 0;
}
