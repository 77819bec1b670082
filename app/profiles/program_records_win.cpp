// The portable font record is a Windows LOGFONTA, byte for byte.
#include <windows.h>

#include <cstddef>

#include "app/profiles/program_records.h"

static_assert(sizeof(LOGFONTA) == sizeof(LogFontRecord), "LOGFONTA twin");
static_assert(offsetof(LOGFONTA, lfWeight) == offsetof(LogFontRecord, lfWeight), "LOGFONTA twin");
static_assert(offsetof(LOGFONTA, lfItalic) == offsetof(LogFontRecord, lfItalic), "LOGFONTA twin");
static_assert(offsetof(LOGFONTA, lfQuality) == offsetof(LogFontRecord, lfQuality), "LOGFONTA twin");
static_assert(offsetof(LOGFONTA, lfFaceName) == offsetof(LogFontRecord, lfFaceName), "LOGFONTA twin");
