#pragma once
// Filling the data folder before anything reads it: the first-run files of
// the installation and a configuration restore staged by the last run.
// Neither reports failures: a file that cannot be copied, deleted or
// extracted is left as it is.

// When "(ORV)App" is missing from the data folder, copies every file below
// "<programFolder>\Init" to the same relative path in the data folder,
// never over an existing file; the copies are made writable.
void CopyFirstRunFiles(const char* programFolder, const char* dataFolder);

// Applies "<dataFolder>\<product>.OrvalundConfig" when present: extracts
// every entry (names checked, CRCs checked) into memory first; only when all
// succeeded, deletes the data files a backup carries ("*.kzc" plus the extra
// backup patterns) that the archive's keep list does not name, and writes
// the new ones. On any failure the old files stay. The archive is deleted
// in every case.
void ApplyPendingRestore(const char* dataFolder, const char* productName,
                         const char* extraBackupPatterns);
