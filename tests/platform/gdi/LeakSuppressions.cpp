// fontconfig keeps one small allocation of its own for the life of the process (a bare
// FcFontList shows it); the leak checker must not count it against this suite.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
