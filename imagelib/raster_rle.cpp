#include "imagelib/raster_rle.h"

namespace {

// A bounded cursor over the compressed bytes.
class CRleCursor {
 public:
  CRleCursor(const uint8_t* pData, size_t nSize) : m_pData(pData), m_nSize(nSize) {}
  bool Take(uint8_t* pByte) {
    if (m_nPos >= m_nSize) return false;
    *pByte = m_pData[m_nPos++];
    return true;
  }
  bool Skip(size_t n) {
    if (n > m_nSize - m_nPos) return false;
    m_nPos += n;
    return true;
  }

 private:
  const uint8_t* m_pData;
  size_t m_nSize;
  size_t m_nPos = 0;
};

// The write position, in pixels. Pixels outside the image are dropped.
class CRlePen {
 public:
  explicit CRlePen(const RleTarget& target) : m_target(target) {}

  void Put(uint8_t index) {
    if (m_iX < m_target.iWidth && m_iRow < m_target.iHeight) {
      uint8_t* pRow = m_target.pPixels + static_cast<size_t>(m_iRow) * m_target.nRowBytes;
      if (m_target.iBpp == 8) {
        pRow[m_iX] = index;
      } else {
        uint8_t& byte = pRow[m_iX >> 1];
        byte = (m_iX & 1) ? static_cast<uint8_t>((byte & 0xF0) | (index & 0x0F))
                          : static_cast<uint8_t>((byte & 0x0F) | (index << 4));
      }
    }
    if (m_iX < m_target.iWidth) ++m_iX;
  }
  void NewLine() {
    m_iX = 0;
    if (m_iRow < m_target.iHeight) ++m_iRow;
  }
  // Past the first row: a new line or delta left it, or it is full.
  bool FirstRowDone() const { return m_iRow > 0 || m_iX >= m_target.iWidth; }
  bool Move(uint8_t dx, uint8_t dy) {
    int64_t x = static_cast<int64_t>(m_iX) + dx;
    int64_t row = static_cast<int64_t>(m_iRow) + dy;
    if (x > m_target.iWidth || row >= m_target.iHeight) return false;
    m_iX = static_cast<int32_t>(x);
    m_iRow = static_cast<int32_t>(row);
    return true;
  }
 private:
  const RleTarget& m_target;
  int32_t m_iX = 0;
  int32_t m_iRow = 0;
};

// count pixels of one repeated byte: the byte itself, or its two nibbles in turn.
void PutRun(CRlePen& pen, int bpp, uint8_t count, uint8_t value) {
  for (int i = 0; i < count; ++i) {
    pen.Put(bpp == 8 ? value : ((i & 1) ? (value & 0x0F) : (value >> 4)));
  }
}

// count literal pixels, then padding up to a 16-bit boundary of the source.
bool PutLiteral(CRleCursor& in, CRlePen& pen, int bpp, uint8_t count) {
  size_t bytes = bpp == 8 ? count : (static_cast<size_t>(count) + 1) / 2;
  uint8_t value = 0;
  for (int i = 0; i < count; ++i) {
    if (bpp == 8) {
      if (!in.Take(&value)) return false;
      pen.Put(value);
    } else {
      if (!(i & 1) && !in.Take(&value)) return false;
      pen.Put((i & 1) ? (value & 0x0F) : (value >> 4));
    }
  }
  return in.Skip(bytes & 1);
}

}  // namespace

bool DecodeRle(const uint8_t* pSource, size_t nSize, const RleTarget& target,
               bool bAcceptEarlyEnd) {
  if ((target.iBpp != 8 && target.iBpp != 4) || !target.pPixels || target.iWidth <= 0 ||
      target.iHeight <= 0)
    return false;
  CRleCursor in(pSource, pSource ? nSize : 0);
  CRlePen pen(target);
  // The data ran out before the end code (or a last padding byte is missing).
  auto endedEarly = [&] { return bAcceptEarlyEnd && pen.FirstRowDone(); };
  uint8_t count = 0, code = 0, dx = 0, dy = 0;
  for (;;) {
    if (!in.Take(&count) || !in.Take(&code)) return endedEarly();
    if (count != 0) {
      PutRun(pen, target.iBpp, count, code);
      continue;
    }
    switch (code) {
      case 0:
        pen.NewLine();
        break;
      case 1:
        return true;
      case 2:
        if (!in.Take(&dx) || !in.Take(&dy)) return endedEarly();
        if (!pen.Move(dx, dy)) return false;
        break;
      default:
        if (!PutLiteral(in, pen, target.iBpp, code)) return endedEarly();
        break;
    }
  }
}
