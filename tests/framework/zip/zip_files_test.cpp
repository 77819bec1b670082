// Archives on disk: writing from source files (checked afterwards by unzip,
// zipinfo and Python's zipfile), reading archives of other tools, and
// hostile archives that must not write outside their folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "framework/zip/zip.h"
#include "framework/zip/zip_platform.h"
#include "framework/zip/zip_time.h"
#include "tests/support/file_bytes.h"
#include "tests/support/test_paths.h"

namespace {

typedef std::vector<uint8_t> Bytes;

#ifdef _WIN32
const char kSep = '\\';
#else
const char kSep = '/';
#endif

std::string Fixture(const std::string& rel) {
  std::string p = TestOutputPath("fixtures/" + rel);
  for (char& c : p)
    if (c == '/' || c == '\\') c = kSep;
  return p;
}

std::string Output(const std::string& rel) {
  std::string p = TestOutputPath(rel);
  for (char& c : p)
    if (c == '/' || c == '\\') c = kSep;
  return p;
}

bool Exists(const std::string& path) {
  FILE* f = fopen(path.c_str(), "rb");
  if (f) fclose(f);
  return f != nullptr;
}

// Creates the folder and every missing folder above it.
void MakeFolders(const std::string& path) {
  for (size_t i = 1; i <= path.size(); i++) {
    if (i == path.size() || path[i] == kSep) {
      std::string part = path.substr(0, i);
      if (part.back() != ':') ZipPlatformCreateFolder(part.c_str());
    }
  }
}

// The names in a folder, sorted ("." and ".." left out).
std::vector<std::string> ListFolder(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

ZipFileFacts Facts(const std::string& path) {
  ZipFileFacts facts = {};
  CZipStream* s = ZipPlatformOpenSource(path.c_str(), &facts);
  EXPECT_NE(nullptr, s) << path;
  delete s;
  return facts;
}

// --- Writing ---

TEST(ZipFiles, WritesArchivesFromFiles) {
  MakeFolders(Output("written"));
  const char* sources[] = {"summer.txt", "winter.bin", "readonly.txt", "old.txt", "data.zip"};
  for (const char* password : {static_cast<const char*>(nullptr), "pw-Zq81"}) {
    std::string path = Output(password ? "written/password.zip" : "written/plain.zip");
    ZipHandle z = ZipCreateFile(path.c_str(), password);
    ASSERT_NE(nullptr, z) << path;
    for (const char* s : sources) {
      std::string name = std::string("sources\\") + s;
      EXPECT_EQ(ZIP_OK, ZipAddFile(z, name.c_str(), Fixture(std::string("sources/") + s).c_str())) << s;
    }
    // A missing source fails that add only.
    EXPECT_EQ(ZIP_ERR_OPEN, ZipAddFile(z, "missing.txt", Fixture("sources/missing.txt").c_str()));
    EXPECT_EQ(ZIP_OK, ZipAddMemory(z, "memory.txt", "made in memory\r\n", 16));
    void* image;
    uint32_t length;
    EXPECT_EQ(ZIP_ERR_NOT_MEMORY, ZipGetImage(z, &image, &length));
    EXPECT_EQ(ZIP_OK, ZipCloseWriter(z));
  }

  // A memory archive as the settings store makes it, for the same checks.
  Bytes text;
  ASSERT_TRUE(ReadWholeFile(Fixture("sources/summer.txt"), &text));
  ZipHandle m = ZipCreateMemory(nullptr, static_cast<uint32_t>(text.size() + 256), "pw-Zq81");
  ASSERT_EQ(ZIP_OK, ZipAddMemory(m, "1", text.data(), static_cast<uint32_t>(text.size())));
  void* image;
  uint32_t length;
  ASSERT_EQ(ZIP_OK, ZipGetImage(m, &image, &length));
  FILE* f = fopen(Output("written/memory.zip").c_str(), "wb");
  ASSERT_NE(nullptr, f);
  EXPECT_EQ(length, fwrite(image, 1, length, f));
  fclose(f);
  ZipCloseWriter(m);

  // Our own reader: contents, attributes and the exact "UT" times.
  ZipHandle z = ZipOpenFile(Output("written/plain.zip").c_str(), nullptr);
  ASSERT_NE(nullptr, z);
  ZipEntryInfo info;
  ASSERT_EQ(ZIP_OK, ZipGetEntry(z, -1, &info));
  ASSERT_EQ(6, info.iIndex);
  const uint32_t stamps[] = {1625000000, 1610000000, 1600000000, 100000000};
  for (int32_t i = 0; i < 5; i++) {
    ASSERT_EQ(ZIP_OK, ZipGetEntry(z, i, &info));
    EXPECT_EQ(std::string("sources/") + sources[i], info.szName);
    ZipFileFacts facts = Facts(Fixture(std::string("sources/") + sources[i]));
    EXPECT_EQ(facts.ullSize, info.ulUncompressedSize);
    if (i < 4) {
      EXPECT_EQ(UnixToFileTime(stamps[i]), info.ftModification) << sources[i];
    }
    EXPECT_EQ(facts.ulAttributes & 0x37, info.ulAttributes) << sources[i];
    Bytes want, got(info.ulUncompressedSize + 1);
    ReadWholeFile(Fixture(std::string("sources/") + sources[i]), &want);
    ASSERT_EQ(ZIP_OK, ZipExtractToMemory(z, i, got.data(), static_cast<uint32_t>(got.size())));
    EXPECT_TRUE(std::equal(want.begin(), want.end(), got.begin()));
  }
  EXPECT_TRUE(info.ulAttributes & 0x20);
  ASSERT_EQ(ZIP_OK, ZipGetEntry(z, 2, &info));
  EXPECT_EQ(1u, info.ulAttributes & 1) << "read-only source";
  ZipCloseReader(z);
}

#ifndef _WIN32
// Sources that misbehave while they are read. A folder opens here but every
// read fails; a /proc file says it is empty and then delivers text.
TEST(ZipFiles, SourceReadProblemsFailTheAdd) {
  MakeFolders(Output("written"));
  ZipHandle z = ZipCreateFile(Output("written/readerrors.zip").c_str(), nullptr);
  ASSERT_NE(nullptr, z);
  EXPECT_EQ(ZIP_OK, ZipAddMemory(z, "first.txt", "kept", 4));
  EXPECT_EQ(ZIP_ERR_WRITE, ZipAddFile(z, "folder.txt", Fixture("tree").c_str()));
  EXPECT_EQ(ZIP_ERR_FAILED_EARLIER, ZipAddMemory(z, "later.txt", "x", 1)) << "output was written";
  EXPECT_EQ(ZIP_OK, ZipCloseWriter(z));
  ZipHandle r = ZipOpenFile(Output("written/readerrors.zip").c_str(), nullptr);
  ASSERT_NE(nullptr, r);
  ZipEntryInfo info;
  ASSERT_EQ(ZIP_OK, ZipGetEntry(r, -1, &info));
  EXPECT_EQ(1, info.iIndex) << "only the good entry is listed";
  ZipCloseReader(r);

  z = ZipCreateFile(Output("written/sizechange.zip").c_str(), nullptr);
  EXPECT_EQ(ZIP_ERR_WRITE, ZipAddFile(z, "status.txt", "/proc/self/status"));
  ZipCloseWriter(z);
}
#endif

TEST(ZipFiles, ExtractsWithTimesAttributesAndFolders) {
  ZipHandle z = ZipOpenFile(Fixture("foreign/r.zip").c_str(), nullptr);
  ASSERT_NE(nullptr, z);
  std::string base = Output("extract/own");
  MakeFolders(base);
  ASSERT_EQ(ZIP_OK, ZipSetBaseFolder(z, base.c_str()));
  ZipEntryInfo info;
  int32_t index;
  ASSERT_EQ(ZIP_OK, ZipFindEntry(z, "tree/sub/deeper/notes.txt", false, &index, &info));
  // Folders on the way are made one by one.
  EXPECT_EQ(ZIP_OK, ZipExtractToFile(z, index, "a\\b/c\\notes.txt"));
  std::string file = base + kSep + "a" + kSep + "b" + kSep + "c" + kSep + "notes.txt";
  Bytes want, got;
  ASSERT_TRUE(ReadWholeFile(Fixture("tree/sub/deeper/notes.txt"), &want));
  ASSERT_TRUE(ReadWholeFile(file, &got));
  EXPECT_EQ(want, got);
  EXPECT_EQ(UnixToFileTime(1600000000), Facts(file).ftModification);
  // A good entry replaces a file that is already there, whatever its size.
  const Bytes longer(want.size() * 3 + 7, 'x');
  ASSERT_TRUE(WriteWholeFile(file, longer.data(), longer.size()));
  EXPECT_EQ(ZIP_OK, ZipExtractToFile(z, index, "a\\b/c\\notes.txt"));
  EXPECT_EQ(want, ReadWholeFile(file));
  EXPECT_EQ((std::vector<std::string>{"notes.txt"}), ListFolder(base + kSep + "a" + kSep + "b" + kSep + "c"));

  ASSERT_EQ(ZIP_OK, ZipFindEntry(z, "tree/locked.txt", false, &index, &info));
  EXPECT_EQ(0x21u, info.ulAttributes) << "Unix host: no owner write means read-only";
  EXPECT_EQ(ZIP_OK, ZipExtractToFile(z, index, "locked.txt"));
  EXPECT_EQ(1u, Facts(base + kSep + "locked.txt").ulAttributes & 1);

  ASSERT_EQ(ZIP_OK, ZipFindEntry(z, "tree/empty/", false, &index, &info));
  EXPECT_EQ(0x10u, info.ulAttributes & 0x10);
  EXPECT_EQ(ZIP_OK, ZipExtractToFile(z, index, "made/empty/"));
  EXPECT_TRUE(ZipPlatformCreateFolder((base + kSep + "made" + kSep + "empty").c_str()));

  // An absolute target stands as it is; ".." never leaves the base.
  std::string absolute = Output("extract/absolute.txt");
  EXPECT_EQ(ZIP_OK, ZipExtractToFile(z, 0, absolute.c_str()));
  EXPECT_EQ(ZIP_ERR_OPEN, ZipExtractToFile(z, 0, "..\\escaped.txt"));
  EXPECT_FALSE(Exists(Output("extract/escaped.txt")));
  ZipCloseReader(z);
}

// --- Archives of other tools ---

void ExpectTreeExtracts(const char* archive, const char* password) {
  SCOPED_TRACE(archive);
  ZipHandle z = ZipOpenFile(Fixture(std::string("foreign/") + archive).c_str(), password);
  ASSERT_NE(nullptr, z) << std::hex << gZipReaderResult;
  std::string base = Output(std::string("extract/foreign/") + archive);
  MakeFolders(base);
  ASSERT_EQ(ZIP_OK, ZipSetBaseFolder(z, base.c_str()));
  ZipEntryInfo info;
  ASSERT_EQ(ZIP_OK, ZipGetEntry(z, -1, &info));
  int files = 0;
  for (int32_t i = 0; i < info.iIndex; i++) {
    ZipEntryInfo e;
    ASSERT_EQ(ZIP_OK, ZipGetEntry(z, i, &e));
    ASSERT_EQ(ZIP_OK, ZipExtractToFile(z, i, e.szName)) << e.szName;
    if (e.ulAttributes & 0x10) continue;
    Bytes want, got;
    ASSERT_TRUE(ReadWholeFile(Fixture(e.szName), &want)) << e.szName;
    ASSERT_TRUE(ReadWholeFile(base + kSep + e.szName, &got)) << e.szName;
    EXPECT_EQ(want, got) << e.szName;
    files++;
  }
  EXPECT_EQ(4, files);
  ZipCloseReader(z);
}

TEST(ZipFiles, ReadsArchivesOfOtherTools) {
  for (const char* a : {"r.zip", "stored.zip", "noextra.zip", "comment.zip", "streamed.zip", "sfx.zip",
                        "sfx_adjusted.zip"})
    ExpectTreeExtracts(a, nullptr);
  ExpectTreeExtracts("password.zip", "pw-Zq81");
}

TEST(ZipFiles, ForeignOddities) {
  // Wrong password: refused before the target file exists.
  ZipHandle z = ZipOpenFile(Fixture("foreign/password.zip").c_str(), "wrong");
  ASSERT_NE(nullptr, z);
  int32_t index;
  ZipEntryInfo info;
  ASSERT_EQ(ZIP_OK, ZipFindEntry(z, "tree/readme.txt", false, &index, &info));
  ASSERT_EQ(ZIP_OK, ZipSetBaseFolder(z, Output("extract/wrongpw").c_str()));
  ZipResult r = ZipExtractToFile(z, index, "readme.txt");
  EXPECT_TRUE(r == ZIP_ERR_PASSWORD || r == ZIP_ERR_DATA) << std::hex << r;
  EXPECT_FALSE(Exists(Output("extract/wrongpw/readme.txt")));
  ZipCloseReader(z);

  z = ZipOpenFile(Fixture("foreign/bzip2.zip").c_str(), nullptr);
  ASSERT_NE(nullptr, z);
  ASSERT_EQ(ZIP_OK, ZipGetEntry(z, 0, &info)) << "listing works whatever the method";
  Bytes out(2000);
  EXPECT_EQ(ZIP_ERR_DATA, ZipExtractToMemory(z, 0, out.data(), 2000));
  ASSERT_EQ(ZIP_OK, ZipSetBaseFolder(z, Output("extract/bzip2").c_str()));
  EXPECT_EQ(ZIP_ERR_DATA, ZipExtractToFile(z, 0, "packed.txt"));
  EXPECT_FALSE(Exists(Output("extract/bzip2/packed.txt")));
  ZipCloseReader(z);

  z = ZipOpenFile(Fixture("foreign/empty.zip").c_str(), nullptr);
  ASSERT_NE(nullptr, z);
  ASSERT_EQ(ZIP_OK, ZipGetEntry(z, -1, &info));
  EXPECT_EQ(0, info.iIndex);
  EXPECT_EQ(ZIP_ERR_ARGS, ZipGetEntry(z, 0, &info));
  ZipCloseReader(z);

  EXPECT_EQ(nullptr, ZipOpenFile(Fixture("foreign/missing.zip").c_str(), nullptr));
  EXPECT_EQ(ZIP_ERR_OPEN, gZipReaderResult);
}

// --- Hostile archives ---

struct HostileCase {
  const char* pszName;
  bool bOpens;
  std::vector<ZipResult> aExtract;  // per entry, ExtractToFile to its cleaned name
};

TEST(ZipFiles, HostileArchivesStayInsideTheirFolder) {
  const ZipResult ok = ZIP_OK, refused = ZIP_ERR_OPEN, data = ZIP_ERR_DATA, central = ZIP_ERR_READ,
                  local = ZIP_ERR_LOCAL_HEADER;
  const std::vector<HostileCase> cases = {
      {"dotdot_slash", true, {refused}},
      {"dotdot_backslash", true, {refused}},
      {"dotdot_middle", true, {refused}},
      {"dotdot_tail", true, {refused}},
      {"drive_and_root", true, {ok, ok}},
      {"dot_components", true, {ok}},
      {"huge_name", false, {}},
      {"huge_extra", false, {}},
      {"huge_comment", false, {}},
      {"huge_count", false, {}},
      {"count_beyond_headers", true, {ok, central}},
      {"wrapping_cd", false, {}},
      {"local_offset_past_end", true, {local}},
      {"csize_past_end", true, {local}},
      {"overlapping", true, {ok, ok, local}},
      {"ut_overrun", true, {local}},
      {"truncated_deflate", true, {data}},
      {"flipped_byte", true, {data}},
      {"valid_deflate", true, {ok}},
      {"bad_crc", true, {data}},
      {"disk_number", false, {}},
      {"truncated_end", false, {}},
  };
  for (const HostileCase& c : cases) {
    SCOPED_TRACE(c.pszName);
    std::string archive = Fixture(std::string("hostile/") + c.pszName + ".zip");
    ASSERT_TRUE(Exists(archive));
    ZipHandle z = ZipOpenFile(archive.c_str(), nullptr);
    ASSERT_EQ(c.bOpens, z != nullptr) << std::hex << gZipReaderResult;
    if (!z) continue;
    std::string base = Output(std::string("extract/hostile/") + c.pszName + "/base");
    MakeFolders(base);
    ASSERT_EQ(ZIP_OK, ZipSetBaseFolder(z, base.c_str()));
    ZipEntryInfo info;
    ASSERT_EQ(ZIP_OK, ZipGetEntry(z, -1, &info));
    ASSERT_EQ(c.aExtract.size(), size_t(info.iIndex));
    for (int32_t i = 0; i < info.iIndex; i++) {
      ZipEntryInfo e = {};
      ZipResult r = ZipGetEntry(z, i, &e);
      std::string target = r == ZIP_OK ? e.szName : "unnamed";
      // A damaged entry meets a file of the user's where it would land: the
      // file must come out of the failed extraction byte for byte.
      const bool damaged = c.aExtract[i] != ok && c.aExtract[i] != refused;
      const Bytes users = {'u', 's', 'e', 'r', 0, 0xFF};
      std::string landing = base + kSep + target;
      if (damaged) {
        ASSERT_TRUE(WriteWholeFile(landing, users.data(), users.size())) << landing;
      }
      std::vector<std::string> before = ListFolder(base);
      if (r == ZIP_OK) r = ZipExtractToFile(z, i, target.c_str());
      EXPECT_EQ(c.aExtract[i], r) << "entry " << i << " " << target;
      if (damaged) {
        EXPECT_EQ(users, ReadWholeFile(landing)) << "the user's file was touched";
        EXPECT_EQ(before, ListFolder(base)) << "a temporary file was left";
        ZipPlatformDeleteFile(landing.c_str());
      }
      // The memory path agrees: no data for a damaged entry.
      Bytes out(100000);
      ZipResult m = ZipExtractToMemory(z, i, out.data(), static_cast<uint32_t>(out.size()));
      if (c.aExtract[i] == ok || c.aExtract[i] == refused) {
        EXPECT_EQ(ZIP_OK, m);
      } else if (c.aExtract[i] == data) {
        EXPECT_EQ(ZIP_ERR_DATA, m);
      }
    }
    ZipCloseReader(z);
    // Nothing above the base.
    EXPECT_FALSE(Exists(Output(std::string("extract/hostile/") + c.pszName + "/evil")));
    EXPECT_FALSE(Exists(Output("extract/hostile/evil")));
    EXPECT_FALSE(Exists(Output("extract/evil")));
    EXPECT_FALSE(Exists(Output("evil")));
  }
  // The cleaned names of the prefix tricks.
  ZipHandle z = ZipOpenFile(Fixture("hostile/drive_and_root.zip").c_str(), nullptr);
  ASSERT_NE(nullptr, z);
  ZipEntryInfo e;
  ASSERT_EQ(ZIP_OK, ZipGetEntry(z, 0, &e));
  EXPECT_STREQ("x\\file", e.szName);
  ASSERT_EQ(ZIP_OK, ZipGetEntry(z, 1, &e));
  EXPECT_STREQ("abs/name", e.szName);
  ZipCloseReader(z);
}

}  // namespace
