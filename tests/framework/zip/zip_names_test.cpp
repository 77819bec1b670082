// Entry-name cleaning, the stored-extension rule and extraction paths.
#include <gtest/gtest.h>

#include <string>

#include "framework/zip/zip_names.h"

namespace {

std::string Clean(const char* raw) {
  char out[260];
  ZipCleanEntryName(raw, out, sizeof(out));
  return out;
}

std::string Target(const char* base, const char* target) {
  char out[260];
  return ZipBuildTargetPath(base, target, out, sizeof(out)) ? out : "<refused>";
}

TEST(ZipNames, CleaningDropsDrivesRootsAndDotDotPrefixes) {
  EXPECT_EQ("x\\file", Clean("C:\\..\\..\\x\\file"));
  EXPECT_EQ("abs/name", Clean("/abs/name"));
  EXPECT_EQ("../evil", Clean("a/../../evil"));
  EXPECT_EQ("b", Clean("a/..\\b"));
  EXPECT_EQ("d/e", Clean("\\\\server\\share\\..\\d/e"));
  EXPECT_EQ("a/b/c.txt", Clean("./a/./b//c.txt"));
  EXPECT_EQ("dir/", Clean("dir/"));
  EXPECT_EQ("plain.txt", Clean("plain.txt"));
  // What the prefix rules leave is refused at extraction instead.
  EXPECT_EQ("../evil", Clean("../evil"));
  EXPECT_EQ("x/..", Clean("x/.."));
}

TEST(ZipNames, StoredExtensions) {
  for (const char* n : {"data.zip", "x.GZ", "a.Z", "b.z", "c.tgz", "d.ARJ", "e.lzh", "f.zoo", "g.arc", ".gz"})
    EXPECT_TRUE(ZipStoredByExtension(n)) << n;
  for (const char* n : {"report", "a.txt", "zip", "a.zip.txt", "a.gzip", "dir.zip/file"})
    EXPECT_FALSE(ZipStoredByExtension(n)) << n;
}

TEST(ZipNames, TargetsStayBelowTheBase) {
  EXPECT_EQ("C:\\data\\sub\\f.txt", Target("C:\\data\\", "sub\\f.txt"));
  EXPECT_EQ("/tmp/x/f", Target("/tmp/x/", "f"));
  EXPECT_EQ("D:\\abs\\f", Target("C:\\data\\", "D:\\abs\\f"));
  EXPECT_EQ("\\root\\f", Target("C:\\data\\", "\\root\\f"));
  for (const char* bad : {"../evil", "..\\evil", "a/../../evil", "x/..", "a/b/../c", "..",
                          "f.txt:stream"})
    EXPECT_EQ("<refused>", Target("C:\\data\\", bad)) << bad;
  // Names with dots that are no ".." component are fine.
  EXPECT_EQ("C:\\data\\..a\\b..", Target("C:\\data\\", "..a\\b.."));

  // Never cut: a path that does not fit is refused.
  std::string base = "C:\\" + std::string(240, 'b') + "\\";
  EXPECT_EQ("<refused>", Target(base.c_str(), "0123456789012345678"));
  EXPECT_NE("<refused>", Target(base.c_str(), "0123456789"));
}

}  // namespace
