#include "HttpStreamReader.h"
#include "RtspReader.h"

// The two symbols the module shows, one per reader: the program looks them up by name.
extern "C" Q_DECL_EXPORT StreamReader* clipvane_make_rtsp_reader(const char* addressUtf8)
{
    return new RtspReader(QString::fromUtf8(addressUtf8));
}

extern "C" Q_DECL_EXPORT StreamReader* clipvane_make_http_reader(const char* addressUtf8, const char* userAgentUtf8,
                                                                 const char* referrerUtf8)
{
    return new HttpStreamReader(QString::fromUtf8(addressUtf8), QString::fromUtf8(userAgentUtf8),
                                QString::fromUtf8(referrerUtf8));
}
