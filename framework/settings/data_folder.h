#pragma once
// The two folders that hold the data files: the user's data folder and the
// common data folder. The application object chooses both at start-up
// (CApp::Init, from the install record or the special folders) and sets them
// here before any data file is read or written; nothing else changes them.

// Folder flag of the data-file functions: this value selects the common data
// folder, any other value the user's data folder.
constexpr int kCommonDataFolder = 1;

// Each returns false (and keeps the old folder) when the text does not fit
// 259 characters.
bool SetDataFolder(const char* folder);
bool SetCommonDataFolder(const char* folder);

const char* GetDataFolder();        // "" until set
const char* GetCommonDataFolder();  // "" until set

// The folder that a data-file function's folder flag selects.
const char* GetDataFolderFor(int folderFlag);
