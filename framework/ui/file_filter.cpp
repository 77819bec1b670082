#include "framework/ui/file_filter.h"

#include <cstring>

void DefaultExtensionOfFilter(const char* filterList, int index, char* out, size_t size) {
  if (size == 0) return;
  out[0] = '\0';
  if (!filterList || index < 0) return;
  const char* text = filterList;
  // Text 2 x index + 1 is the pattern of filter `index`.
  for (int i = 0; i < 2 * index + 1; ++i) {
    if (!*text) return;
    text += strlen(text) + 1;
  }
  if (strncmp(text, "*.", 2) != 0) return;
  const char* extension = text + 2;
  size_t length = strcspn(extension, ";");
  if (length == 0 || (length == 1 && extension[0] == '*')) return;
  if (length >= size) length = size - 1;
  memcpy(out, extension, length);
  out[length] = '\0';
}
