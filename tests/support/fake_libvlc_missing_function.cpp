// Stands in for libvlc.so.5 in tests: libvlc_new and its log work, libvlc_media_player_new is missing.
extern "C" void* libvlc_new(int, const char* const*)
{
    static int instance;
    return &instance;
}

extern "C" void libvlc_release(void*) {}
extern "C" void libvlc_log_set(void*, void*, void*) {}
extern "C" void libvlc_log_unset(void*) {}
