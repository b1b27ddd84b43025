// Decodes skin pictures on a thread of its own into the store SkinImage::LoadSkin copies from, so
// that the window showing them later finds them decoded instead of decoding while the user waits.
// A load of a picture still being decoded waits for it rather than decoding it twice. Pictures
// only: the thread touches no window.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace ui {

class SkinPrefetch {
 public:
  enum class Urgency {
    kNeededSoon,  // the window about to be built shows them: decode alongside its building
    kIdleTime,    // a dialog the user may open later: the user's clicks come first
  };

  SkinPrefetch() = default;
  ~SkinPrefetch() { Stop(); }
  SkinPrefetch(const SkinPrefetch&) = delete;
  SkinPrefetch& operator=(const SkinPrefetch&) = delete;

  // Starts decoding `names` (files of the skin folder) unless a prefetch is running already;
  // `first`, when given, runs on the thread before them (something made from a picture, such as
  // a window's shape).
  void Start(const std::vector<std::u16string>& names, Urgency urgency, std::function<void()> first = nullptr);
  // Lets the picture being decoded finish, skips the rest and waits for the thread: needed
  // before GDI+ shuts down.
  void Stop();
  // Waits until every picture is decoded.
  void Finish();

 private:
  void Join();

  static DWORD WINAPI Run(void* self);

  std::vector<std::wstring> m_paths;
  std::function<void()> m_first;
  std::atomic<bool> m_stop{false};
  HANDLE m_thread = nullptr;
};

}  // namespace ui
