// A library that loads but defines no principal class at all.
extern "C" __attribute__((visibility("default"))) int kep_bare_library_answer() { return 42; }
