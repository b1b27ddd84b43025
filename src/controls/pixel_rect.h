// A rectangle in client pixels, as the portable control models hand them to their windows:
// left and top inside, right and bottom just outside.
#pragma once

struct PixelRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  bool operator==(const PixelRect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};
