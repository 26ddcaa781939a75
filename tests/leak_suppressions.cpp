// Linked into the window tests. Qt's media backend loads the sound system's
// client library, and its platform plugin on X the message-bus library; both
// keep some of their allocations until the process ends. Only sanitizer
// builds read this.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libpulse.so\n"
           "leak:libdbus-1.so\n";
}
