// A skinned window's shape: every pixel of its mask picture that is not pure white (MaskRuns).
// Made once per process from the shared decode, so that SkinPrefetch can make it on its thread
// while the window is still being created.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

// A new region the caller owns (SetWindowRgn takes it) with the shape of skin picture `mask`, or
// of `fallback` when the mask cannot be read; null when neither can.
HRGN SkinShape(const std::u16string& mask, const std::u16string& fallback);
// Makes that shape now, for a later SkinShape to copy.
void PrepareSkinShape(const std::u16string& mask, const std::u16string& fallback);

}  // namespace ui
