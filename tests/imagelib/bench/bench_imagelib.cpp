// Times BMP and PNG decode and encode of the benchmark images in memory, JPEG
// decode (quality 90, 4:2:0) and encode at quality 90 with options 0 and
// 0x2001 where the image has a JPEG, and the Create + packed-DIB round trip
// that the clipboard path takes. Prints
// one line per operation: image, operation, best milliseconds, megabytes of
// pixels per second. Run through scripts/bench-imagelib.sh.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "imagelib/raster.h"
#include "imagelib/raster_mem_file.h"

namespace {

std::vector<unsigned char> ReadFile(const std::string& path) {
  std::vector<unsigned char> bytes;
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return bytes;
  fseek(f, 0, SEEK_END);
  bytes.resize(size_t(ftell(f)));
  fseek(f, 0, SEEK_SET);
  if (fread(bytes.data(), 1, bytes.size(), f) != bytes.size()) bytes.clear();
  fclose(f);
  return bytes;
}

// Best time of several runs (at least 3, up to 20 or about two seconds).
template <class Work>
double BestMilliseconds(Work work) {
  double best = 1e30, total = 0;
  for (int run = 0; run < 20 && (run < 3 || total < 2000); ++run) {
    const auto start = std::chrono::steady_clock::now();
    if (!work()) {
      fprintf(stderr, "operation failed\n");
      exit(1);
    }
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (ms < best) best = ms;
    total += ms;
  }
  return best;
}

void Report(const std::string& name, const char* op, double ms, double pixelBytes) {
  printf("%s %s %.3f %.1f\n", name.c_str(), op, ms, pixelBytes / 1e6 / (ms / 1e3));
  fflush(stdout);
}

bool DecodeBytes(const std::vector<unsigned char>& bytes, int32_t type, CRaster* image) {
  CRasterMemFile in(static_cast<const void*>(bytes.data()), bytes.size());
  return image->Decode(&in, type);
}

void BenchImage(const std::string& folder, const std::string& name) {
  const std::vector<unsigned char> bmp = ReadFile(folder + "/" + name + ".bmp");
  const std::vector<unsigned char> png = ReadFile(folder + "/" + name + ".png");
  CRaster image;
  if (bmp.empty() || png.empty() || !DecodeBytes(bmp, RASTER_FORMAT_BMP, &image)) {
    fprintf(stderr, "%s: inputs missing\n", name.c_str());
    exit(1);
  }
  const double pixelBytes = double(image.GetWidth()) * image.GetHeight() * 3;

  Report(name, "bmp_decode", BestMilliseconds([&] {
           CRaster out;
           return DecodeBytes(bmp, RASTER_FORMAT_BMP, &out);
         }), pixelBytes);
  Report(name, "bmp_encode", BestMilliseconds([&] {
           CRasterMemFile out;
           return out.Open() && image.Encode(&out, RASTER_FORMAT_BMP);
         }), pixelBytes);
  Report(name, "png_decode", BestMilliseconds([&] {
           CRaster out;
           return DecodeBytes(png, RASTER_FORMAT_PNG, &out);
         }), pixelBytes);
  // Codec option 0: zlib's default level (6) and libpng's default filters.
  Report(name, "png_encode", BestMilliseconds([&] {
           CRasterMemFile out;
           return out.Open() && image.Encode(&out, RASTER_FORMAT_PNG);
         }), pixelBytes);
  const std::vector<unsigned char> jpg = ReadFile(folder + "/" + name + ".jpg");
  if (!jpg.empty()) {
    Report(name, "jpg_decode", BestMilliseconds([&] {
             CRaster out;
             return DecodeBytes(jpg, RASTER_FORMAT_JPG, &out);
           }), pixelBytes);
    for (uint32_t option : {0u, 0x2001u}) {
      image.SetCodecOption(option, RASTER_FORMAT_JPG);
      Report(name, option ? "jpg_encode_2001" : "jpg_encode", BestMilliseconds([&] {
               CRasterMemFile out;
               return out.Open() && image.Encode(&out, RASTER_FORMAT_JPG);
             }), pixelBytes);
    }
  }
  Report(name, "create_dib_roundtrip", BestMilliseconds([&] {
           CRaster made(image.GetWidth(), image.GetHeight(), 24);
           if (!made.IsValid()) return false;
           std::vector<unsigned char> packed(made.GetDib(), made.GetDib() + made.GetSize());
           CRaster back;
           return back.CreateFromPackedDib(packed.data(), packed.size());
         }), pixelBytes);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: bench_imagelib <folder> <image name>...\n");
    return 2;
  }
  for (int i = 2; i < argc; ++i) BenchImage(argv[1], argv[i]);
  return 0;
}
