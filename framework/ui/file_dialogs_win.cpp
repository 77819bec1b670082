// The common file dialogs and the shell's folder browser.
#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "framework/ui/dialog_helpers_win.h"
#include "framework/ui/file_filter.h"

namespace {

char gChosenPath[MAX_PATH];
char gChosenFolder[MAX_PATH];
char gDefaultExtension[MAX_PATH];

}  // namespace

const char* GetFileNameDialog(bool save, const char* filterList, int filterIndex,
                              int* chosenFilter, char* folder, const char* initialPath) {
  snprintf(gChosenPath, sizeof(gChosenPath), "%s", initialPath ? initialPath : "");
  DefaultExtensionOfFilter(filterList, filterIndex, gDefaultExtension, sizeof(gDefaultExtension));
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = GetActiveWindow();
  dialog.lpstrFilter = filterList;
  dialog.nFilterIndex = DWORD(filterIndex + 1);
  dialog.lpstrFile = gChosenPath;
  dialog.nMaxFile = sizeof(gChosenPath);
  dialog.lpstrInitialDir = folder && folder[0] ? folder : nullptr;
  dialog.lpstrDefExt = gDefaultExtension[0] ? gDefaultExtension : nullptr;
  dialog.Flags = OFN_ENABLESIZING | OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY |
                 (save ? OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  BOOL chosen = save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
  if (!chosen && CommDlgExtendedError() == FNERR_INVALIDFILENAME) {
    // The initial name was not a valid file name: once more without it.
    gChosenPath[0] = '\0';
    chosen = save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
  }
  if (!chosen) return nullptr;
  if (folder) {
    size_t length = dialog.nFileOffset < sizeof(gChosenPath) ? dialog.nFileOffset : 0;
    memcpy(folder, gChosenPath, length);
    folder[length] = '\0';
  }
  if (chosenFilter) *chosenFilter = int(dialog.nFilterIndex) - 1;
  return gChosenPath;
}

namespace {

WNDPROC gBrowserProc = nullptr;

// Centres the browser when it first shows, then steps out of the way.
LRESULT CALLBACK CentreOnShowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC original = gBrowserProc;
  if (message == WM_SHOWWINDOW && wParam) {
    SetWindowLongPtrA(window, GWLP_WNDPROC, LONG_PTR(original));
    CenterWindow(window, nullptr, nullptr);
  }
  return CallWindowProcA(original, window, message, wParam, lParam);
}

int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM, LPARAM) {
  if (message == BFFM_INITIALIZED) {
    gBrowserProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, LONG_PTR(CentreOnShowProc)));
    if (IsWindowVisible(window)) CenterWindow(window, nullptr, nullptr);
  }
  return 0;
}

}  // namespace

const char* BrowseForFolder(const char* title, UINT flags) {
  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  BROWSEINFOA browse = {};
  browse.hwndOwner = GetActiveWindow();
  browse.lpszTitle = title;
  browse.ulFlags = flags | BIF_NEWDIALOGSTYLE;
  browse.lpfn = BrowseCallback;
  LPITEMIDLIST item = SHBrowseForFolderA(&browse);
  const char* result = nullptr;
  if (item) {
    // An item without a file-system path (a printer, the network) is no folder.
    if (SHGetPathFromIDListA(item, gChosenFolder) && gChosenFolder[0]) result = gChosenFolder;
    CoTaskMemFree(item);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return result;
}
