#pragma once
// File-name patterns as the file search uses them, checked on the long name:
// the system's own matching also tries the short 8.3 alias, so "*.kzc" would
// otherwise find "Options.kzc_tmp" through "OPTION~1.KZC".

// Case-insensitive match of `name` against `pattern` with '*' (any run of
// characters, also none) and '?' (exactly one character). As on the system, a
// pattern ending in ".*" also matches a name without that dot, so "*.*"
// matches every name.
bool MatchFileName(const char* pattern, const char* name);

// Walks a list of items separated by `separator` ("*.kzc;(ORV)*"): copies the
// next non-empty item into `item` (`itemSize` bytes) and returns where the
// rest of the list begins, or null when no item is left. Items that do not fit
// `item` are passed over.
const char* NextListItem(const char* list, char separator, char* item, int itemSize);
