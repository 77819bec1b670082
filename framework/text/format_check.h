#pragma once
// Lets the compiler check printf-style arguments against their format. Texts
// that are not the program's own (paths, names, texts from other windows)
// go in as "%s" arguments, never as formats.
#if defined(__MINGW32__)
#define BW_PRINTF(formatIndex, firstArgument) \
  __attribute__((format(gnu_printf, formatIndex, firstArgument)))
#elif defined(__GNUC__)
#define BW_PRINTF(formatIndex, firstArgument) \
  __attribute__((format(printf, formatIndex, firstArgument)))
#else
#define BW_PRINTF(formatIndex, firstArgument)
#endif
