// Saving by path: each save writes a temporary file of its own beside the
// target and moves it over the target only when it is complete, so
// concurrent saves never mix and a refused save says why and leaves no
// trace.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <direct.h>
#include <io.h>
#else
#include <unistd.h>
#endif

#include "imagelib/raster.h"
#include "imagelib/raster_file_replace.h"
#include "tests/support/file_bytes.h"
#include "tests/support/test_paths.h"

namespace {

#ifdef _WIN32
const char kSlash = '\\';
#else
const char kSlash = '/';
#endif

std::string MakeFolder(const std::string& path) {
#ifdef _WIN32
  _mkdir(path.c_str());
#else
  mkdir(path.c_str(), 0777);
#endif
  return path;
}

// A fresh, empty folder of the test's output.
std::string Folder(const std::string& name) {
  const std::string path = MakeFolder(TestOutputPath(name));
  DIR* dir = opendir(path.c_str());
  while (dirent* entry = dir ? readdir(dir) : nullptr) {
    const std::string file = entry->d_name;
    if (file != "." && file != "..") {
      chmod((path + kSlash + file).c_str(), 0666);
      remove((path + kSlash + file).c_str());
    }
  }
  if (dir) closedir(dir);
  return path;
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> files;
  DIR* dir = opendir(folder.c_str());
  while (dirent* entry = dir ? readdir(dir) : nullptr) {
    const std::string file = entry->d_name;
    if (file != "." && file != "..") files.push_back(file);
  }
  if (dir) closedir(dir);
  return files;
}

// Takes the write permissions of a folder for its life; where this process
// may write anywhere (root), natively, the folder is made immutable too.
class CLockedFolder {
 public:
  explicit CLockedFolder(const std::string& path) : mPath(path) {
    chmod(path.c_str(), 0555);
#ifndef _WIN32
    if (!Refuses() && geteuid() == 0) mImmutable = Attributes("+i");
#endif
  }
  ~CLockedFolder() {
    if (mImmutable) Attributes("-i");
    chmod(mPath.c_str(), 0777);
  }
  bool Refuses() const {
    const std::string probe = mPath + kSlash + "probe";
    FILE* f = fopen(probe.c_str(), "wb");
    if (!f) return true;
    fclose(f);
    remove(probe.c_str());
    return false;
  }

 private:
  bool Attributes(const char* change) const {
    const std::string command = std::string("chattr ") + change + " '" + mPath + "' 2>/dev/null";
    return std::system(command.c_str()) == 0;
  }

  std::string mPath;
  bool mImmutable = false;
};

// width x height 24-bit pixels from a seed; different seeds, different images.
CRaster* Noise(int32_t width, int32_t height, uint32_t seed) {
  CRaster* image = new CRaster(width, height, 24);
  BYTE* bits = image->GetBits(0);
  for (int32_t i = 0; i < image->GetRowBytes() * height; ++i) {
    seed = seed * 1103515245u + 12345u;
    bits[i] = BYTE(seed >> 24);
  }
  return image;
}

bool SamePixels(const CRaster& a, const CRaster& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) return false;
  for (int32_t y = 0; y < a.GetHeight(); ++y)
    for (int32_t x = 0; x < a.GetWidth(); ++x) {
      const RGBQUAD p = a.GetPixelColor(x, y), q = b.GetPixelColor(x, y);
      if (p.rgbRed != q.rgbRed || p.rgbGreen != q.rgbGreen || p.rgbBlue != q.rgbBlue) return false;
    }
  return true;
}

TEST(Save, ConcurrentSavesToOnePathLeaveOneWholeImage) {
  const std::string folder = Folder("concurrent");
  const std::string path = folder + kSlash + "shot.png";
  CRaster* images[2] = {Noise(96, 64, 1), Noise(80, 72, 2)};
  for (int round = 0; round < 20; ++round) {
    bool saved[2] = {false, false};
    std::thread other([&] { saved[1] = images[1]->Save(path.c_str(), RASTER_FORMAT_PNG); });
    saved[0] = images[0]->Save(path.c_str(), RASTER_FORMAT_PNG);
    other.join();
    ASSERT_TRUE(saved[0] || saved[1]) << images[0]->GetLastError();
    CRaster back;
    ASSERT_TRUE(back.Load(path.c_str(), RASTER_FORMAT_PNG)) << "round " << round << ": "
                                                           << back.GetLastError();
    const bool first = SamePixels(back, *images[0]), second = SamePixels(back, *images[1]);
    ASSERT_TRUE((first && saved[0]) || (second && saved[1])) << "round " << round;
    ASSERT_EQ(FilesIn(folder), std::vector<std::string>{"shot.png"}) << "temporary left";
  }
  delete images[0];
  delete images[1];
}

// Where a save must refuse, it says why, and changes and leaves nothing.
TEST(Save, RefusalsSayWhyAndLeaveNothing) {
  CRaster image(5, 4, 8);
  const std::string folder = Folder("refused");
  const std::string original = "the user's file";

  const std::string readOnly = folder + kSlash + "read_only.bmp";
  ASSERT_TRUE(WriteWholeFile(readOnly, original.data(), original.size()));
  ASSERT_EQ(chmod(readOnly.c_str(), 0444), 0);  // on Windows, the read-only attribute
  EXPECT_FALSE(image.Save(readOnly.c_str(), RASTER_FORMAT_BMP));
  EXPECT_STREQ(image.GetLastError(), "The file is read-only");
  EXPECT_EQ(ReadWholeFile(readOnly), std::vector<uint8_t>(original.begin(), original.end()));

  const std::string missing = folder + kSlash + "no such folder" + kSlash + "x.bmp";
  EXPECT_FALSE(image.Save(missing.c_str(), RASTER_FORMAT_BMP));
  EXPECT_STREQ(image.GetLastError(), "Cannot create a file in the folder");

  // A folder that refuses new files.
  const std::string locked = MakeFolder(folder + kSlash + "locked");
  {
    CLockedFolder lock(locked);
    if (lock.Refuses()) {
      EXPECT_FALSE(image.Save((locked + kSlash + "x.bmp").c_str(), RASTER_FORMAT_BMP));
      EXPECT_STREQ(image.GetLastError(), "Cannot create a file in the folder");
    }
  }
  EXPECT_TRUE(FilesIn(locked).empty());
  std::vector<std::string> left = FilesIn(folder);
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"locked", "read_only.bmp"}));
  chmod(readOnly.c_str(), 0666);
}

// Names the temporary file must never take over or outgrow: a user's file
// named like a temporary, and targets whose name (natively) or whole path
// (Windows: in the deepest folder it allows) is as long as the system allows,
// or whose short name leaves less room than the usual temporary name needs.
TEST(Save, TemporaryNameNeverTouchesOtherFiles) {
  CRaster* image = Noise(7, 5, 3);
  const std::string folder = Folder("names");
  const std::string theirs = "a file of the user's";
  const std::string older = folder + kSlash + "shot.png.bwsave";
  ASSERT_TRUE(WriteWholeFile(older, theirs.data(), theirs.size()));
  const std::string shot = folder + kSlash + "shot.png";
  ASSERT_TRUE(image->Save(shot.c_str(), RASTER_FORMAT_PNG)) << image->GetLastError();
  EXPECT_EQ(ReadWholeFile(older), std::vector<uint8_t>(theirs.begin(), theirs.end()));

#ifdef _WIN32
  // A folder path of 248 characters (MAX_PATH less room for an 8.3 name),
  // then paths of 254 and 259 characters.
  std::string deep = folder;
  while (deep.size() + 41 < 247) deep = MakeFolder(deep + kSlash + std::string(40, 'd'));
  deep = MakeFolder(deep + kSlash + std::string(247 - deep.size(), 'e'));
  ASSERT_EQ(deep.size(), 248u);
  const std::string targets[] = {deep + kSlash + "a.png", deep + kSlash + "name_6.png"};
  ASSERT_EQ(targets[1].size(), 259u);
#else
  const std::string targets[] = {folder + kSlash + std::string(251, 'n') + ".png"};
#endif
  for (const std::string& target : targets) {
    ASSERT_TRUE(image->Save(target.c_str(), RASTER_FORMAT_PNG)) << target << ": "
                                                               << image->GetLastError();
    CRaster back;
    ASSERT_TRUE(back.Load(target.c_str(), RASTER_FORMAT_PNG)) << back.GetLastError();
    EXPECT_TRUE(SamePixels(back, *image));
  }
  delete image;
}

// Every target whose own path keeps within a path limit gets a temporary
// path within it too, in its folder, whatever room its name leaves (one
// character of room is too little: a temporary name takes two); numbers that
// differ in their low digits give different names.
TEST(Save, TemporaryPathsKeepWithinThePathLimit) {
  for (size_t limit : {size_t(16), size_t(259)}) {
    for (size_t folderLength = 0; folderLength < limit; ++folderLength) {
      const std::string folder = folderLength ? std::string(folderLength - 1, 'f') + '/' : "";
      for (size_t nameLength = 2; folderLength + nameLength <= limit; ++nameLength) {
        const std::string target = folder + std::string(nameLength, 'n');
        SCOPED_TRACE(std::to_string(limit) + ": " + target);
        const std::string first = TemporaryPathFor(target.c_str(), 0x1234, limit);
        const std::string second = TemporaryPathFor(target.c_str(), 0x1235, limit);
        ASSERT_LE(first.size(), limit);
        ASSERT_EQ(first.compare(0, folder.size(), folder), 0);
        const std::string name = first.substr(folder.size());
        ASSERT_TRUE(name.size() >= 2 && name[0] == '~' && name.find('/') == std::string::npos);
        ASSERT_NE(first, second);
        if (folderLength + 11 <= limit) {
          ASSERT_EQ(name, "~bw1234.tmp");
        }
      }
    }
  }
}

#ifndef _WIN32
// The replaced file keeps its permissions; a new one gets the usual ones,
// not those of a private temporary file.
TEST(Save, PermissionsOfTheTarget) {
  CRaster image(3, 3, 24);
  const std::string folder = Folder("modes");
  const std::string kept = folder + "/kept.bmp";
  ASSERT_TRUE(image.Save(kept.c_str(), RASTER_FORMAT_BMP));
  ASSERT_EQ(chmod(kept.c_str(), 0640), 0);
  ASSERT_TRUE(image.Save(kept.c_str(), RASTER_FORMAT_BMP));
  struct stat st;
  ASSERT_EQ(stat(kept.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);

  const mode_t mask = umask(022);
  const std::string fresh = folder + "/fresh.bmp";
  ASSERT_TRUE(image.Save(fresh.c_str(), RASTER_FORMAT_BMP));
  umask(mask);
  ASSERT_EQ(stat(fresh.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
}
#endif

}  // namespace
