// The page area following a resize of the window, as both windows place it.
#include <gtest/gtest.h>

#include "app/window_geometry.h"

namespace {

using app::AnchoredPageArea;
using app::Rect;
using app::Size;

TEST(AnchoredPageArea, KeepsItsRightAndBottomDistancesAndNeverAHeightBelowNothing) {
    // The window and the page area as laid out.
    const Size window{627, 411};
    const Rect area{183, 0, 417, 345};
    const struct {
        Size resized;
        Rect placed;
    } cases[] = {
        {{627, 411}, {183, 0, 417, 345}},  // as laid out
        {{727, 411}, {283, 0, 417, 345}},  // wider: moves right, keeps its width
        {{627, 511}, {183, 0, 417, 445}},  // taller: grows downwards
        {{527, 311}, {83, 0, 417, 245}},   // smaller both ways
        {{627, 60}, {183, 0, 417, 0}},     // shorter than the gap below it
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AnchoredPageArea(area, window, c.resized), c.placed)
            << c.resized.width << "x" << c.resized.height;
    }
}

}  // namespace
