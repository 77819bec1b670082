#pragma once
// Text templates: file names of saved and dragged images, print headers and
// footers and the text overlay are plain text with placeholders (a percent
// sign and one letter) replaced each time the template is used. Expansion and
// cutting live here and build everywhere; the values (date, time, names,
// clipboard, the user's comment, the image's name) come from a source, which
// the Windows half fills from the system.
#include <cstdint>
#include <string>

// What ExpandTemplate reports.
constexpr int kTemplateWhole = 0;  // every character fitted
constexpr int kTemplateCut = 1;    // the output was cut at the buffer's end

// Where the placeholders' values come from.
class CTemplateValues {
 public:
  virtual ~CTemplateValues() = default;
  // The text for 'B' (clipboard), 'C' (computer), 'D' (date), 'O' (the
  // user's comment), 'P' (the current image's full name, empty when it has
  // none), 'T' (time), 't' (time with seconds) or 'U' (user).
  virtual std::string Text(char letter) = 0;
  // The running number for one %N; the stored number moves on by one
  // (NextRunningNumber).
  virtual int32_t TakeRunningNumber() = 0;
};

// Clears out[0..size), then copies the template with each placeholder
// replaced, never writing past size - 1 (the last byte stays 0). In file-name
// mode inserted text loses what a file name cannot hold; the template's own
// characters never change. A size of 0 or less writes nothing.
int ExpandTemplateWith(const char* text, char* out, int size, bool fileNameMode,
                       CTemplateValues* values);

// The same with the program's values (the Windows half): the clock and the
// user's locale, the system's names, the clipboard, dialog 2016 for %O, the
// current image's name and gOptions.iPrtNumber.
int ExpandTemplate(const char* text, char* out, int size, int fileNameMode);

// The number after n, wrapping from the largest int32 to the smallest.
int32_t NextRunningNumber(int32_t n);
