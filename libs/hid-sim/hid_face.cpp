// The HID half of the simulated system: attributes, capabilities, product string and reports of
// the collection behind a handle CreateFileW opened on an interface path (interface_files.h).
#include <windows.h>

extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}

#include <cstring>

#include "interface_files.h"
#include "model/keyboard_model.h"

namespace {

// The system's preparsed data is opaque to callers; ours only names the collection's kind.
struct Preparsed {
  uint32_t magic;
  int kind;
};
constexpr uint32_t kPreparsedMagic = 0x50524550;

BOOLEAN Answer(uint32_t error) {
  if (error == ERROR_SUCCESS) return TRUE;
  SetLastError(error);
  return FALSE;
}

// The live collection behind `handle`: 0, or why there is none.
uint32_t Lookup(HANDLE handle, sim::CollectionRef& c) {
  if (!hidsim::CollectionOf(handle, c)) return ERROR_INVALID_HANDLE;
  return sim::Model().Live(c) ? ERROR_SUCCESS : ERROR_DEVICE_NOT_CONNECTED;
}

}  // namespace

extern "C" {

void NTAPI HidD_GetHidGuid(LPGUID guid) {
  if (guid) *guid = GUID{0x4d1e55b2, 0xf16f, 0x11cf, {0x88, 0xcb, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
}

BOOLEAN NTAPI HidD_GetAttributes(HANDLE handle, PHIDD_ATTRIBUTES attributes) {
  if (!attributes) return Answer(ERROR_INVALID_PARAMETER);
  sim::CollectionRef c;
  if (uint32_t error = Lookup(handle, c)) return Answer(error);
  attributes->Size = sizeof(HIDD_ATTRIBUTES);
  attributes->VendorID = sim::Model().Vid();
  attributes->ProductID = sim::Model().Pid();
  attributes->VersionNumber = 0x0100;
  return TRUE;
}

BOOLEAN NTAPI HidD_GetPreparsedData(HANDLE handle, PHIDP_PREPARSED_DATA* data) {
  if (!data) return Answer(ERROR_INVALID_PARAMETER);
  sim::CollectionRef c;
  if (uint32_t error = Lookup(handle, c)) return Answer(error);
  *data = reinterpret_cast<PHIDP_PREPARSED_DATA>(new Preparsed{kPreparsedMagic, c.kind});
  return TRUE;
}

BOOLEAN NTAPI HidD_FreePreparsedData(PHIDP_PREPARSED_DATA data) {
  auto* p = reinterpret_cast<Preparsed*>(data);
  if (!p || p->magic != kPreparsedMagic) return Answer(ERROR_INVALID_PARAMETER);
  p->magic = 0;
  delete p;
  return TRUE;
}

NTSTATUS NTAPI HidP_GetCaps(PHIDP_PREPARSED_DATA data, PHIDP_CAPS caps) {
  auto* p = reinterpret_cast<const Preparsed*>(data);
  if (!p || p->magic != kPreparsedMagic || !caps) return HIDP_STATUS_INVALID_PREPARSED_DATA;
  const sim::CollectionKind& kind = sim::kCollections[p->kind];
  std::memset(caps, 0, sizeof *caps);
  caps->UsagePage = kind.usagePage;
  caps->Usage = kind.usage;
  caps->InputReportByteLength = static_cast<USHORT>(kind.inputLength);
  caps->FeatureReportByteLength = static_cast<USHORT>(kind.featureLength);
  caps->NumberLinkCollectionNodes = 1;
  if (kind.featureLength) {
    caps->NumberFeatureValueCaps = 1;
    caps->NumberFeatureDataIndices = 1;
  }
  if (kind.inputLength) {
    caps->NumberInputValueCaps = 1;
    caps->NumberInputDataIndices = 1;
  }
  return HIDP_STATUS_SUCCESS;
}

BOOLEAN NTAPI HidD_SetFeature(HANDLE handle, PVOID buffer, ULONG length) {
  sim::CollectionRef c;
  bool ours = hidsim::CollectionOf(handle, c);
  return Answer(sim::Model().SetFeature(ours ? &c : nullptr, static_cast<const uint8_t*>(buffer), length));
}

BOOLEAN NTAPI HidD_GetFeature(HANDLE handle, PVOID buffer, ULONG length) {
  sim::CollectionRef c;
  if (!hidsim::CollectionOf(handle, c)) return Answer(ERROR_INVALID_HANDLE);
  return Answer(sim::Model().GetFeature(c, static_cast<uint8_t*>(buffer), length));
}

BOOLEAN NTAPI HidD_GetInputReport(HANDLE handle, PVOID buffer, ULONG length) {
  sim::CollectionRef c;
  if (!hidsim::CollectionOf(handle, c)) return Answer(ERROR_INVALID_HANDLE);
  return Answer(sim::Model().GetInputReport(c, static_cast<uint8_t*>(buffer), length));
}

// The system refuses string buffers beyond 4093 bytes, as the USB string limit allows no more.
BOOLEAN NTAPI HidD_GetProductString(HANDLE handle, PVOID buffer, ULONG bytes) {
  if (!buffer || bytes < sizeof(wchar_t) || bytes > 4093) return Answer(ERROR_INVALID_USER_BUFFER);
  sim::CollectionRef c;
  if (uint32_t error = Lookup(handle, c)) return Answer(error);
  std::wstring product = sim::Model().Product();
  size_t units = bytes / sizeof(wchar_t);
  size_t n = product.size() < units - 1 ? product.size() : units - 1;
  auto* out = static_cast<wchar_t*>(buffer);
  std::memcpy(out, product.c_str(), n * sizeof(wchar_t));
  out[n] = 0;
  return TRUE;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_DETACH) hidsim::RemoveInterfaceFiles();
  return TRUE;
}

}  // extern "C"
