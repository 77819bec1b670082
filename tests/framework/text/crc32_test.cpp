#include <gtest/gtest.h>

#include "framework/text/crc32.h"

TEST(Crc32, KnownValues) {
  EXPECT_EQ(0x352441C2u, Crc32String("abc", -1));
  EXPECT_EQ(0u, Crc32String("", -1));
  EXPECT_EQ(0xCBF43926u, Crc32String("123456789", 9));
}

TEST(Crc32, PiecesEqualWhole) {
  const char text[] = "The quick brown fox jumps over the lazy dog";
  uint32_t whole = Crc32Update(0, text, sizeof(text) - 1);
  uint32_t c = 0;
  for (size_t i = 0; i < sizeof(text) - 1; i += 5) {
    size_t n = sizeof(text) - 1 - i < 5 ? sizeof(text) - 1 - i : 5;
    c = Crc32Update(c, text + i, n);
  }
  EXPECT_EQ(whole, c);
  EXPECT_EQ(0x414FA339u, whole);
}
