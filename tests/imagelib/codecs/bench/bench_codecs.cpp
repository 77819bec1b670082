// Speed of the BMP and PNG codecs and of the packed-DIB round trip on
// in-memory streams. Reads <name>.rgb files (24-bit rows from the top,
// red first) named in list.txt as "<name> <width> <height>", prints one
// line per operation: name, operation, milliseconds per run, MB/s of
// 24-bit pixel data.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "imagelib/codecs/bmp/raster_bmp.h"
#include "imagelib/codecs/png/raster_png.h"
#include "imagelib/raster_mem_file.h"

namespace {

template <class F>
double BestMs(int runs, F&& f) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    f();
    const std::chrono::duration<double, std::milli> ms = std::chrono::steady_clock::now() - start;
    if (ms.count() < best) best = ms.count();
  }
  return best;
}

std::vector<unsigned char> Encoded(CRaster& image, CRasterCodec& codec) {
  CRasterMemFile file;
  file.Open();
  codec.Ghost(&image);
  if (!codec.Encode(&file)) std::fprintf(stderr, "encode failed: %s\n", codec.GetLastError());
  const unsigned char* data = file.GetBuffer();
  return std::vector<unsigned char>(data, data + file.Size());
}

template <class Codec>
void EncodeDecode(const std::string& name, CRaster& image, const char* label, double mb, int runs) {
  std::vector<unsigned char> bytes;
  const double encode = BestMs(runs, [&] {
    Codec codec;
    bytes = Encoded(image, codec);
  });
  const double decode = BestMs(runs, [&] {
    CRasterMemFile file(static_cast<const void*>(bytes.data()), bytes.size());
    Codec codec;
    if (!codec.Decode(&file)) std::fprintf(stderr, "decode failed: %s\n", codec.GetLastError());
  });
  std::printf("%s %s_encode %.2f %.0f %zu\n", name.c_str(), label, encode, mb / encode * 1000, bytes.size());
  std::printf("%s %s_decode %.2f %.0f %zu\n", name.c_str(), label, decode, mb / decode * 1000, bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_codecs <folder>\n");
    return 2;
  }
  const std::string folder = argv[1];
  std::ifstream list(folder + "/list.txt");
  std::string name;
  int32_t width = 0, height = 0;
  while (list >> name >> width >> height) {
    std::ifstream in(folder + "/" + name + ".rgb", std::ios::binary);
    std::vector<unsigned char> rgb((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    CRaster image(width, height, 24);
    for (int32_t y = 0; y < height; ++y) {
      BYTE* row = image.GetBits(height - 1 - y);
      const unsigned char* s = &rgb[size_t(y) * width * 3];
      for (int32_t x = 0; x < width; ++x) {
        row[3 * x] = s[3 * x + 2];
        row[3 * x + 1] = s[3 * x + 1];
        row[3 * x + 2] = s[3 * x];
      }
    }
    const double mb = double(width) * height * 3 / 1e6;
    EncodeDecode<CRasterBMP>(name, image, "bmp", mb, 10);
    EncodeDecode<CRasterPNG>(name, image, "png", mb, 3);
    const double dib = BestMs(10, [&] {
      CRaster copy;
      copy.CreateFromPackedDib(image.GetDib(), image.GetSize());
    });
    std::printf("%s dib_roundtrip %.2f %.0f %u\n", name.c_str(), dib, mb / dib * 1000, image.GetSize());
  }
  return 0;
}
