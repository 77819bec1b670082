// The zip functions: handle checks, the last-result variables, and the
// hand-over to the writer and reader objects.
#include "framework/zip/zip.h"

#include <cstring>

#include "framework/zip/zip_reader.h"
#include "framework/zip/zip_writer.h"

ZipResult gZipWriterResult = 0;
ZipResult gZipReaderResult = 0;

struct ZipHandleRecord {
  int32_t iMode;  // 1 reader, 2 writer
  void* pObject;
};

namespace {

constexpr int32_t kModeReader = 1;
constexpr int32_t kModeWriter = 2;

ZipResult SetWriter(ZipResult r) { return gZipWriterResult = r; }
ZipResult SetReader(ZipResult r) { return gZipReaderResult = r; }

ZipResult CheckHandle(ZipHandle h, int32_t mode) {
  if (!h) return ZIP_ERR_ARGS;
  return h->iMode == mode ? ZIP_OK : ZIP_ERR_WRONG_MODE;
}

CZipWriter* Writer(ZipHandle h) { return static_cast<CZipWriter*>(h->pObject); }
CZipReader* Reader(ZipHandle h) { return static_cast<CZipReader*>(h->pObject); }

ZipHandle WrapWriter(CZipWriter* w, ZipResult r) {
  SetWriter(r);
  if (r != ZIP_OK) {
    delete w;
    return nullptr;
  }
  return new ZipHandleRecord{kModeWriter, w};
}

ZipHandle WrapReader(CZipReader* rd, ZipResult r) {
  SetReader(r);
  if (r != ZIP_OK) {
    delete rd;
    return nullptr;
  }
  return new ZipHandleRecord{kModeReader, rd};
}

}  // namespace

ZipHandle ZipCreateFile(const char* fileName, const char* password) {
  CZipWriter* w = new CZipWriter(password);
  return WrapWriter(w, w->CreateFile(fileName));
}

ZipHandle ZipCreateMemory(void* block, uint32_t size, const char* password) {
  CZipWriter* w = new CZipWriter(password);
  return WrapWriter(w, w->CreateMemory(block, size));
}

ZipHandle ZipCreateHandle(void* fileHandle, const char* password) {
  CZipWriter* w = new CZipWriter(password);
  return WrapWriter(w, w->AdoptHandle(fileHandle));
}

ZipResult ZipAddFile(ZipHandle handle, const char* archiveName, const char* sourceFile) {
  ZipResult r = CheckHandle(handle, kModeWriter);
  if (r != ZIP_OK) return SetWriter(r);
  return SetWriter(Writer(handle)->AddFile(archiveName, sourceFile));
}

ZipResult ZipAddMemory(ZipHandle handle, const char* archiveName, const void* data,
                       uint32_t length) {
  ZipResult r = CheckHandle(handle, kModeWriter);
  if (r != ZIP_OK) return SetWriter(r);
  return SetWriter(Writer(handle)->AddMemory(archiveName, data, length));
}

ZipResult ZipGetImage(ZipHandle handle, void** image, uint32_t* length) {
  ZipResult r = CheckHandle(handle, kModeWriter);
  if (r != ZIP_OK) {
    if (image) *image = nullptr;
    if (length) *length = 0;
    return SetWriter(r);
  }
  return SetWriter(Writer(handle)->GetImage(image, length));
}

ZipResult ZipCloseWriter(ZipHandle handle) {
  ZipResult r = CheckHandle(handle, kModeWriter);
  if (r != ZIP_OK) return SetWriter(r);
  CZipWriter* w = Writer(handle);
  r = w->Finish();
  delete w;
  delete handle;
  return SetWriter(r);
}

ZipHandle ZipOpenFile(const char* fileName, const char* password) {
  CZipReader* rd = new CZipReader(password);
  return WrapReader(rd, rd->OpenFile(fileName));
}

ZipHandle ZipOpenHandle(void* fileHandle, const char* password) {
  CZipReader* rd = new CZipReader(password);
  return WrapReader(rd, rd->OpenHandle(fileHandle));
}

ZipHandle ZipOpenMemory(const void* data, uint32_t size, const char* password) {
  CZipReader* rd = new CZipReader(password);
  return WrapReader(rd, rd->OpenMemory(data, size));
}

ZipResult ZipSetBaseFolder(ZipHandle handle, const char* folder) {
  ZipResult r = CheckHandle(handle, kModeReader);
  if (r != ZIP_OK) return SetReader(r);
  return SetReader(Reader(handle)->SetBaseFolder(folder));
}

ZipResult ZipGetEntry(ZipHandle handle, int32_t index, ZipEntryInfo* info) {
  ZipResult r = CheckHandle(handle, kModeReader);
  if (r != ZIP_OK) return SetReader(r);
  return SetReader(Reader(handle)->GetEntry(index, info));
}

ZipResult ZipFindEntry(ZipHandle handle, const char* name, bool ignoreCase, int32_t* index,
                       ZipEntryInfo* info) {
  ZipResult r = CheckHandle(handle, kModeReader);
  if (r != ZIP_OK) return SetReader(r);
  return SetReader(Reader(handle)->FindEntry(name, ignoreCase, index, info));
}

ZipResult ZipExtractToMemory(ZipHandle handle, int32_t index, void* buffer, uint32_t size) {
  ZipResult r = CheckHandle(handle, kModeReader);
  if (r != ZIP_OK) return SetReader(r);
  return SetReader(Reader(handle)->ExtractToMemory(index, buffer, size));
}

ZipResult ZipExtractToFile(ZipHandle handle, int32_t index, const char* target) {
  ZipResult r = CheckHandle(handle, kModeReader);
  if (r != ZIP_OK) return SetReader(r);
  return SetReader(Reader(handle)->ExtractToFile(index, target));
}

bool ZipIsReader(ZipHandle handle) { return handle && handle->iMode == kModeReader; }

ZipResult ZipCloseReader(ZipHandle handle) {
  ZipResult r = CheckHandle(handle, kModeReader);
  if (r != ZIP_OK) return SetReader(r);
  delete Reader(handle);
  delete handle;
  return SetReader(ZIP_OK);
}
