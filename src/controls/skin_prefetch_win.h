// Decodes skin pictures on a low-priority thread of its own, so that a dialog opened later finds
// them already decoded (SkinImage::LoadSkin keeps every decode for the process) instead of
// decoding them while the user waits for it. Pictures only: the thread touches no window.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

namespace ui {

class SkinPrefetch {
 public:
  SkinPrefetch() = default;
  ~SkinPrefetch() { Stop(); }
  SkinPrefetch(const SkinPrefetch&) = delete;
  SkinPrefetch& operator=(const SkinPrefetch&) = delete;

  // Starts decoding `names` (files of the skin folder) unless a prefetch is running already.
  void Start(std::vector<std::u16string> names);
  // Lets the picture being decoded finish, skips the rest and waits for the thread: before GDI+
  // shuts down.
  void Stop();

 private:
  static DWORD WINAPI Run(void* self);

  std::vector<std::u16string> m_names;
  std::atomic<bool> m_stop{false};
  HANDLE m_thread = nullptr;
};

}  // namespace ui
