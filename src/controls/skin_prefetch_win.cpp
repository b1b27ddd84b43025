#include "controls/skin_prefetch_win.h"

#include <utility>

#include "controls/skin_image_win.h"

namespace ui {

void SkinPrefetch::Start(std::vector<std::u16string> names) {
  if (m_thread) return;
  m_names = std::move(names);
  m_stop = false;
  m_thread = CreateThread(nullptr, 0, Run, this, CREATE_SUSPENDED, nullptr);
  if (!m_thread) return;  // the dialogs decode for themselves then
  // The user's clicks come first: this only fills otherwise idle time.
  SetThreadPriority(m_thread, THREAD_PRIORITY_LOWEST);
  ResumeThread(m_thread);
}

void SkinPrefetch::Stop() {
  if (!m_thread) return;
  m_stop = true;
  WaitForSingleObject(m_thread, INFINITE);
  CloseHandle(m_thread);
  m_thread = nullptr;
}

DWORD WINAPI SkinPrefetch::Run(void* self) {
  auto* prefetch = static_cast<SkinPrefetch*>(self);
  for (const std::u16string& name : prefetch->m_names) {
    if (prefetch->m_stop) break;
    SkinImage picture;
    picture.LoadSkin(name);
  }
  return 0;
}

}  // namespace ui
