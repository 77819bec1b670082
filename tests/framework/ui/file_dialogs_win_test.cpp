// The common save dialog answered by a user typing a name.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "framework/ui/dialog_helpers_win.h"
#include "framework/ui/file_filter.h"
#include "tests/framework/ui/ui_harness_win.h"
#include "tests/support/file_dialog_win.h"
#include "tests/support/modal_watchdog.h"
#include "tests/support/test_paths.h"

namespace {

struct Typist {
  int dialogsSeen = 0;
  std::string firstField;
  volatile bool done = false;  // the dialog function returned
};

// Types "name" into every file dialog that shows up, then OK.
DWORD WINAPI TypeName(LPVOID parameter) {
  Typist* typist = static_cast<Typist*>(parameter);
  HWND last = nullptr;
  for (int i = 0; i < 3000 && !typist->done; ++i) {
    HWND dialog = FindOwnFileDialog();
    if (!dialog || dialog == last) {
      Sleep(10);
      continue;
    }
    // The dialog may show before it fills its name field; a field that stays
    // empty is read as it is.
    char field[MAX_PATH] = {};
    for (int j = 0; j < 300 && !GetDlgItemTextA(dialog, kFileDialogNameField, field, sizeof(field)); ++j)
      Sleep(10);
    if (typist->dialogsSeen == 0) typist->firstField = field;
    ++typist->dialogsSeen;
    SetDlgItemTextA(dialog, kFileDialogNameField, "name");
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    last = dialog;
    for (int j = 0; j < 300 && IsWindow(dialog); ++j) Sleep(10);
  }
  return 0;
}

const char kFilters[] = "Bitmap (*.bmp)\0*.bmp\0Profile (*.bwp)\0*.BWP\0All files\0*.*\0";

std::string Lower(std::string text) {
  for (char& c : text) c = char(tolower(static_cast<unsigned char>(c)));
  return text;
}

TEST(SaveDialog, ATypedNameComesBackWithItsFolderAndFilter) {
  SetUpFramework();
  CModalWatchdogPause dialogsAreExpected;
  std::string folder = TestOutputPath("saves");
  CreateDirectoryA(folder.c_str(), nullptr);
  char folderBuffer[MAX_PATH];
  snprintf(folderBuffer, sizeof(folderBuffer), "%s", folder.c_str());
  Typist typist;
  HANDLE thread = CreateThread(nullptr, 0, TypeName, &typist, 0, nullptr);
  int chosen = -1;
  const char* path = GetFileNameDialog(true, kFilters, 1, &chosen, folderBuffer, "start.bwp");
  typist.done = true;
  WaitForSingleObject(thread, 10000);
  CloseHandle(thread);
  ASSERT_TRUE(path);
  EXPECT_EQ(1, typist.dialogsSeen);
  EXPECT_EQ("start.bwp", typist.firstField);
  // Wine appends the filter's extension in lower case; Windows as given.
  EXPECT_EQ(Lower(folder + "\\name.bwp"), Lower(path));
  EXPECT_EQ(Lower(folder + "\\"), Lower(folderBuffer));
  EXPECT_EQ(1, chosen);
  char extension[8];
  DefaultExtensionOfFilter(kFilters, 1, extension, sizeof(extension));
  EXPECT_STREQ("BWP", extension);
}

}  // namespace
