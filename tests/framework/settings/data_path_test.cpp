#include "framework/settings/data_path.h"

#include <gtest/gtest.h>

#include <string>

#include "framework/settings/data_folder.h"

namespace {

TEST(DataPath, NamesIndexesAndFolders) {
  ASSERT_TRUE(SetDataFolder("D:\\Data"));
  ASSERT_TRUE(SetCommonDataFolder("C:\\Common"));
  char path[kPathChars];
  ASSERT_TRUE(GetDataFilePath("(ORV)App", kNoIndex, path, 0));
  EXPECT_STREQ("D:\\Data\\(ORV)App.kzc", path);
  ASSERT_TRUE(GetDataFilePath("(ORV)Win", 0, path, 0));
  EXPECT_STREQ("D:\\Data\\(ORV)Win0.kzc", path);
  ASSERT_TRUE(GetDataFilePath("Profile", 3, path, 2));  // any flag but 1: the user's folder
  EXPECT_STREQ("D:\\Data\\Profile3.kzc", path);
  ASSERT_TRUE(GetDataFilePath("Profile", -7, path, kCommonDataFolder));
  EXPECT_STREQ("C:\\Common\\Profile-7.kzc", path);
  ASSERT_TRUE(BuildDataPath(path, "F", nullptr, kNoIndex, "txt"));
  EXPECT_STREQ("F.txt", path);
  ASSERT_TRUE(BuildDataPath(path, nullptr, "n", kNoIndex, nullptr));
  EXPECT_STREQ("\\n", path);
}

TEST(DataPath, NeverTruncatesAndLeavesRoomForTheTemporaryName) {
  // "<folder>\<name>.kzc" + "_tmp" must fit 259 characters.
  std::string folder(200, 'f');
  ASSERT_TRUE(SetDataFolder(folder.c_str()));
  char path[kPathChars];
  std::string fits(259 - 4 - 4 - 1 - 200, 'n');  // 259 with ".kzc", "\" and "_tmp"
  ASSERT_TRUE(GetDataFilePath(fits.c_str(), kNoIndex, path, 0));
  char temp[kPathChars];
  ASSERT_TRUE(GetTempFilePath(path, temp));
  EXPECT_EQ(259u, strlen(temp));
  std::string tooLong = fits + "n";
  EXPECT_FALSE(GetDataFilePath(tooLong.c_str(), kNoIndex, path, 0));
  EXPECT_STREQ("", path);
  std::string withIndex = fits.substr(1);
  EXPECT_TRUE(GetDataFilePath(withIndex.c_str(), 7, path, 0));
  EXPECT_FALSE(GetDataFilePath(withIndex.c_str(), 17, path, 0));
  EXPECT_FALSE(SetDataFolder(std::string(260, 'x').c_str()));
  EXPECT_EQ(folder, GetDataFolder());  // a refused folder leaves the old one
}

TEST(DataPath, PathHelpers) {
  char p[kPathChars] = "C:\\a\\b\\";
  RemoveTrailingBackslash(p);
  EXPECT_STREQ("C:\\a\\b", p);
  RemoveTrailingBackslash(p);
  EXPECT_STREQ("C:\\a\\b", p);
  ASSERT_TRUE(AppendBackslash(p));
  ASSERT_TRUE(AppendBackslash(p));
  EXPECT_STREQ("C:\\a\\b\\", p);
  strcpy(p, "x\\name.kzc");
  StripFileExtension(p);
  EXPECT_STREQ("x\\name", p);
  strcpy(p, "x\\name.jpeg");
  StripFileExtension(p);
  EXPECT_STREQ("x\\name.jpeg", p);
  EXPECT_STREQ("file.txt", GetFileNamePart("C:\\dir\\file.txt"));
  EXPECT_STREQ("file.txt", GetFileNamePart("file.txt"));
  EXPECT_STREQ("", GetFileNamePart("C:\\dir\\"));
  std::string full(259, 'p');
  strcpy(p, full.c_str());
  EXPECT_FALSE(AppendBackslash(p));
  EXPECT_EQ(full, p);
}

}  // namespace
