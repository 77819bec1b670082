// Times BMP and PNG decode and encode of the benchmark images in memory, TIFF
// decode (LZW and Deflate with predictor) where the image has them, JPEG
// decode (quality 90, 4:2:0) and encode at quality 90 with options 0 and
// 0x2001 where the image has a JPEG, the Create + packed-DIB round trip that
// the clipboard path takes, and the image operations: resampling 3840 x 2160
// down to half and 1920 x 1080 up to double by every method, turning by 17
// degrees, and quantizing to 256 colours (the application's quantizer, then
// DecreaseBpp with and without error diffusion; those results are written
// beside the images for their PSNR), and GIF decode and encode by every
// code writer. Prints one line per operation: image,
// operation, best milliseconds, megabytes of pixels per second. Run through
// scripts/bench-imagelib.sh.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/document/quantizer.h"
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

// GIF: decoding the 256-colour file, its indices written by each of the
// three code writers (the LZW file kept beside it for its size), and the
// true-colour picture as tiles.
void BenchGif(const std::string& folder, const std::string& name, const std::vector<unsigned char>& gif,
              CRaster& rgb, double pixelBytes) {
  CRaster indexed;
  if (!DecodeBytes(gif, RASTER_FORMAT_GIF, &indexed)) {
    fprintf(stderr, "%s: GIF does not decode\n", name.c_str());
    exit(1);
  }
  Report(name, "gif_decode", BestMilliseconds([&] {
           CRaster out;
           return DecodeBytes(gif, RASTER_FORMAT_GIF, &out);
         }), pixelBytes);
  const struct {
    uint32_t option;
    const char* op;
  } writers[] = {{0, "gif_encode"}, {1, "gif_encode_literal"}, {2, "gif_encode_runs"}};
  for (const auto& w : writers) {
    indexed.SetCodecOption(w.option, RASTER_FORMAT_GIF);
    Report(name, w.op, BestMilliseconds([&] {
             CRasterMemFile out;
             return out.Open() && indexed.Encode(&out, RASTER_FORMAT_GIF);
           }), pixelBytes);
    CRasterMemFile kept;
    const std::string path = folder + "/" + name + "." + w.op + ".gif";
    FILE* f = kept.Open() && indexed.Encode(&kept, RASTER_FORMAT_GIF) ? fopen(path.c_str(), "wb") : nullptr;
    if (f) {
      fwrite(kept.GetBuffer(), 1, size_t(kept.Size()), f);
      fclose(f);
    }
  }
  Report(name, "gif_encode_tiles", BestMilliseconds([&] {
           CRasterMemFile out;
           return out.Open() && rgb.Encode(&out, RASTER_FORMAT_GIF);
         }), pixelBytes);
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
  const std::vector<unsigned char> gif = ReadFile(folder + "/" + name + ".gif");
  if (!gif.empty()) BenchGif(folder, name, gif, image, pixelBytes);
  // TIFF with LZW and Deflate, both with the horizontal predictor.
  for (const char* kind : {"lzw", "zip"}) {
    const std::vector<unsigned char> tif = ReadFile(folder + "/" + name + "_" + kind + ".tif");
    if (tif.empty()) continue;
    const std::string op = std::string("tif_") + kind + "_decode";
    Report(name, op.c_str(), BestMilliseconds([&] {
             CRaster out;
             return DecodeBytes(tif, RASTER_FORMAT_TIF, &out);
           }), pixelBytes);
  }
  Report(name, "create_dib_roundtrip", BestMilliseconds([&] {
           CRaster made(image.GetWidth(), image.GetHeight(), 24);
           if (!made.IsValid()) return false;
           std::vector<unsigned char> packed(made.GetDib(), made.GetDib() + made.GetSize());
           CRaster back;
           return back.CreateFromPackedDib(packed.data(), packed.size());
         }), pixelBytes);
}

bool LoadBmp(const std::string& path, CRaster* image) {
  const std::vector<unsigned char> bytes = ReadFile(path);
  return !bytes.empty() && DecodeBytes(bytes, RASTER_FORMAT_BMP, image);
}

void WriteRgb(const CRaster& image, const std::string& path) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return;
  for (int32_t y = image.GetHeight() - 1; y >= 0; --y) {
    for (int32_t x = 0; x < image.GetWidth(); ++x) {
      const RGBQUAD c = image.GetPixelColor(x, y);
      const unsigned char rgb[3] = {c.rgbRed, c.rgbGreen, c.rgbBlue};
      fwrite(rgb, 1, 3, f);
    }
  }
  fclose(f);
}

bool Quantize(const CRaster& source, bool diffused, CRaster* out) {
  CQuantizer quantizer(256, 7);
  if (!quantizer.ProcessImage(source.GetDib())) return false;
  RGBQUAD palette[256] = {};
  quantizer.SetColorTable(palette);
  return out->Copy(source) && out->DecreaseBpp(8, diffused, palette, 0);
}

// big: a 3840 x 2160 picture; small: the same kind at 1920 x 1080.
void BenchOperations(const std::string& folder, const std::string& big, const std::string& small) {
  CRaster large, half;
  if (!LoadBmp(folder + "/" + big + ".bmp", &large) || !LoadBmp(folder + "/" + small + ".bmp", &half)) {
    fprintf(stderr, "%s, %s: inputs missing\n", big.c_str(), small.c_str());
    exit(1);
  }
  const double largeBytes = double(large.GetWidth()) * large.GetHeight() * 3;
  // Shrinking averages the covered area the same way for every method.
  Report(big, "resample_down", BestMilliseconds([&] {
           CRaster out;
           return large.Resample(large.GetWidth() / 2, large.GetHeight() / 2, InterpBilinear,
                                 OverflowRepeat, &out);
         }), largeBytes);
  for (int32_t method = 1; method <= 18; ++method) {
    Report(small, ("resample_up_" + std::to_string(method)).c_str(), BestMilliseconds([&] {
             CRaster out;
             return half.Resample(half.GetWidth() * 2, half.GetHeight() * 2, method, OverflowRepeat,
                                  &out);
           }), largeBytes);
  }
  Report(big, "rotate_17", BestMilliseconds([&] {
           CRaster out;
           return large.Rotate(17, &out, InterpBilinear, OverflowColor, nullptr);
         }), largeBytes);
  for (bool diffused : {false, true}) {
    CRaster kept;
    const char* op = diffused ? "quantize_256_fs" : "quantize_256";
    Report(big, op, BestMilliseconds([&] { return Quantize(large, diffused, &kept); }), largeBytes);
    WriteRgb(kept, folder + "/" + big + "_" + op + ".rgb");
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: bench_imagelib <folder> <image name>... [--operations <big> <small>...]\n");
    return 2;
  }
  int i = 2;
  for (; i < argc && std::string(argv[i]) != "--operations"; ++i) BenchImage(argv[1], argv[i]);
  for (++i; i + 1 < argc; i += 2) BenchOperations(argv[1], argv[i], argv[i + 1]);
  return 0;
}
