// The control table's twips as pixels at the resolutions Windows scales to.

#include <gtest/gtest.h>

#include "flow/WindowLayout.h"

namespace vor {
namespace {

TEST(TwipsToPixels, AnInchIsTheScreensDotsPerInchToTheNearestPixel) {
    struct Row {
        int twips, dpi, pixels;
    };
    for (const Row& r :
         {Row{1440, 96, 96}, Row{1440, 144, 144}, Row{10185, 96, 679}, Row{10185, 144, 1019}, Row{10185, 192, 1358},
          Row{375, 96, 25}, Row{375, 120, 31}, Row{450, 168, 53}, Row{7, 96, 0}, Row{8, 96, 1}})
        EXPECT_EQ(TwipsToPixels(r.twips, r.dpi), r.pixels) << r.twips << " twips at " << r.dpi;
}

}  // namespace
}  // namespace vor
