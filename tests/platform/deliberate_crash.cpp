// Writes through a null pointer. The Windows build's `crash_fails` test expects
// this program to fail: it proves that a crash in a test program is reported as a
// failure where the tests run (under Wine, only with its crash debugger off).
#include <cstdio>

int main(int argc, char**) {
  volatile int* volatile nowhere = nullptr;
  std::puts("crashing on purpose");
  std::fflush(stdout);
  if (argc > 0) *nowhere = 1;
  return 0;
}
