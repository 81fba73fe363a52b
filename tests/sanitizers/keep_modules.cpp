// Loaded first into the tests of an AddressSanitizer build: libraries are
// never unloaded. libvlc unloads its plugins (and with them Mesa's drivers
// and libplacebo) before LeakSanitizer reports at exit; what they still hold
// then shows with no module to tell whose it is, nor to suppress it by. Kept
// mapped, their globals stay roots as in any running process, and what they
// really lose is named by its library (tests/sanitizers/lsan.supp).
extern "C" int dlclose(void*)
{
    return 0;
}
