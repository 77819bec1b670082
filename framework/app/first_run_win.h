#pragma once
// Filling the data folder before anything reads it: the first-run files of
// the installation and a configuration restore staged by the last run.
// Neither reports failures.

// When "(ORV)App" is missing from the data folder, copies every file below
// "<programFolder>\Init" to the same relative path in the data folder,
// never over an existing file; the copies are made writable.
void CopyFirstRunFiles(const char* programFolder, const char* dataFolder);

// Applies "<dataFolder>\<product>.OrvalundConfig" when present. The archive
// is first renamed to "....applied" (read-only cleared), so it is never
// applied twice; one that cannot be renamed waits for a later start. Every
// entry is extracted into memory (names checked, CRCs checked) and written
// beside its target as "<name>_tmp"; only when all of that succeeded are the
// old data files (the backed-up set: "*.kzc" plus the extra backup patterns,
// less the archive's keep list, and every file a restored one replaces)
// moved aside and the new ones moved in. Any failure puts everything back:
// the old configuration stays whole and no temporary file is left. The
// old files go to the recycle bin; the archive is deleted in every case.
void ApplyPendingRestore(const char* dataFolder, const char* productName,
                         const char* extraBackupPatterns);
