#pragma once
// Making sure a data folder exists before anything else runs. When the
// folder cannot be reached, it is tried again once a second while a tray
// icon blinks between the program's icon and a grey copy; the icon's menu
// lets the user give up.
#include <windows.h>

constexpr UINT kWaitTrayMessage = 33777;
constexpr UINT kWaitQuitCommand = 1;

class CWaitForDataPath {
 public:
  CWaitForDataPath();
  ~CWaitForDataPath();
  CWaitForDataPath(const CWaitForDataPath&) = delete;
  CWaitForDataPath& operator=(const CWaitForDataPath&) = delete;

  // 0 the folder exists or was created, 1 the user chose the menu entry, 2
  // the tries ran out or the folder text is empty. tries < 0: endlessly;
  // 0: one attempt without icon.
  int Wait(const char* folder, int tries, int iconResourceId, const char* tip,
           const char* menuText);

  HWND GetWindow() const { return m_hwnd; }
  void Cancel() { m_bCancelled = true; }
  const char* GetMenuText() const { return m_szMenuText; }

 private:
  bool ShowAttempt(int attempt, int iconResourceId);
  void PumpForOneSecond();
  void RemoveTrayIcon();
  void Release();

  char m_szTip[260] = {};
  char m_szMenuText[260] = {};
  HINSTANCE m_hModule;
  HWND m_hwnd = nullptr;
  bool m_bCancelled = false;
  HICON m_aIcons[2] = {};
  bool m_bTrayShown = false;
};

LRESULT CALLBACK WaitForDataPathWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
