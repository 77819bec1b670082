// The main of every test executable: GoogleTest, plus the modal-box
// watchdog on Windows so that no GUI test can hang on a box.
#include <gtest/gtest.h>

#ifdef _WIN32
#include "tests/support/modal_watchdog.h"
#endif

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
#ifdef _WIN32
  StartModalWatchdog();
#endif
  return RUN_ALL_TESTS();
}
