#include "StartupHandler.h"

#include "ProgramState.h"
#include "ui/HandlerContext.h"

namespace {
constexpr int kCachingMs = 300;
}

void OnMainWindowCreated(HandlerContext& context)
{
    context.state.CachingMs = kCachingMs;
}
