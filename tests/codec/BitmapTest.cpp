#include "codec/Bitmap.h"

#include <gtest/gtest.h>

using framora::Bitmap;
using framora::Rgb;

TEST(Bitmap, PixelLooksUpPaletteAndGivesBlackBeyondIt) {
  Bitmap b(2, 1, 8);
  b.palette() = {{10, 20, 30}};
  b.row(0)[1] = 5;
  EXPECT_EQ(b.pixel(0, 0), (Rgb{10, 20, 30}));
  EXPECT_EQ(b.pixel(1, 0), (Rgb{0, 0, 0}));
}
