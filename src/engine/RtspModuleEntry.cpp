#include "RtspReader.h"

// The one symbol the module shows: the program looks it up by name.
extern "C" Q_DECL_EXPORT StreamReader* clipvane_make_rtsp_reader(const char* addressUtf8)
{
    return new RtspReader(QString::fromUtf8(addressUtf8));
}
