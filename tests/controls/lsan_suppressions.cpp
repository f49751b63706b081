// fontconfig keeps its configuration and font caches for the whole process
// (pango loads them on the first text layout) and never frees them: not
// leaks of this program. The leak checker of sanitizer builds reads this list.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
