// Deflate compressor: the input window, hash chains and lazy match search.
// Blocks are coded in deflate_trees.cpp.
#include <cstdlib>
#include <cstring>

#include "framework/zip/deflate_state.h"

using namespace deflate_internal;

namespace {

void InsertString(DeflateState* s, unsigned pos, unsigned* head) {
  s->uInsH = ((s->uInsH << kHashShift) ^ s->pWindow[pos + kMinMatch - 1]) & kHashMask;
  *head = s->aHead[s->uInsH];
  s->aPrev[pos & kWMask] = static_cast<uint16_t>(*head);
  s->aHead[s->uInsH] = static_cast<uint16_t>(pos);
}

void SlideWindow(DeflateState* s) {
  memcpy(s->pWindow, s->pWindow + kWSize, kWSize);
  s->uMatchStart -= kWSize;
  s->uStrStart -= kWSize;
  s->llBlockStart -= kWSize;
  for (unsigned n = 0; n < kHashSize; n++) {
    unsigned m = s->aHead[n];
    s->aHead[n] = static_cast<uint16_t>(m >= kWSize ? m - kWSize : 0);
  }
  for (unsigned n = 0; n < kWSize; n++) {
    unsigned m = s->aPrev[n];
    s->aPrev[n] = static_cast<uint16_t>(m >= kWSize ? m - kWSize : 0);
  }
}

void MarkEnd(DeflateState* s) {
  s->bEof = true;
  // Nothing stale may sit behind the data: the 8-byte compare reads past it.
  unsigned end = s->uStrStart + s->uLookahead;
  memset(s->pWindow + end, 0, kWindowAlloc - end);
}

// Reads more input once the look-ahead runs short, sliding the window down
// by half when the current position has reached the top.
void FillWindow(DeflateState* s) {
  unsigned more = kWindowSize - s->uLookahead - s->uStrStart;
  if (s->uStrStart >= kWSize + kMaxDist) {
    SlideWindow(s);
    more += kWSize;
  }
  if (more < 2) SetError(s, "more < 2");
  if (more == 0) {
    MarkEnd(s);
    return;
  }
  int n = s->pfnRead(s->pUser, s->pWindow + s->uStrStart + s->uLookahead, more);
  if (n <= 0) {
    MarkEnd(s);
    return;
  }
  if (static_cast<unsigned>(n) > more) n = static_cast<int>(more);  // a read may not overfill
  s->uLookahead += static_cast<unsigned>(n);
}

uint64_t Load8(const uint8_t* p) {
  uint64_t v;
  memcpy(&v, p, 8);
  return v;
}

// Length of the common prefix of a and b, at most kMaxMatch, compared
// 8 bytes at a time; the first two bytes are known to match.
unsigned CompareStrings(const uint8_t* a, const uint8_t* b) {
  unsigned len = 2;
  while (len < static_cast<unsigned>(kMaxMatch)) {
    uint64_t diff = Load8(a + len) ^ Load8(b + len);
    if (diff != 0) {
      // Little-endian hosts: the lowest differing byte is the first one.
      len += static_cast<unsigned>(__builtin_ctzll(diff)) >> 3;
      break;
    }
    len += 8;
  }
  return len < static_cast<unsigned>(kMaxMatch) ? len : static_cast<unsigned>(kMaxMatch);
}

unsigned LongestMatch(DeflateState* s, unsigned curMatch) {
  unsigned chainLength = kMaxChain;
  const uint8_t* window = s->pWindow;
  const uint8_t* scan = window + s->uStrStart;
  unsigned bestLen = s->uPrevLength;
  unsigned niceMatch = s->uNiceMatch;
  const unsigned limit = s->uStrStart > kMaxDist ? s->uStrStart - kMaxDist : 0;

  if (s->uPrevLength >= kGoodLength) chainLength >>= 2;
  if (niceMatch > s->uLookahead) niceMatch = s->uLookahead;
  if (!s->bEof && s->uLookahead < kMinLookahead) SetError(s, "insufficient lookahead");

  do {
    if (curMatch >= s->uStrStart) {
      SetError(s, "no future");
      break;
    }
    const uint8_t* match = window + curMatch;
    // Cheap rejections first: the byte that would make the match longer,
    // the one before it, and the first two bytes.
    if (match[bestLen] != scan[bestLen] || match[bestLen - 1] != scan[bestLen - 1] ||
        match[0] != scan[0] || match[1] != scan[1])
      continue;
    unsigned len = CompareStrings(scan, match);
    if (s->uStrStart + len > kWindowAlloc - 8) SetError(s, "wild scan");
    if (len > bestLen) {
      s->uMatchStart = curMatch;
      bestLen = len;
      if (len >= niceMatch) break;
    }
  } while ((curMatch = s->aPrev[curMatch & kWMask]) > limit && --chainLength != 0);

  return bestLen <= s->uLookahead ? bestLen : s->uLookahead;
}

void EndBlock(DeflateState* s, bool last) {
  const uint8_t* data = s->llBlockStart >= 0 ? s->pWindow + s->llBlockStart : nullptr;
  FlushBlock(s, data, static_cast<uint64_t>(int64_t(s->uStrStart) - s->llBlockStart), last);
  s->llBlockStart = s->uStrStart;
}

// Emits the pending previous match and moves past it, inserting the strings
// of the positions it covers. Returns whether the block must end.
bool EmitPrevMatch(DeflateState* s, unsigned prevMatch) {
  bool flush = Tally(s, s->uStrStart - 1 - prevMatch, s->uPrevLength - kMinMatch);
  const unsigned dataEnd = s->uStrStart + s->uLookahead;
  s->uLookahead -= s->uPrevLength - 1;
  unsigned left = s->uPrevLength - 2;
  unsigned head;
  do {
    s->uStrStart++;
    if (s->uStrStart + kMinMatch <= dataEnd) InsertString(s, s->uStrStart, &head);
  } while (--left != 0);
  s->uStrStart++;
  return flush;
}

void LazyLoop(DeflateState* s) {
  bool literalPending = false;
  unsigned matchLength = kMinMatch - 1;
  while (s->uLookahead != 0) {
    unsigned hashHead = 0;
    if (s->uLookahead >= static_cast<unsigned>(kMinMatch)) InsertString(s, s->uStrStart, &hashHead);

    s->uPrevLength = matchLength;
    const unsigned prevMatch = s->uMatchStart;
    matchLength = kMinMatch - 1;

    if (hashHead != 0 && s->uPrevLength < kMaxLazy && s->uStrStart - hashHead <= kMaxDist) {
      matchLength = LongestMatch(s, hashHead);
      // A short match far away costs more than its three literals.
      if (matchLength == static_cast<unsigned>(kMinMatch) && s->uStrStart - s->uMatchStart > kTooFar)
        matchLength = kMinMatch - 1;
    }

    if (s->uPrevLength >= static_cast<unsigned>(kMinMatch) && matchLength <= s->uPrevLength) {
      bool flush = EmitPrevMatch(s, prevMatch);
      literalPending = false;
      matchLength = kMinMatch - 1;
      if (flush) EndBlock(s, false);
    } else if (literalPending) {
      if (Tally(s, 0, s->pWindow[s->uStrStart - 1])) EndBlock(s, false);
      s->uStrStart++;
      s->uLookahead--;
    } else {
      literalPending = true;
      s->uStrStart++;
      s->uLookahead--;
    }
    while (s->uLookahead < kMinLookahead && !s->bEof) FillWindow(s);
  }
  if (literalPending) Tally(s, 0, s->pWindow[s->uStrStart - 1]);
}

void StartInput(DeflateState* s) {
  s->uStrStart = 0;
  s->llBlockStart = 0;
  s->uMatchStart = 0;
  s->uPrevLength = kMinMatch - 1;
  s->uNiceMatch = kNiceLength;
  s->uLookahead = 0;
  s->bEof = false;
  memset(s->aHead, 0, sizeof(s->aHead));
  memset(s->aPrev, 0, sizeof(s->aPrev));

  int n = s->pfnRead(s->pUser, s->pWindow, kWindowSize);
  if (n <= 0) {
    MarkEnd(s);
  } else {
    s->uLookahead = static_cast<unsigned>(n) < kWindowSize ? static_cast<unsigned>(n) : kWindowSize;
    while (s->uLookahead < kMinLookahead && !s->bEof) FillWindow(s);
  }
  s->uInsH = ((unsigned(s->pWindow[0]) << kHashShift) ^ s->pWindow[1]) & kHashMask;
}

}  // namespace

CDeflater::CDeflater() : m_pState(nullptr) {
  DeflateState* s = static_cast<DeflateState*>(calloc(1, sizeof(DeflateState)));
  if (!s) return;
  s->pWindow = static_cast<uint8_t*>(calloc(1, kWindowAlloc));
  if (!s->pWindow) {
    free(s);
    return;
  }
  InitTables(s);
  s->pszInitError = s->pszError;
  m_pState = s;
}

CDeflater::~CDeflater() {
  if (!m_pState) return;
  free(m_pState->pWindow);
  free(m_pState);
}

const char* CDeflater::ErrorText() const { return m_pState ? m_pState->pszError : "no state"; }

uint32_t CDeflater::Compress(DeflateReadFn read, DeflateWriteFn write, void* user,
                             uint64_t* compressedLength) {
  if (compressedLength) *compressedLength = 0;
  DeflateState* s = m_pState;
  if (!s) return kDeflateFailed;
  s->pfnRead = read;
  s->pfnWrite = write;
  s->pUser = user;
  s->pszError = s->pszInitError;
  InitBlock(s);
  ResetBitWriter(s);
  StartInput(s);
  LazyLoop(s);
  EndBlock(s, true);
  FlushOutput(s);
  if (compressedLength) *compressedLength = s->ullBytesOut;
  return s->pszError ? kDeflateFailed : 0;
}
