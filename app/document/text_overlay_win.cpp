#include <windows.h>

#include <cstring>

#include "app/document/history.h"
#include "app/document/text_mask.h"
#include "app/document/text_overlay.h"
#include "app/profiles/program_records.h"
#include "app/profiles/text_template.h"
#include "framework/draw/color.h"

namespace {

constexpr uint32_t kOverlayFontFailed = 1;
constexpr uint32_t kOverlayNoMemory = 0x180001;  // image processing, not enough memory
constexpr uint32_t kOverlayNoImage = 0x180002;   // image processing, no image
// The overlay's text after the templates are expanded.
constexpr size_t kOverlayTextChars = 1300;

}  // namespace

uint32_t ApplyTextOverlay(const ProfileRecord* pprf) {
  CImage* image = GetHistoryImage(giCurrentImage);
  if (!image || !image->IsValid()) return kOverlayNoImage;
  static_assert(sizeof(LOGFONTA) == sizeof(LogFontRecord), "the record is a LOGFONTA");
  LOGFONTA lf;
  memcpy(&lf, &pprf->lfTxtOvlFont, sizeof(lf));
  lf.lfFaceName[LF_FACESIZE - 1] = '\0';
  HFONT font = CreateFontIndirectA(&lf);
  if (!font) return kOverlayFontFailed;

  // The stored text may lack its terminator: expand a terminated copy.
  char stored[sizeof(pprf->szTxtOvlBuffer) + 1];
  const size_t length = strnlen(pprf->szTxtOvlBuffer, sizeof(pprf->szTxtOvlBuffer));
  memcpy(stored, pprf->szTxtOvlBuffer, length);
  stored[length] = '\0';
  char text[kOverlayTextChars];
  ExpandTemplate(stored, text, sizeof text, 0);

  image->PrepareDrawing();
  image->SetPen(1, ColorToArgb(pprf->crTxtOvlColor, 255));
  const int32_t align = pprf->iTxtOvlAlign >= 0 && pprf->iTxtOvlAlign <= 2 ? pprf->iTxtOvlAlign : 0;
  const int rendered =
      RenderTextMask(image, text, font, pprf->iTxtOvlFrame, UINT(align), lf.lfHeight);
  DeleteObject(font);
  if (rendered != kTextMaskDone) return kOverlayNoMemory;

  int32_t x, y;
  const int32_t stampAlign = TextOverlayPlacement(pprf->iTxtOvlRPos, image->GetWidth(),
                                                  image->GetHeight(), pprf->iTxtOvlXOff,
                                                  pprf->iTxtOvlYOff, &x, &y);
  // Any of the top 8 bits set: a transparent background (alpha 0).
  const uint32_t background =
      pprf->crTxtOvlBgnd < 0x1000000 ? ColorToArgb(pprf->crTxtOvlBgnd, 255) : 0;
  image->StampTextMask(x, y, stampAlign, background);
  return 0;
}
