// Speed and size of the compressor against zlib's raw deflate at level 8
// (memLevel 8) on the same buffers, and the time and peak memory of adding
// and extracting a 200 MB file. Usage: bench_deflate <corpus folder> <scratch folder>
#include <sys/resource.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "framework/zip/deflate.h"
#include "framework/zip/zip.h"
#include "tests/support/file_bytes.h"

namespace {

typedef std::vector<uint8_t> Bytes;

struct Io {
  const Bytes* pIn;
  size_t uPos;
  size_t uOut;
};

int Read(void* user, uint8_t* buffer, unsigned count) {
  Io* io = static_cast<Io*>(user);
  size_t n = std::min<size_t>(count, io->pIn->size() - io->uPos);
  memcpy(buffer, io->pIn->data() + io->uPos, n);
  io->uPos += n;
  return static_cast<int>(n);
}

void Write(void* user, const uint8_t*, unsigned count) { static_cast<Io*>(user)->uOut += count; }

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

size_t OursOnce(CDeflater& d, const Bytes& in) {
  Io io = {&in, 0, 0};
  uint64_t length;
  d.Compress(Read, Write, &io, &length);
  return io.uOut;
}

size_t ZlibOnce(const Bytes& in, Bytes& out) {
  z_stream z = {};
  deflateInit2(&z, 8, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  out.resize(deflateBound(&z, in.size()));
  z.next_in = const_cast<uint8_t*>(in.data());
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  size_t n = z.total_out;
  deflateEnd(&z);
  return n;
}

// Repeats small inputs up to about 8 MB so timings are steady.
Bytes Grow(const Bytes& b) {
  Bytes out;
  while (!b.empty() && out.size() < (8u << 20)) out.insert(out.end(), b.begin(), b.end());
  return out;
}

long PeakKb() {
  struct rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  return ru.ru_maxrss;
}

void CompareOne(const char* name, const Bytes& in) {
  CDeflater d;
  Bytes scratch;
  auto t0 = std::chrono::steady_clock::now();
  size_t ours = 0;
  int runs = 0;
  do {
    ours = OursOnce(d, in);
    runs++;
  } while (Seconds(t0) < 1.0);
  double oursMBs = in.size() * double(runs) / Seconds(t0) / 1e6;
  t0 = std::chrono::steady_clock::now();
  size_t theirs = 0;
  runs = 0;
  do {
    theirs = ZlibOnce(in, scratch);
    runs++;
  } while (Seconds(t0) < 1.0);
  double zlibMBs = in.size() * double(runs) / Seconds(t0) / 1e6;
  printf("%-8s %10zu  %10zu %8.1f  %10zu %8.1f   %6.4f  %5.2f\n", name, in.size(), ours, oursMBs, theirs,
         zlibMBs, double(ours) / double(theirs), oursMBs / zlibMBs);
}

void BigFile(const std::string& scratch) {
  const std::string src = scratch + "/big.bin", arc = scratch + "/big.zip", back = scratch + "/big.out";
  {
    // 200 MB: text-like runs mixed with random stretches.
    FILE* f = fopen(src.c_str(), "wb");
    std::mt19937 rng(1);
    Bytes block(1 << 20);
    for (int mb = 0; mb < 200; mb++) {
      for (size_t i = 0; i < block.size(); i++)
        block[i] = (i / 4096) % 3 == 0 ? static_cast<uint8_t>(rng()) : static_cast<uint8_t>("etaoin shrdlu\n"[rng() % 14]);
      fwrite(block.data(), 1, block.size(), f);
    }
    fclose(f);
  }
  long before = PeakKb();
  auto t0 = std::chrono::steady_clock::now();
  ZipHandle z = ZipCreateFile(arc.c_str(), nullptr);
  ZipResult r = ZipAddFile(z, "big.bin", src.c_str());
  r |= ZipCloseWriter(z);
  double addSeconds = Seconds(t0);
  long afterAdd = PeakKb();
  t0 = std::chrono::steady_clock::now();
  ZipHandle rd = ZipOpenFile(arc.c_str(), nullptr);
  ZipSetBaseFolder(rd, scratch.c_str());
  r |= ZipExtractToFile(rd, 0, "big.out");
  ZipCloseReader(rd);
  double extractSeconds = Seconds(t0);
  long afterExtract = PeakKb();
  printf("\n200 MB file (result %#x): add %.2f s (%.1f MB/s), extract %.2f s (%.1f MB/s)\n", r, addSeconds,
         200 * 1.048576 / addSeconds, extractSeconds, 200 * 1.048576 / extractSeconds);
  printf("peak resident memory: %ld KB before, %ld KB after add, %ld KB after extract\n", before, afterAdd,
         afterExtract);
  remove(src.c_str());
  remove(arc.c_str());
  remove(back.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: %s <corpus folder> <scratch folder>\n", argv[0]);
    return 2;
  }
  std::string corpus = argv[1];
  Bytes random(8 << 20);
  std::mt19937 rng(2);
  for (auto& b : random) b = static_cast<uint8_t>(rng());
  printf("buffer        bytes        ours     MB/s        zlib     MB/s   size    speed\n");
  CompareOne("text", Grow(ReadWholeFile(corpus + "/text.txt")));
  CompareOne("source", Grow(ReadWholeFile(corpus + "/source.cpp")));
  CompareOne("bmp", ReadWholeFile(corpus + "/screen.bmp"));
  CompareOne("program", ReadWholeFile(corpus + "/program.bin"));
  CompareOne("random", random);
  BigFile(argv[2]);
  return 0;
}
