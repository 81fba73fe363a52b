// libFuzzer target: arbitrary bytes through the play-source decoder and cutter.
// Besides crashes, hangs and leaks it checks what every load must keep true.

#include "sources/PlaySourceText.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    PlaySourceFile file = parsePlaySourceBytes(bytes);
    file.fillColumns();
    const auto entries = qsizetype(file.entries.size());
    if (entries != (file.fields.size() + 1) / 2 || file.names.size() != entries || file.addresses.size() != entries)
        __builtin_trap();
    // Pieces never hold a separator.
    for (const QString& field : file.fields)
        if (field.contains(u',') || field.contains(u'\n'))
            __builtin_trap();
    (void)looksLikeBinaryFile(bytes);
    return 0;
}
