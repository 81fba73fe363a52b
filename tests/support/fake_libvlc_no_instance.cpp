// Stands in for libvlc.so.5 in tests: a library whose libvlc_new gives no instance.
extern "C" void* libvlc_new(int, const char* const*)
{
    return nullptr;
}
