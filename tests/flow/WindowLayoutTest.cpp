// The control table's twips as pixels at the resolutions Windows scales to.

#include <gtest/gtest.h>

#include "flow/WindowLayout.h"

namespace vor {
namespace {

TEST(TwipsToPixels, AnInchIsTheScreensDotsPerInchToTheNearestPixel) {
    const int rows[][3] = {{1440, 96, 96}, {1440, 144, 144}, {10185, 96, 679}, {10185, 144, 1019}, {10185, 192, 1358},
                           {375, 120, 31}, {450, 168, 53},   {7, 96, 0},       {8, 96, 1}};
    for (const auto& [twips, dpi, pixels] : rows)
        EXPECT_EQ(TwipsToPixels(twips, dpi), pixels) << twips << " at " << dpi;
}

}  // namespace
}  // namespace vor
