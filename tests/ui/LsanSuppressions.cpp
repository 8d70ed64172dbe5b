// Leak-checker suppressions for the GUI test program. Fontconfig keeps its
// font cache for the life of the process by design; Qt's offscreen platform
// loads it with the first text drawn, so every window test would otherwise
// report it.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
