#include "imagelib/codecs/jpg/jpeg_file_manager.h"

CJpegFileManager::CJpegFileManager(CRasterFile* file) : jpeg_source_mgr(), jpeg_destination_mgr(), mFile(file) {
  init_source = InitSource;
  fill_input_buffer = FillInputBuffer;
  skip_input_data = SkipInputData;
  resync_to_restart = jpeg_resync_to_restart;
  term_source = TermSource;
  init_destination = InitDestination;
  empty_output_buffer = EmptyOutputBuffer;
  term_destination = TermDestination;
}

int64_t CJpegFileManager::BytesLeft() {
  const int32_t size = mFile->Size(), at = mFile->Tell();
  if (size < 0 || at < 0) return -1;
  const int64_t rest = int64_t(size) - at;
  return int64_t(bytes_in_buffer) + (rest > 0 ? rest : 0);
}

void CJpegFileManager::InitSource(j_decompress_ptr cinfo) { From(cinfo)->mStartOfFile = true; }

// An empty stream is an error; the end of a stream that gave data is only a
// warning, and libjpeg sees an end-of-image marker, so that a truncated file
// still decodes with its missing part filled in.
boolean CJpegFileManager::FillInputBuffer(j_decompress_ptr cinfo) {
  CJpegFileManager* self = From(cinfo);
  size_t count = self->mFile->Read(self->mBuffer, 1, kBufferSize);
  if (count == 0) {
    if (self->mStartOfFile) ERREXIT(cinfo, JERR_INPUT_EMPTY);
    WARNMS(cinfo, JWRN_JPEG_EOF);
    self->mBuffer[0] = JOCTET(0xFF);
    self->mBuffer[1] = JOCTET(JPEG_EOI);
    count = 2;
  }
  self->next_input_byte = self->mBuffer;
  self->bytes_in_buffer = count;
  self->mStartOfFile = false;
  return TRUE;
}

void CJpegFileManager::SkipInputData(j_decompress_ptr cinfo, long count) {
  if (count <= 0) return;
  CJpegFileManager* self = From(cinfo);
  size_t left = size_t(count);
  while (left > self->bytes_in_buffer) {
    left -= self->bytes_in_buffer;
    FillInputBuffer(cinfo);
  }
  self->next_input_byte += left;
  self->bytes_in_buffer -= left;
}

void CJpegFileManager::TermSource(j_decompress_ptr) {}

void CJpegFileManager::InitDestination(j_compress_ptr cinfo) {
  CJpegFileManager* self = From(cinfo);
  self->next_output_byte = self->mBuffer;
  self->free_in_buffer = kBufferSize;
}

boolean CJpegFileManager::EmptyOutputBuffer(j_compress_ptr cinfo) {
  CJpegFileManager* self = From(cinfo);
  if (self->mFile->Write(self->mBuffer, 1, kBufferSize) != kBufferSize) ERREXIT(cinfo, JERR_FILE_WRITE);
  self->next_output_byte = self->mBuffer;
  self->free_in_buffer = kBufferSize;
  return TRUE;
}

// The last bytes, then a flush, and only then the stream's error state:
// a stream that refused a byte must not pass for a written file.
void CJpegFileManager::TermDestination(j_compress_ptr cinfo) {
  CJpegFileManager* self = From(cinfo);
  const size_t count = kBufferSize - self->free_in_buffer;
  if (count > 0 && self->mFile->Write(self->mBuffer, 1, count) != count) ERREXIT(cinfo, JERR_FILE_WRITE);
  self->mFile->Flush();
  if (self->mFile->Error() != 0) ERREXIT(cinfo, JERR_FILE_WRITE);
}
