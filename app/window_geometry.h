// Where the window sits and how its page area follows a resize: the same in
// every toolkit, so that both windows behave alike.
#pragma once

#include <algorithm>

namespace app {

// Where the window first appears on the screen.
inline constexpr int WindowLeft = 368;
inline constexpr int WindowTop = 173;

struct Size {
    int width = 0;
    int height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// PageControl1 is anchored to the window's top, right and bottom edges: on a
// resize it keeps its width and top, and its distances to the right and
// bottom edges as laid out, so it moves sideways and grows downwards. A
// window too short for it leaves it no height rather than a negative one.
constexpr Rect AnchoredPageArea(const Rect& laidOut, const Size& laidOutWindow,
                                const Size& window) {
    const int rightGap = laidOutWindow.width - (laidOut.x + laidOut.width);
    const int bottomGap = laidOutWindow.height - (laidOut.y + laidOut.height);
    return {window.width - rightGap - laidOut.width, laidOut.y, laidOut.width,
            std::max(0, window.height - bottomGap - laidOut.y)};
}

}  // namespace app
