#include "GuideService.h"

// The one symbol the module shows: the program looks it up by name.
extern "C" Q_DECL_EXPORT ProgrammeGuide* clipvane_make_programme_guide(const char* cacheFolderUtf8)
{
    return new GuideService(QString::fromUtf8(cacheFolderUtf8));
}
