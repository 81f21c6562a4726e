// fontconfig, Pango and Cairo keep process-wide font caches until exit by design, and freeing
// them (FcFini and friends) aborts while Pango's loader thread still holds them; the leak
// checker is told to ignore allocations made inside those libraries.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n"
         "leak:libpango-1.0.so\n"
         "leak:libpangoft2-1.0.so\n"
         "leak:libpangocairo-1.0.so\n"
         "leak:libcairo.so\n"
         "leak:libharfbuzz.so\n"
         "leak:libfreetype.so\n";
}
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
