// A second process on the same clipboard, for the copy and paste tests:
//   clipboard_peer read <file>    writes the clipboard's CF_DIB block to file
//                                 (exit 2 when there is none)
//   clipboard_peer write <file>   puts the packed DIB in file on the clipboard
//   clipboard_peer text <text>    puts a Unicode text on the clipboard
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

bool OpenRetrying() {
  for (int i = 0; i < 100; ++i) {
    if (OpenClipboard(nullptr)) return true;
    Sleep(20);
  }
  return false;
}

int Read(const char* path) {
  if (!OpenRetrying()) return 3;
  HANDLE data = GetClipboardData(CF_DIB);
  int status = 2;
  if (data) {
    const void* bytes = GlobalLock(data);
    FILE* f = fopen(path, "wb");
    if (bytes && f && fwrite(bytes, 1, GlobalSize(data), f) == GlobalSize(data)) status = 0;
    if (f) fclose(f);
    GlobalUnlock(data);
  }
  CloseClipboard();
  return status;
}

int Put(UINT format, const void* bytes, size_t size) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!block) return 4;
  memcpy(GlobalLock(block), bytes, size);
  GlobalUnlock(block);
  if (!OpenRetrying()) return 3;
  EmptyClipboard();
  const bool set = SetClipboardData(format, block) != nullptr;
  CloseClipboard();
  return set ? 0 : 5;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 1;
  if (strcmp(argv[1], "read") == 0) return Read(argv[2]);
  if (strcmp(argv[1], "write") == 0) {
    FILE* f = fopen(argv[2], "rb");
    if (!f) return 1;
    std::vector<char> bytes;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof(chunk), f)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    fclose(f);
    return Put(CF_DIB, bytes.data(), bytes.size());
  }
  if (strcmp(argv[1], "text") == 0) {
    wchar_t text[512];
    const int n = MultiByteToWideChar(CP_UTF8, 0, argv[2], -1, text, 512);
    return n > 0 ? Put(CF_UNICODETEXT, text, size_t(n) * sizeof(wchar_t)) : 1;
  }
  return 1;
}
