#pragma once
// Settings sections on disk: the text of a CSettingsExchange travels as the
// only entry of a password-protected zip archive, stored as a data file
// (data_files.h). The section name is formatted printf-style from
// `nameFormat` and the arguments after `folderFlag` (at most 259 characters).
#include <cstdarg>
#include <cstdint>

#include "framework/settings/data_blob.h"
#include "framework/settings/settings_exchange.h"

#if defined(__GNUC__)
#define BW_SECTION_FORMAT(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define BW_SECTION_FORMAT(fmt, args)
#endif

// The archive of a section in memory, as both the file functions and the
// tests use it: the entry is named after the exchange number ("%d").
// Returns the archive's size (image in *archive, which the caller frees with
// FreeSectionArchive), -1 when the archive could not be created in memory or
// the exchange's text is not whole (bFailed: a line was lost while saving),
// -2 when the entry could not be added, -3 when its image could not be taken.
int32_t BuildSectionArchive(const CSettingsExchange* exchange, uint8_t** archive);
void FreeSectionArchive(uint8_t* archive);

// Replaces the exchange's text with the entry of an archive in memory and
// sets the exchange number from the entry's name. Returns the text's length;
// -1 not an archive (or not one of this password), -2 no entry 0, -3 no
// memory for the text (or an entry larger than a section can be), -4 the
// entry could not be extracted (wrong password, damage, a bad CRC-32).
int32_t ParseSectionArchive(CSettingsExchange* exchange, const void* archive, uint32_t size);

// Stores the exchange's text as the data file of that name and index. Result:
// the archive's size; -1, -2 as for BuildSectionArchive (nothing is written);
// -3 when the data file could not be written (the previous file is then left
// as it was).
int32_t WriteBlobToArchive(CSettingsExchange* exchange, const char* nameFormat, int index,
                           int folderFlag, ...) BW_SECTION_FORMAT(2, 5);

// A section file that is there but cannot be read now (held open without
// sharing by another program, access denied, a failed read).
constexpr int32_t kSectionUnreadable = -5;

// Reads the section file back into the exchange. Results as for
// ParseSectionArchive; an absent (or empty) file gives -1, and a file that is
// there but cannot be read now gives kSectionUnreadable (-5).
//
// How a loader treats the results: -1 means nothing is stored, so the record
// keeps its defaults and may be saved later. -5 and -3 mean a section may
// well be stored and intact but was not read this time: the record keeps its
// defaults for this run, and the loader must not save that section over the
// file (try the read again later, or leave the file alone until the program
// ends). -2 and -4 mean the file is there but cannot be decoded (damaged, or
// not this program's): nothing in it is usable, so saving over it loses
// nothing the program could read.
int32_t ReadBlobFromArchive(CSettingsExchange* exchange, const char* nameFormat, int index,
                            int folderFlag, ...) BW_SECTION_FORMAT(2, 5);

// Reads the whole data file raw into the blob (read position 0). Returns its
// length; 0, with the blob emptied, when the file is absent or empty;
// kSectionUnreadable, with the blob emptied, when it is there but cannot be
// read now.
int32_t ReadBlobFile(CDataBlob* blob, const char* nameFormat, int index, int folderFlag, ...)
    BW_SECTION_FORMAT(2, 5);

