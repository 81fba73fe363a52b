// libFuzzer target: a settings copy brought from elsewhere, as bytes. Besides
// crashes, hangs, leaks and undefined behaviour it checks that a copy taken
// writes out and reads back the same, that compared with itself it changes
// nothing, and that a copy written without passwords holds none.

#include "FuzzRequire.h"
#include "core/settings/SettingsCopy.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const SettingsCopyRead read = readSettingsCopy(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    require(read.copy.has_value() != read.refused.has_value());
    if (!read.copy)
        return 0;
    SettingsCopy copy = *read.copy;
    const SettingsCopyRead again = readSettingsCopy(settingsCopyJson(copy));
    require(again.copy && *again.copy == copy);
    const CopyChanges none = changesBetween(copy, copy);
    require(!none.settings.any() && !none.lists.any() && !none.favourites.any() && !none.firstAddresses.any() &&
            !none.pictures.any() && !none.lastChannel);
    leaveOutAccountPasswords(copy);
    require(!holdsAccountPasswords(copy));
    return 0;
}
