// Which collection OpenHidDevice hands out: the program opens a keyboard's four collections in
// four calls, and all four must come from one keyboard. So every call picks the first keyboard
// all of whose matching collections can be opened, and returns the wanted one of those; a
// keyboard with one collection that will not open is passed over as a whole. Kept free of system
// headers so that the rule can be tested apart from the HID stack.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lodrex {

struct Collection {
  std::wstring keyboard;  // the same for every collection of one keyboard
  bool wanted;            // the caller's filter accepted it
};

// `open(i)` opens collection i and returns its handle, 0 on failure; `close(handle)` closes one.
// Returns the handle of the first wanted collection of the first keyboard that opens whole, or 0.
template <typename Open, typename Close>
uint32_t OpenFromWholeKeyboard(const std::vector<Collection>& collections, Open open, Close close) {
  std::vector<std::wstring> tried;
  for (size_t first = 0; first < collections.size(); ++first) {
    const std::wstring& keyboard = collections[first].keyboard;
    bool seen = false;
    for (const std::wstring& k : tried) seen = seen || k == keyboard;
    if (seen) continue;
    tried.push_back(keyboard);

    bool hasWanted = false;
    for (const Collection& c : collections) hasWanted = hasWanted || (c.keyboard == keyboard && c.wanted);
    if (!hasWanted) continue;

    std::vector<uint32_t> opened;
    uint32_t chosen = 0;
    bool whole = true;
    for (size_t i = first; i < collections.size(); ++i) {
      if (collections[i].keyboard != keyboard) continue;
      uint32_t handle = open(i);
      if (!handle) {
        whole = false;
        break;
      }
      if (collections[i].wanted && !chosen) chosen = handle;
      else opened.push_back(handle);
    }
    if (!whole && chosen) opened.push_back(chosen);
    for (uint32_t handle : opened) close(handle);
    if (whole) return chosen;
  }
  return 0;
}

}  // namespace lodrex
