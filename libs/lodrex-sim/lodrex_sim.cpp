// Lodrex.dll backed by the simulated keyboards of model/keyboard_model.h, for tests and the demo
// program folder: each keyboard has the four vendor collections of the real one, and every
// SetFeature call is appended to the model's wire log so that tests see exactly what reached the
// "device". The variables that shape the keyboards are described in the model.
#include <windows.h>

#include <cwchar>
#include <cwctype>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#define LODREX_EXPORTS
#include "lodrex/keyboard_choice.h"
#include "lodrex/lodrex_api.h"
#include "model/keyboard_model.h"

namespace {

struct OpenCollection {
  sim::CollectionRef collection;
  HANDLE ownCopy;  // lets a reused handle value be told apart from ours
};

std::mutex g_lock;
std::map<uint32_t, OpenCollection> g_handles;

using CompareObjectHandlesFn = BOOL(WINAPI*)(HANDLE, HANDLE);

std::wstring Upper(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(std::towupper(c));
  return text;
}

bool SameObject(HANDLE a, HANDLE b) {
  static CompareObjectHandlesFn compare = reinterpret_cast<CompareObjectHandlesFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernelbase.dll"), "CompareObjectHandles")));
  DWORD flags = 0;
  if (!GetHandleInformation(a, &flags)) return false;
  return compare ? compare(a, b) != FALSE : true;
}

// The collection behind a handle the program still holds open, or null.
const sim::CollectionRef* FindLocked(uint32_t handle) {
  auto it = g_handles.find(handle);
  if (it == g_handles.end()) return nullptr;
  HANDLE h = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(handle));
  if (!SameObject(h, it->second.ownCopy)) {
    CloseHandle(it->second.ownCopy);
    g_handles.erase(it);
    return nullptr;
  }
  return &it->second.collection;
}

// Lets go of the copies kept for handles the program has closed since, so that a search costs
// nothing once its handles are closed.
void ForgetClosedLocked() {
  for (auto it = g_handles.begin(); it != g_handles.end();) {
    HANDLE h = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(it->first));
    if (SameObject(h, it->second.ownCopy)) {
      ++it;
    } else {
      CloseHandle(it->second.ownCopy);
      it = g_handles.erase(it);
    }
  }
}

// A handle of our own for one collection: an event, whose duplicate tells a later reuse of the
// value apart.
uint32_t OpenLocked(const sim::CollectionRef& c) {
  HANDLE h = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE own = nullptr;
  if (!h || !DuplicateHandle(GetCurrentProcess(), h, GetCurrentProcess(), &own, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
    if (h) CloseHandle(h);
    return 0;
  }
  uint32_t value = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(h));
  auto stale = g_handles.find(value);
  if (stale != g_handles.end()) CloseHandle(stale->second.ownCopy);
  g_handles[value] = OpenCollection{c, own};
  return value;
}

uint8_t Answer(uint32_t error) {
  if (error == ERROR_SUCCESS) return 1;
  SetLastError(error);
  return 0;
}

}  // namespace

extern "C" {

uint32_t LODREX_CALL OpenHidDevice(uint16_t usagePage, uint16_t usage, const char16_t* deviceId,
                                   LodrexReportFilter filter, uint32_t, uint32_t, int32_t debug,
                                   uint32_t, uint32_t, uint32_t* count) {
  sim::KeyboardModel& model = sim::Model();
  std::wstring wanted = Upper(deviceId ? reinterpret_cast<const wchar_t*>(deviceId) : L"");
  std::vector<sim::CollectionRef> attached = model.Attached();
  std::vector<sim::CollectionRef> refs;
  std::vector<lodrex::Collection> candidates;
  {
    for (const sim::CollectionRef& c : attached) {
      const sim::CollectionKind& kind = sim::kCollections[c.kind];
      if (kind.usagePage != usagePage || kind.usage != usage) continue;
      std::wstring path = L"\\\\?\\" + model.InterfaceName(c);
      if (Upper(path).find(wanted) == std::wstring::npos) continue;
      bool accepted = !filter || filter(path.c_str(), nullptr, nullptr, kind.featureLength);
      if (count) {
        if (accepted) ++*count;
        continue;
      }
      refs.push_back(c);
      candidates.push_back({std::to_wstring(c.keyboard), accepted});
    }
  }
  // The same choice as the HID library's: all four handles from the first keyboard whose
  // collections all open.
  DWORD error = ERROR_DEVICE_NOT_CONNECTED;
  std::lock_guard<std::mutex> guard(g_lock);
  ForgetClosedLocked();
  uint32_t handle = lodrex::OpenFromWholeKeyboard(
      candidates,
      [&](size_t i) -> uint32_t {
        if (model.Busy(refs[i])) {
          error = ERROR_SHARING_VIOLATION;
          return 0;
        }
        return OpenLocked(refs[i]);
      },
      [](uint32_t h) {
        auto it = g_handles.find(h);
        if (it != g_handles.end()) {
          CloseHandle(it->second.ownCopy);
          g_handles.erase(it);
        }
        CloseHandle(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(h)));
      });
  if (handle && debug) OutputDebugStringW(L"Lodrex-sim: opened a collection");
  if (!handle) SetLastError(error);
  return handle;
}

uint8_t LODREX_CALL SetFeature(uint32_t handle, const uint8_t* buffer, uint32_t length) {
  sim::KeyboardModel& model = sim::Model();
  std::lock_guard<std::mutex> guard(g_lock);
  return Answer(model.SetFeature(FindLocked(handle), buffer, length));
}

uint8_t LODREX_CALL GetFeature(uint32_t handle, uint8_t* buffer, uint32_t length) {
  sim::KeyboardModel& model = sim::Model();
  std::lock_guard<std::mutex> guard(g_lock);
  const sim::CollectionRef* c = FindLocked(handle);
  return Answer(c ? model.GetFeature(*c, buffer, length) : ERROR_INVALID_HANDLE);
}

uint8_t LODREX_CALL GetInputReport(uint32_t handle, uint8_t* buffer, uint32_t length) {
  sim::KeyboardModel& model = sim::Model();
  std::lock_guard<std::mutex> guard(g_lock);
  const sim::CollectionRef* c = FindLocked(handle);
  return Answer(c ? model.GetInputReport(*c, buffer, length) : ERROR_INVALID_HANDLE);
}

uint8_t LODREX_CALL GetProductString(uint32_t handle, char16_t* buffer, uint32_t capacity) {
  sim::KeyboardModel& model = sim::Model();
  if (!buffer || !capacity) return Answer(ERROR_INVALID_PARAMETER);
  buffer[0] = 0;
  std::lock_guard<std::mutex> guard(g_lock);
  const sim::CollectionRef* c = FindLocked(handle);
  if (!c) return Answer(ERROR_INVALID_HANDLE);
  if (!model.Live(*c)) return Answer(ERROR_DEVICE_NOT_CONNECTED);
  std::wstring product = model.Product();
  size_t n = product.size() < capacity - 1 ? product.size() : capacity - 1;
  for (size_t i = 0; i < n; ++i) buffer[i] = static_cast<char16_t>(product[i]);
  buffer[n] = 0;
  return 1;
}

}  // extern "C"
