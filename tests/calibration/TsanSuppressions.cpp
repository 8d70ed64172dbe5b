// Thread-checker suppressions for the window tests. Qt's own libraries are
// not built with the checker, so the synchronisation inside its thread pool
// (which the confirmation dialog's fonts and icons use) cannot be seen and
// its allocations look like races; the program's own threads are checked.
extern "C" const char* __tsan_default_suppressions();
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libQt6Core.so.6\n"
           "called_from_lib:libQt6Gui.so.6\n"
           "called_from_lib:libQt6Widgets.so.6\n"
           "race:QWaitCondition\n"
           "race:QThreadPool\n";
}
