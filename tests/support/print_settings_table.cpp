// Prints the README's table of settings from the program's own table.

#include "core/settings/SettingsTable.h"

#include <cstdio>

int main()
{
    std::fputs(settingsTableMarkdown().toUtf8().constData(), stdout);
    return 0;
}
