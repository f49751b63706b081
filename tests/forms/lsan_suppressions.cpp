// The update window's drawn buttons lay out text with pango, which loads
// fontconfig's configuration and caches once per process and never frees
// them: not leaks of this program. The leak checker of sanitizer builds
// reads this list.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
