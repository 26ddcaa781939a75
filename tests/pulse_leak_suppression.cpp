// Linked into the window tests: Qt's media backend loads the sound system's
// client library, which keeps some of its allocations until the process
// ends (also when it finds no sound server). Only sanitizer builds read this.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libpulse.so\n";
}
