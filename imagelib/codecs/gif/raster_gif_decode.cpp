// CRasterGIF: reading. The blocks are walked twice: once to count the
// frames (data passed over by code widths alone), then to decode the frame
// asked for, or every frame of a true-colour file.
#include <cstring>
#include <memory>
#include <new>

#include "imagelib/codecs/gif/gif_lzw_decoder.h"
#include "imagelib/codecs/gif/gif_row_writer.h"
#include "imagelib/codecs/gif/raster_gif.h"
#include "imagelib/raster_dib.h"
#include "imagelib/raster_read_buffer.h"

namespace {

const char kNotGif[] = "Not a GIF file";
const char kNoImage[] = "No image in GIF file";
const char kNoFrame[] = "GIF frame index out of range";
const char kCancelled[] = "Cancelled";
const char kTooShort[] = "GIF data too short for its image size";
const char kNoMemory[] = "can't allocate memory";

constexpr int kExtension = '!';
constexpr int kImage = ',';
constexpr int kTrailer = ';';
constexpr int kGraphicControlLabel = 0xF9;
constexpr int kCommentLabel = 0xFE;
constexpr int kApplicationLabel = 0xFF;

// Depth that holds a colour table of the given size.
int DepthFor(int32_t entries) { return entries <= 2 ? 1 : entries <= 16 ? 4 : 8; }

bool OverMemoryLimit(int32_t width, int32_t height, int bpp) {
  const int64_t rowBytes = (int64_t(width) * bpp + 31) / 32 * 4;
  return rowBytes * height > RASTER_MAX_MEMORY;
}

}  // namespace

struct CRasterGIF::DecodeJob {
  explicit DecodeJob(CRasterFile* file) : in(file), end(file->Size()) {}
  CRasterReadBuffer in;
  CGifLzwDecoder lzw;
  int64_t end;  // file size, -1 when unknown
  Screen screen;
  ColorTable global;
  int votes = 0;          // signs of a true-colour file
  int32_t frameCount = 0;
  int32_t target = 0;     // frame to decode
  int32_t frame = 0;      // number of the next frame that fits the screen
  int32_t transparent = -1;  // of the last graphic control
  bool sawFirstFrame = false;
  bool trueColor = false;
  bool haveImage = false;
  RGBQUAD lastPalette[256] = {};  // of the last true-colour frame
};

bool CRasterGIF::Fail(const char* text) {
  SetErrorText(text);
  return false;
}

bool CRasterGIF::Decode(CRasterFile* file) {
  if (!file) return false;
  std::unique_ptr<DecodeJob> job(new (std::nothrow) DecodeJob(file));
  if (!job) return Fail(kNoMemory);
  mControl = GraphicControl();
  mComment[0] = '\0';
  mLoopCount = 0;
  if (!job->in.IsUsable() || !ReadScreen(job.get())) return Fail(kNotGif);
  const bool emptyScreen = job->screen.width == 0 || job->screen.height == 0;
  if (info.escape == -1 && !emptyScreen) {
    header.biWidth = job->screen.width;
    header.biHeight = job->screen.height;
    info.type = RASTER_FORMAT_GIF;
    return true;
  }
  // A screen without area takes its size from the first frame.
  const int64_t blocksStart = job->in.Tell();
  WalkBlocks(job.get(), Walk::kCount);
  if (!job->in.Seek(blocksStart)) return Fail(kNotGif);
  info.frameCount = job->frameCount;
  if (info.escape == -1) {
    if (job->screen.width == 0 || job->screen.height == 0) return Fail(kNoImage);
    header.biWidth = job->screen.width;
    header.biHeight = job->screen.height;
    info.type = RASTER_FORMAT_GIF;
    return true;
  }
  if (job->frameCount == 0) return Fail(kNoImage);
  if (info.frameIndex < 0 || info.frameIndex >= job->frameCount) return Fail(kNoFrame);
  if (job->frameCount == 1) job->votes = 0;
  job->target = info.frameIndex;
  if (!WalkBlocks(job.get(), Walk::kDecode)) return false;
  if (!job->haveImage) return Fail(kNoImage);
  if (job->trueColor) {
    if (mControl.flags & 1) {
      SetBkgndColor(job->lastPalette[mControl.transparentIndex]);
      info.bkgndIndex = 0;
    } else {
      info.bkgndIndex = -1;
    }
  }
  job->in.SyncFile();
  return true;
}

bool CRasterGIF::ReadScreen(DecodeJob* job) {
  BYTE bytes[13];
  if (!job->in.Read(bytes, sizeof bytes) || std::memcmp(bytes, "GIF8", 4) != 0) return false;
  job->screen.width = ReadLe16(bytes + 6);
  job->screen.height = ReadLe16(bytes + 8);
  if (bytes[10] & 0x80) {
    job->global.entries = 2 << (bytes[10] & 7);
    if (!job->in.Read(job->global.rgb, size_t(job->global.entries) * 3)) return false;
  } else {
    ++job->votes;
  }
  return true;
}

bool CRasterGIF::WalkBlocks(DecodeJob* job, Walk walk) {
  // After a byte that starts no block, everything up to the next 0 byte is
  // passed over: a way back into step after damaged data.
  bool skipping = false;
  for (;;) {
    if (walk == Walk::kDecode && info.escape > 0) return Fail(kCancelled);
    const int c = job->in.GetByte();
    if (c < 0) return true;
    if (skipping) {
      skipping = c != 0;
      continue;
    }
    switch (c) {
      case kExtension:
        if (!ReadExtension(job, walk == Walk::kDecode)) return true;
        break;
      case kImage: {
        Descriptor d;
        ColorTable local;
        if (!ReadDescriptor(job, &d, &local)) return true;
        if (walk == Walk::kCount) {
          if (job->screen.width == 0 || job->screen.height == 0) {
            job->screen.width = d.left + d.width;
            job->screen.height = d.top + d.height;
          }
          if (Fits(*job, d)) ++job->frameCount;
          SkipFrameData(job);
          break;
        }
        switch (DecodeFrame(job, d, local)) {
          case FrameStep::kNext: break;
          case FrameStep::kDone:
          case FrameStep::kStop: return true;
          case FrameStep::kFailed: return false;
        }
        break;
      }
      case kTrailer:
        return true;
      default:
        skipping = c != 0;
        break;
    }
  }
}

// Graphic control, comment and application extensions are read (recorded
// only while decoding); then the remaining sub-blocks are passed over. False
// for a damaged extension, which ends the block loop.
bool CRasterGIF::ReadExtension(DecodeJob* job, bool record) {
  CRasterReadBuffer& in = job->in;
  const int label = in.GetByte();
  BYTE block[256];
  switch (label) {
    case -1:
      return false;
    case kGraphicControlLabel: {
      if (in.GetByte() != 4 || !in.Read(block, 4)) return false;
      if (record) {
        mControl.flags = block[0];
        mControl.delay = ReadLe16(block + 1);
        mControl.transparentIndex = block[3];
        job->transparent = (block[0] & 1) ? block[3] : -1;
        info.bkgndIndex = job->transparent;
        info.frameDelay = mControl.delay;
        info.disposalMethod = BYTE((block[0] >> 2) & 7);
      }
      break;
    }
    case kCommentLabel: {
      const int count = in.GetByte();
      if (count < 0 || !in.Read(block, size_t(count))) return false;
      if (count == 0) return true;  // that was the terminator
      if (record) {
        std::memcpy(mComment, block, size_t(count));
        mComment[count] = '\0';
      }
      break;
    }
    case kApplicationLabel: {
      if (in.GetByte() != 11 || !in.Skip(11)) return false;
      const int count = in.GetByte();
      if (count < 0 || !in.Read(block, size_t(count))) return false;
      if (count == 0) return true;
      if (record && count > 2) mLoopCount = ReadLe16(block + 1);
      break;
    }
    default:
      break;
  }
  for (;;) {
    const int count = in.GetByte();
    if (count < 0) return false;
    if (count == 0) return true;
    if (!in.Skip(count)) return false;
  }
}

bool CRasterGIF::ReadDescriptor(DecodeJob* job, Descriptor* d, ColorTable* local) {
  BYTE bytes[9];
  if (!job->in.Read(bytes, sizeof bytes)) return false;
  d->left = ReadLe16(bytes);
  d->top = ReadLe16(bytes + 2);
  d->width = ReadLe16(bytes + 4);
  d->height = ReadLe16(bytes + 6);
  d->flags = bytes[8];
  if (d->flags & 0x80) {
    local->entries = 2 << (d->flags & 7);
    if (!job->in.Read(local->rgb, size_t(local->entries) * 3)) return false;
  }
  return true;
}

// Frames without pixels or reaching past the screen are left out.
bool CRasterGIF::Fits(const DecodeJob& job, const Descriptor& d) const {
  return d.width > 0 && d.height > 0 && d.left + d.width <= job.screen.width &&
         d.top + d.height <= job.screen.height;
}

void CRasterGIF::SkipFrameData(DecodeJob* job) {
  const int64_t dataStart = job->in.Tell();
  PlaceAfterFrame(job, dataStart, CGifLzwDecoder::Skip(&job->in));
}

void CRasterGIF::PlaceAfterFrame(DecodeJob* job, int64_t dataStart, int badCodes) {
  if (badCodes == 0) return;
  CRasterReadBuffer& in = job->in;
  if (!in.Seek(dataStart)) return;
  for (int previous = -1;;) {
    const int c = in.GetByte();
    if (c < 0) return;
    if (c == kImage && previous == 0) {
      in.Seek(in.Tell() - 1);
      return;
    }
    previous = c;
  }
}

CRasterGIF::FrameStep CRasterGIF::DecodeFrame(DecodeJob* job, const Descriptor& d,
                                              const ColorTable& local) {
  if (!Fits(*job, d)) {
    SkipFrameData(job);
    return FrameStep::kNext;
  }
  if (!job->sawFirstFrame) {
    job->sawFirstFrame = true;
    // Smaller than the screen either way: with 17 x 15 tiles a picture at
    // most 17 wide or 15 high has a first tile as wide or as high as it.
    if (d.width != job->screen.width || d.height != job->screen.height) ++job->votes;
    if (job->votes >= 2) {
      job->trueColor = true;
      job->target = job->frameCount - 1;
    }
  }
  const ColorTable& table = local.entries ? local : job->global;
  const int bpp = DepthFor(table.entries);
  if (!job->trueColor && job->frame != job->target) {
    SkipFrameData(job);
    ++job->frame;
    return FrameStep::kNext;
  }
  const bool decoded = job->trueColor ? DecodeTrueColorTile(job, d, table, bpp)
                                      : DecodeOnScreen(job, d, table, bpp);
  if (!decoded) return FrameStep::kFailed;
  if (info.escape != 0) {
    Fail(kCancelled);
    return FrameStep::kFailed;
  }
  if (job->frame == job->target) return FrameStep::kDone;
  ++job->frame;
  return FrameStep::kNext;
}

// Nothing is allocated for an image that the rest of the file could not
// fill: a few header bytes must not commit a gigabyte. Images over the
// memory limit are left to Create, which says so.
bool CRasterGIF::CanFill(DecodeJob* job, int32_t width, int32_t height, int bpp) {
  if (job->end < 0 || OverMemoryLimit(width, height, bpp)) return true;
  const int64_t left = job->end > job->in.Tell() ? job->end - job->in.Tell() : 0;
  return int64_t(width) * height <= kGifMaxPixelsPerByte * left || Fail(kTooShort);
}

// The frame on an image of the screen's size whose other pixels hold the
// graphic control's transparent index byte. A frame that covers the whole
// screen is decoded straight into it: its transparent pixels would leave
// that same byte.
bool CRasterGIF::DecodeOnScreen(DecodeJob* job, const Descriptor& d, const ColorTable& table,
                                int bpp) {
  const Screen screen = job->screen;
  if (!CanFill(job, screen.width, screen.height, bpp)) return false;
  if (!Create(screen.width, screen.height, bpp, RASTER_FORMAT_GIF)) return false;
  Clear(mControl.transparentIndex);
  SetGifPalette(this, table, job->transparent);
  SetBkgndIndex(job->transparent);
  job->haveImage = true;
  if (d.width == screen.width && d.height == screen.height) {
    DecodeFrameImage(job, this, d, table, bpp);
    return true;
  }
  CRaster frame;
  if (!DecodeFrameImage(job, &frame, d, table, bpp)) return false;
  for (int32_t y = 0; y < d.height; ++y) {
    const int32_t target = screen.height - 1 - (d.top + y);
    for (int32_t x = 0; x < d.width; ++x) {
      const BYTE index = frame.GetPixelIndexUnchecked(x, d.height - 1 - y);
      if (index != job->transparent) SetPixelIndexUnchecked(d.left + x, target, index);
    }
  }
  return true;
}

// One frame of a true-colour file: its colours go into the 24-bit screen
// image, which is made with the first frame.
bool CRasterGIF::DecodeTrueColorTile(DecodeJob* job, const Descriptor& d,
                                     const ColorTable& table, int bpp) {
  const Screen screen = job->screen;
  if (!job->haveImage) {
    if (!CanFill(job, screen.width, screen.height, 24)) return false;
    if (!Create(screen.width, screen.height, 24, RASTER_FORMAT_GIF)) return false;
    job->haveImage = true;
  }
  CRaster frame;
  if (!DecodeFrameImage(job, &frame, d, table, bpp)) return false;
  const RGBQUAD* palette = static_cast<const CRaster&>(frame).GetPalette();
  std::memcpy(job->lastPalette, palette, frame.GetPaletteSize());
  for (int32_t y = 0; y < d.height; ++y) {
    BYTE* to = GetBits(screen.height - 1 - (d.top + y)) + 3 * size_t(d.left);
    for (int32_t x = 0; x < d.width; ++x, to += 3) {
      const RGBQUAD c = palette[frame.GetPixelIndexUnchecked(x, d.height - 1 - y)];
      to[0] = c.rgbBlue;
      to[1] = c.rgbGreen;
      to[2] = c.rgbRed;
    }
  }
  return true;
}

// Decodes the frame's data into frame, which is created at the frame's
// size unless it is this image already made for it. Rows the data does not
// reach keep the transparent index byte.
bool CRasterGIF::DecodeFrameImage(DecodeJob* job, CRaster* frame, const Descriptor& d,
                                  const ColorTable& table, int bpp) {
  if (frame != this) {
    if (!CanFill(job, d.width, d.height, bpp)) return false;
    if (!frame->Create(d.width, d.height, bpp, RASTER_FORMAT_GIF)) return Fail(frame->GetLastError());
    frame->Clear(mControl.transparentIndex);
    SetGifPalette(frame, table, job->transparent);
  }
  CGifRowWriter rows(frame, (d.flags & 0x40) != 0);
  const int64_t dataStart = job->in.Tell();
  PlaceAfterFrame(job, dataStart, job->lzw.Decode(&job->in, d.width, &rows));
  return true;
}

// The table's colours; with a transparent index the rest of 256 entries
// white.
void CRasterGIF::SetGifPalette(CRaster* image, const ColorTable& table, int32_t transparent) {
  if (table.entries == 0) return;
  if (transparent < 0) {
    image->SetPalette(table.rgb, DWORD(table.entries));
    return;
  }
  BYTE rgb[768];
  std::memcpy(rgb, table.rgb, size_t(table.entries) * 3);
  std::memset(rgb + table.entries * 3, 255, sizeof rgb - size_t(table.entries) * 3);
  image->SetPalette(rgb, 256);
}
