#include "framework/files/file_search.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "framework/files/file_finder.h"
#include "tests/framework/settings/data_file_test_util.h"

namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return tolower(c); });
  return s;
}

// The found paths relative to `root`, lower-cased.
std::multiset<std::string> Found(const CFileSearch& search, const std::string& root) {
  std::multiset<std::string> out;
  for (int32_t i = 0; i < search.GetCount(); ++i) {
    std::string path = search.GetAt(i);
    out.insert(Lower(path.substr(root.size() + 1)));
  }
  return out;
}

// root\(ORV)App.kzc, (ORV)App.kzc_tmp, Options.kzc, Options.kzc_tmp, notes.txt,
// root\sub\Profile0.kzc, (orv)Win1.kzc, (ORV)Win3.kzc_tmp, readme,
// root\sub\deeper\Profile1.KZC, a, b, c
std::string MakeTree(const char* name) {
  std::string root = FreshFolder(name);
  CreateDirectoryA((root + "\\sub").c_str(), nullptr);
  CreateDirectoryA((root + "\\sub\\deeper").c_str(), nullptr);
  for (const char* f : {"(ORV)App.kzc", "(ORV)App.kzc_tmp", "Options.kzc", "Options.kzc_tmp",
                        "notes.txt", "sub\\Profile0.kzc", "sub\\(orv)Win1.kzc",
                        "sub\\(ORV)Win3.kzc_tmp", "sub\\readme",
                        "sub\\deeper\\Profile1.KZC", "sub\\deeper\\a", "sub\\deeper\\b",
                        "sub\\deeper\\c"})
    PutFile(root + "\\" + f, f);
  return root;
}

// "(ORV)*" matches the leftover "(ORV)App.kzc_tmp" by its long name, and
// "*.kzc" finds "Options.kzc_tmp" through its 8.3 alias: neither is listed.
TEST(FileSearch, AllLevelsEachFileOnceWithoutTemporaryFiles) {
  std::string root = MakeTree("tree");
  CFileSearch search(root.c_str(), "%s;%s", "*.kzc", "(ORV)*");
  std::multiset<std::string> expected = {"(orv)app.kzc", "options.kzc", "sub\\profile0.kzc",
                                         "sub\\(orv)win1.kzc", "sub\\deeper\\profile1.kzc"};
  EXPECT_EQ(expected, Found(search, root));
  EXPECT_EQ(3, search.folders.count);
  EXPECT_EQ(0, search.iSkipped);
  // The root's own files come first, then the folders in depth-first order.
  EXPECT_EQ(root + "\\sub", std::string(search.folders.GetAt(1)));
}

TEST(FileSearch, PatternListEdges) {
  std::string root = MakeTree("edges");
  CFileSearch search;
  EXPECT_EQ(-1, search.FindFiles(true));  // no folder
  EXPECT_EQ(0, search.Search(root.c_str(), "%s", ""));
  EXPECT_EQ(0, search.Search(root.c_str(), ";"));
  EXPECT_EQ(2, search.Search(root.c_str(), "a;b;"));
  EXPECT_EQ((std::multiset<std::string>{"sub\\deeper\\a", "sub\\deeper\\b"}), Found(search, root));
  EXPECT_EQ(1, search.Search(root.c_str(), "*.txt"));
  search.Clear();
  EXPECT_EQ(-1, search.FindFiles(true));
  EXPECT_EQ(0, search.GetCount());
}

TEST(FileSearch, AFolderReachedAgainInAnotherCaseIsSearchedOnce) {
  std::string root = MakeTree("twice");
  CFileSearch search;
  ASSERT_EQ(5, search.Search(root.c_str(), "*.kzc;(ORV)*"));
  int32_t folders = search.folders.count;
  std::string upper = root;
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return toupper(c); });
  snprintf(search.szFolder, sizeof search.szFolder, "%s", upper.c_str());
  EXPECT_EQ(5, search.FindFiles(false));
  EXPECT_EQ(folders, search.folders.count);
  // The same root in its 8.3 form is the same folder too.
  char shortForm[MAX_PATH];
  DWORD n = GetShortPathNameA(root.c_str(), shortForm, MAX_PATH);
  ASSERT_TRUE(n > 0 && n < MAX_PATH);
  ASSERT_NE(0, _stricmp(shortForm, root.c_str())) << "no 8.3 form here: " << shortForm;
  snprintf(search.szFolder, sizeof search.szFolder, "%s", shortForm);
  EXPECT_EQ(5, search.FindFiles(false));
  EXPECT_EQ(folders, search.folders.count);
  // Without reset, a new root adds its own files to the list.
  std::string other = FreshFolder("twice_other");
  PutFile(other + "\\Extra.kzc", "x");
  snprintf(search.szFolder, sizeof search.szFolder, "%s", other.c_str());
  EXPECT_EQ(6, search.FindFiles(false));
}

int gBasicCalls = 0;
int gStandardCalls = 0;

// Refuses the fast information level as systems before Windows 7 do.
HANDLE WINAPI RefuseBasicLevel(LPCSTR name, FINDEX_INFO_LEVELS level, LPVOID data,
                               FINDEX_SEARCH_OPS ops, LPVOID filter, DWORD flags) {
  if (level == FindExInfoBasic || flags != 0) {
    ++gBasicCalls;
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  ++gStandardCalls;
  return FindFirstFileExA(name, level, data, ops, filter, flags);
}

TEST(FileSearch, FallsBackWhenTheFastSearchIsRefused) {
  std::string root = MakeTree("fallback");
  CFileSearch fast(root.c_str(), "*.kzc;(ORV)*");
  gpfnFindFirstFileEx = RefuseBasicLevel;
  CFileSearch slow(root.c_str(), "*.kzc;(ORV)*");
  gpfnFindFirstFileEx = FindFirstFileExA;
  EXPECT_EQ(Found(fast, root), Found(slow, root));
  EXPECT_GT(gBasicCalls, 0);
  EXPECT_EQ(gBasicCalls, gStandardCalls);  // every refused search was opened again
}

TEST(FileFinder, WalksOnePatternWithPathsAndTimes) {
  std::string root = MakeTree("finder");
  CFileFinder finder("%s\\*.kzc", root.c_str());
  std::set<std::string> paths;
  while (finder.Next()) {
    paths.insert(finder.GetPath());
    FILETIME written = finder.GetWriteTime();
    EXPECT_NE(0u, written.dwHighDateTime);
  }
  EXPECT_EQ((std::set<std::string>{root + "\\(ORV)App.kzc", root + "\\Options.kzc"}), paths);
  EXPECT_EQ(2, finder.GetCount());
  EXPECT_STREQ("", finder.GetPath());
  EXPECT_FALSE(finder.Next());
  // A pattern without a folder part gives the names alone.
  char current[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, current);
  SetCurrentDirectoryA(root.c_str());
  CFileFinder local("Options.*");
  ASSERT_TRUE(local.Next());
  std::string first = local.GetPath();
  ASSERT_TRUE(local.Next());
  std::set<std::string> names = {first, local.GetPath()};
  EXPECT_EQ((std::set<std::string>{"Options.kzc", "Options.kzc_tmp"}), names);
  local.Close();
  EXPECT_STREQ("", local.GetPath());
  SetCurrentDirectoryA(current);
  CFileFinder none("%s\\*.none", root.c_str());
  EXPECT_FALSE(none.Next());
}

// The tree of make_search_tree.py, with a linked folder that loops and a
// path longer than 259 characters; check_search_vs_find.py compares what is
// written here with Linux find.
TEST(FileSearch, TreeWithLoopAndLongPathForTheFindComparison) {
  std::string root = TestOutputPath("findtree");
  ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(root.c_str())) << "fixture missing";
  CFileSearch search(root.c_str(), "*.kzc;(ORV)*");
  std::ofstream out(TestOutputPath("findtree_result.txt"), std::ios::binary);
  out << "skipped " << search.iSkipped << "\n";
  for (int32_t i = 0; i < search.GetCount(); ++i) out << LocalPathToHost(search.GetAt(i)) << "\n";
  EXPECT_GT(search.GetCount(), 5);
  EXPECT_GT(search.iSkipped, 0);  // the exact count is the checker's
}

}  // namespace
