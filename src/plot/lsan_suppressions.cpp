// PLplot loads its drivers through libltdl and the cairo drivers find fonts through
// fontconfig; both keep those allocations until the process ends, which LeakSanitizer
// would report as leaks of every program that draws.
extern "C" const char *__lsan_default_suppressions() {
    return "leak:libltdl.so\n"
           "leak:libfontconfig.so\n";
}

// Without the table of suppressions used, which would end up on standard error.
extern "C" const char *__lsan_default_options() { return "print_suppressions=0"; }
