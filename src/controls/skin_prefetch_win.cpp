#include "controls/skin_prefetch_win.h"

#include <utility>

#include "controls/skin_image_win.h"

namespace ui {

void SkinPrefetch::Start(const std::vector<std::u16string>& names, Urgency urgency, std::function<void()> first) {
  if (m_thread) return;
  m_first = std::move(first);
  // The paths are made here: the program folder is read on the thread that may change it.
  m_paths.clear();
  for (const std::u16string& name : names) m_paths.push_back(SkinPath(name));
  m_stop = false;
  m_thread = CreateThread(nullptr, 0, Run, this, CREATE_SUSPENDED, nullptr);
  if (!m_thread) return;  // the windows decode for themselves then
  if (urgency == Urgency::kIdleTime) SetThreadPriority(m_thread, THREAD_PRIORITY_LOWEST);
  ResumeThread(m_thread);
}

void SkinPrefetch::Stop() {
  m_stop = true;
  Join();
}

void SkinPrefetch::Finish() { Join(); }

void SkinPrefetch::Join() {
  if (!m_thread) return;
  WaitForSingleObject(m_thread, INFINITE);
  CloseHandle(m_thread);
  m_thread = nullptr;
}

DWORD WINAPI SkinPrefetch::Run(void* self) {
  auto* prefetch = static_cast<SkinPrefetch*>(self);
  if (prefetch->m_first) prefetch->m_first();
  for (const std::wstring& path : prefetch->m_paths) {
    if (prefetch->m_stop) break;
    SkinImage::DecodeShared(path);
  }
  return 0;
}

}  // namespace ui
