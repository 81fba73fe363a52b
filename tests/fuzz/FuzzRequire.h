#pragma once

// A property a fuzz target checks: broken, the run stops here and libFuzzer
// keeps the input that broke it.
inline void require(bool condition)
{
    if (!condition)
        __builtin_trap();
}
