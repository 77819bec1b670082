#pragma once
// libjpeg's standard error manager with its exit replaced: the message goes
// into the image's last-error text and control unwinds to the codec's
// recovery point. libjpeg's frames are C and the codec's frames below the
// recovery point hold nothing with a destructor, so the jump skips nothing.
#include <csetjmp>

#include "imagelib/codecs/jpg/jpeg_lib.h"

struct JpegErrorManager {
  jpeg_error_mgr pub;  // first: libjpeg sees only this
  std::jmp_buf jump;
  char* text;          // the image's 256-byte last-error text
};

// Sets up the manager and returns what goes into cinfo->err.
jpeg_error_mgr* InitJpegErrorManager(JpegErrorManager* manager, char* text);

// Leaves text as the error and unwinds, as a libjpeg error does.
[[noreturn]] void FailJpeg(j_common_ptr cinfo, const char* text);
