// Save As answered by a user typing a name: where the dialog opens, which
// format it offers, what it remembers, and the file the save then writes.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "app/document/history.h"
#include "app/operations/image_operations.h"
#include "app/operations/save_as_dialog.h"
#include "app/profiles/program_records.h"
#include "tests/support/file_dialog_win.h"
#include "tests/support/modal_watchdog.h"
#include "tests/support/test_paths.h"

namespace {

struct Typist {
  std::string firstField;
  volatile bool done = false;
};

// Reads the name the dialog offers, types "typed" and presses OK.
DWORD WINAPI TypeName(LPVOID parameter) {
  Typist* typist = static_cast<Typist*>(parameter);
  for (int i = 0; i < 3000 && !typist->done; ++i) {
    HWND dialog = FindOwnFileDialog();
    if (!dialog) {
      Sleep(10);
      continue;
    }
    char field[MAX_PATH] = {};
    for (int j = 0; j < 300 && !GetDlgItemTextA(dialog, kFileDialogNameField, field, sizeof(field)); ++j)
      Sleep(10);
    typist->firstField = field;
    SetDlgItemTextA(dialog, kFileDialogNameField, "typed");
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    return 0;
  }
  return 0;
}

std::string Lower(std::string text) {
  for (char& c : text) c = char(tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string RunDialog(const ProfileRecord& profile, std::string* offered) {
  Typist typist;
  HANDLE thread = CreateThread(nullptr, 0, TypeName, &typist, 0, nullptr);
  const char* path = SaveImageAsDialog(&profile);
  typist.done = true;
  WaitForSingleObject(thread, 10000);
  CloseHandle(thread);
  *offered = typist.firstField;
  return path ? path : "";
}

// A folder without the file the typist's name gives, so that no overwrite
// prompt left by an earlier run stops the dialog.
std::string Folder(const char* name, const char* leftover) {
  const std::string folder = HostPathToLocal(TestOutputPath(name));
  CreateDirectoryA(folder.c_str(), nullptr);
  DeleteFileA((folder + "\\" + leftover).c_str());
  return folder;
}

TEST(SaveAsDialog, OpensWhereTheImageCameFromAndRemembersOnlyTheUsersChoice) {
  CModalWatchdogPause dialogsAreExpected;
  ClearHistory();
  CImage* image = new CImage;
  ASSERT_TRUE(image->Create(12, 8, 24, 0));
  image->SelectAll();
  ASSERT_EQ(AddToHistory(image, "shot", 0), 0);

  // A captured image: the remembered folder and format (PNG), both updated.
  const std::string saves = Folder("saveas", "typed.png");
  snprintf(gOptions.szSaveAsPath, sizeof(gOptions.szSaveAsPath), "%s", saves.c_str());
  gOptions.iSaveAsType = 4;
  gbLoadedFromFile = 0;
  ProfileRecord profile = {};
  snprintf(profile.szDefSaveName, sizeof(profile.szDefSaveName), "default name");
  std::string offered;
  const std::string chosen = RunDialog(profile, &offered);
  EXPECT_EQ(offered, "default name");
  ASSERT_EQ(Lower(chosen), Lower(saves + "\\typed.png"));
  EXPECT_EQ(Lower(gOptions.szSaveAsPath), Lower(saves + "\\"));
  EXPECT_EQ(gOptions.iSaveAsType, 4);
  ASSERT_EQ(SaveImageFile(&profile, chosen.c_str()), 0u);
  CRaster back;
  EXPECT_TRUE(back.Load(chosen.c_str(), RASTER_FORMAT_PNG));

  // An opened JPEG: its own folder and format, nothing remembered.
  const std::string opened = Folder("opened", "typed.jpg");
  snprintf(gOptions.szLoadPath, sizeof(gOptions.szLoadPath), "%s", opened.c_str());
  snprintf(gOptions.szLoadExt, sizeof(gOptions.szLoadExt), "jpeg");
  gbLoadedFromFile = 1;
  gOptions.iSaveAsType = 2;
  ProfileRecord plain = {};
  EXPECT_EQ(Lower(RunDialog(plain, &offered)), Lower(opened + "\\typed.jpg"));
  EXPECT_EQ(offered, "");
  EXPECT_EQ(gOptions.iSaveAsType, 2);
  EXPECT_EQ(Lower(gOptions.szSaveAsPath), Lower(saves + "\\"));
  ClearHistory();
}

}  // namespace
