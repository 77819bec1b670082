#pragma once
// The program's commands, menus, accelerators and bar item lists, as the
// main window registers them at start-up.
#include <cstdint>

// Results of RegisterProgramCommands: the first failure ends it.
enum : int {
  kRegisterImagesFailed = 41,
  kRegisterCommandsFailed = 42,
  kRegisterMenusFailed = 43,
};

// The command images, then every command, then the menus. 0, or the code of
// the first failure (the rest is then skipped).
int RegisterProgramCommands();
// The program's keyboard shortcuts, for any framework window.
void RegisterProgramAccelerators();

// The four bars' items: 61440 a separator, 61441 the flexible gap, 65535 ends.
extern const uint16_t kMenuBarItems[];
extern const uint16_t kToolbarItems[];
extern const uint16_t kDrawBarItems[];
extern const uint16_t kInfoBarItems[];
