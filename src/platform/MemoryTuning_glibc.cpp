#include "MemoryTuning.h"

#include <malloc.h>

#include <cstdlib>

void limitAllocatorArenas()
{
    // glibc makes a heap (an arena) for each thread that allocates while the
    // others are busy, up to eight per core, and never returns them: libvlc's
    // input, decoder and output threads, new for every channel, left the
    // player hundreds of megabytes larger after a few hundred switches.
    // MALLOC_ARENA_MAX set by the user still wins.
    if (!std::getenv("MALLOC_ARENA_MAX"))
        mallopt(M_ARENA_MAX, 2);
}

void returnFreedMemory()
{
    malloc_trim(0);
}
