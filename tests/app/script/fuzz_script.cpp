// Script text from any bytes. The check pass never reads past the text and
// names a line that exists; a text it passes (balanced) runs without a
// syntax, loop or profile-check failure: only what a profile itself returns
// can still end the run.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/script/script_engine.h"
#include "tests/app/script/script_host_fake.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  int32_t lines = 1;
  for (char c : text) {
    if (c == '\0') break;  // the text ends at its first zero
    lines += c == '\n';
  }
  CFakeScriptHost host;
  host.profiles = {{"A", 0}, {"B", 36}, {"C", 0}};
  host.results = {{"C", 0x70006}};
  ScriptRun run;
  BeginScriptRun(&run, text.c_str());
  const uint32_t checked = RunScriptPass(&run, true, &host);
  if (checked != 0 && checked != 18 && checked != 34 && checked != 35 && checked != 36)
    __builtin_trap();
  if (run.iLine < 1 || run.iLine > lines || !host.log.empty()) __builtin_trap();
  if (checked != 0 || run.iLoopBalance != 0) return 0;

  BeginScriptRun(&run, text.c_str());
  host.budget = 5000;  // loops and waits end when the host says so
  const uint32_t result = RunScriptPass(&run, false, &host);
  if (result != 0 && result != 0x70006) __builtin_trap();
  if (run.iLine < 1 || run.iLine > lines) __builtin_trap();
  if (run.iLoopDepth < 0 || run.iLoopDepth > kMaxScriptLoops) __builtin_trap();
  return 0;
}
