#pragma once
// The Save As file dialog of the image: where it opens, which format it
// offers first, and what it remembers for the next time.
struct ProfileRecord;

#ifdef _WIN32
// The path the user chose (a buffer the dialog keeps), or null when the
// dialog was cancelled. The caller saves with SaveImageFile.
const char* SaveImageAsDialog(const ProfileRecord* profile);
#endif
