#include "imagelib/codecs/jpg/jpeg_error_manager.h"

#include <cstring>

namespace {

constexpr size_t kTextSize = 256;

[[noreturn]] void ExitWithMessage(j_common_ptr cinfo) {
  char message[JMSG_LENGTH_MAX];
  (*cinfo->err->format_message)(cinfo, message);
  FailJpeg(cinfo, message);
}

}  // namespace

jpeg_error_mgr* InitJpegErrorManager(JpegErrorManager* manager, char* text) {
  jpeg_error_mgr* pub = jpeg_std_error(&manager->pub);
  pub->error_exit = ExitWithMessage;
  manager->text = text;
  return pub;
}

void FailJpeg(j_common_ptr cinfo, const char* text) {
  JpegErrorManager* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
  if (manager->text) {
    std::strncpy(manager->text, text, kTextSize - 1);
    manager->text[kTextSize - 1] = '\0';
  }
  std::longjmp(manager->jump, 1);
}
