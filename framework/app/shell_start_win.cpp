#include "framework/app/shell_start_win.h"

#include <exdisp.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shlwapi.h>

namespace {

// Releases the interface it holds on every way out.
template <typename T>
class CComRef {
 public:
  CComRef() = default;
  ~CComRef() {
    if (mPtr) mPtr->Release();
  }
  CComRef(const CComRef&) = delete;
  CComRef& operator=(const CComRef&) = delete;
  T* operator->() const { return mPtr; }
  T* Get() const { return mPtr; }
  T** Out() { return &mPtr; }
  void** OutVoid() { return reinterpret_cast<void**>(&mPtr); }

 private:
  T* mPtr = nullptr;
};

// A VARIANT that is cleared on every way out.
class CVariant {
 public:
  CVariant() { VariantInit(&mValue); }
  ~CVariant() { VariantClear(&mValue); }
  CVariant(const CVariant&) = delete;
  CVariant& operator=(const CVariant&) = delete;
  VARIANT* Get() { return &mValue; }

  void SetInt(int value) {
    VariantClear(&mValue);
    V_VT(&mValue) = VT_I4;
    V_I4(&mValue) = value;
  }
  bool SetText(const char* text) {
    VariantClear(&mValue);
    BSTR b = ToBstr(text);
    if (!b) return false;
    V_VT(&mValue) = VT_BSTR;
    V_BSTR(&mValue) = b;
    return true;
  }
  static BSTR ToBstr(const char* text) {
    if (!text) text = "";
    int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 0) return SysAllocString(L"");
    BSTR b = SysAllocStringLen(nullptr, static_cast<UINT>(n - 1));
    if (b) MultiByteToWideChar(CP_ACP, 0, text, -1, b, n);
    return b;
  }

 private:
  VARIANT mValue;
};

// A call that reports success but hands back nothing still failed.
HRESULT Checked(HRESULT hr, const void* result) {
  if (FAILED(hr)) return hr;
  return (hr == S_OK && result) ? S_OK : E_FAIL;
}

HRESULT FindDesktopShell(IShellDispatch2** shell) {
  CComRef<IShellWindows> windows;
  HRESULT hr = CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                                IID_IShellWindows, windows.OutVoid());
  if ((hr = Checked(hr, windows.Get())) != S_OK) return hr;

  CVariant location;
  location.SetInt(CSIDL_DESKTOP);
  CVariant root;
  long desktopWindow = 0;
  CComRef<IDispatch> desktop;
  hr = windows->FindWindowSW(location.Get(), root.Get(), SWC_DESKTOP, &desktopWindow,
                             SWFO_NEEDDISPATCH, desktop.Out());
  if ((hr = Checked(hr, desktop.Get())) != S_OK) return hr;

  CComRef<IShellBrowser> browser;
  hr = IUnknown_QueryService(desktop.Get(), SID_STopLevelBrowser, IID_IShellBrowser,
                             browser.OutVoid());
  if ((hr = Checked(hr, browser.Get())) != S_OK) return hr;
  CComRef<IShellView> view;
  hr = browser->QueryActiveShellView(view.Out());
  if ((hr = Checked(hr, view.Get())) != S_OK) return hr;
  CComRef<IDispatch> background;
  hr = view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.OutVoid());
  if ((hr = Checked(hr, background.Get())) != S_OK) return hr;
  CComRef<IShellFolderViewDual> folderView;
  hr = background->QueryInterface(IID_IShellFolderViewDual, folderView.OutVoid());
  if ((hr = Checked(hr, folderView.Get())) != S_OK) return hr;
  CComRef<IDispatch> application;
  hr = folderView->get_Application(application.Out());
  if ((hr = Checked(hr, application.Get())) != S_OK) return hr;
  hr = application->QueryInterface(IID_IShellDispatch2, reinterpret_cast<void**>(shell));
  return Checked(hr, *shell);
}

HRESULT ExecuteThroughDesktopShell(const char* file, const char* arguments, const char* folder,
                                   const char* verb, int showCommand) {
  CComRef<IShellDispatch2> shell;
  HRESULT hr = FindDesktopShell(shell.Out());
  if (hr != S_OK) return hr;

  CVariant vArguments, vFolder, vVerb, vShow;
  BSTR bFile = CVariant::ToBstr(file);
  if (!bFile || !vArguments.SetText(arguments) || !vFolder.SetText(folder) ||
      !vVerb.SetText(verb)) {
    SysFreeString(bFile);
    return E_OUTOFMEMORY;
  }
  vShow.SetInt(showCommand);
  hr = shell->ShellExecute(bFile, *vArguments.Get(), *vFolder.Get(), *vVerb.Get(),
                           *vShow.Get());
  SysFreeString(bFile);
  // The shell answers S_FALSE when it could not start the file.
  return hr == S_FALSE ? E_FAIL : hr;
}

bool IsProcessElevated() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  TOKEN_ELEVATION elevation = {};
  DWORD size = 0;
  bool elevated = GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size) &&
                  elevation.TokenIsElevated;
  CloseHandle(token);
  return elevated;
}

}  // namespace

HRESULT ShellExecuteUnelevated(const char* file, const char* arguments, const char* folder,
                               const char* verb, int showCommand) {
  // A thread that already runs COM in another mode refuses CoInitialize;
  // COM still works there, but the uninitialisation is not ours to do.
  bool ownCom = SUCCEEDED(CoInitialize(nullptr));
  HRESULT hr = ExecuteThroughDesktopShell(file, arguments, folder, verb, showCommand);
  if (ownCom) CoUninitialize();
  return hr;
}

bool ShellStartAsDesktopUser(const char* file, const char* arguments, const char* folder,
                             const char* verb, int showCommand) {
  if (SUCCEEDED(ShellExecuteUnelevated(file, arguments, folder, verb, showCommand))) return true;
  if (IsProcessElevated()) return false;
  HINSTANCE result = ShellExecuteA(nullptr, verb, file, arguments, folder, showCommand);
  return reinterpret_cast<INT_PTR>(result) > 32;
}
