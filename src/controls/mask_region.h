// A window's shape from a mask picture: every pixel that is not pure white belongs to the
// window. The runs are what the system's region is built from.
#pragma once

#include <cstdint>
#include <vector>

#include "records/profile_record.h"

// Runs of pixels whose red, green and blue are not all 255, row by row, left to right; rows that
// repeat the runs of the row above exactly lengthen those runs' rectangles instead, so that a
// shape with straight sides is a few rectangles, not one a row. `pixels` are 0xAARRGGBB, `width`
// per row, rows top-down; alpha plays no part.
std::vector<RECT32> MaskRuns(const uint32_t* pixels, int width, int height);
