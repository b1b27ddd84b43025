// The simulated keyboards, shared by the two faces that present them: the simulated Lodrex.dll
// (libs/lodrex-sim) and the simulated system HID layer under the shipped Lodrex.dll
// (libs/hid-sim). Both read the same LODREX_SIM_* variables and write the same wire log through
// this one model, so a script written against one face sees the same keyboard through the other.
//
// Environment (read once, when a face first calls in):
//   LODREX_SIM_VID, LODREX_SIM_PID  identifiers it answers to (C number syntax); by default those
//                                   of cfg.ini beside the face's DLL
//   LODREX_SIM_PRODUCT              product string, "Gaming Mouse" by default
//   LODREX_SIM_COUNT                keyboards attached, 1 by default
//   LODREX_SIM_FAIL                 failing sends: "*" all, "10:2" the first two of report 10,
//                                   "10:*" or "10" all of report 10; several joined by commas;
//                                   numbers are decimal; an unreadable item is refused with a
//                                   line on stderr
//   LODREX_SIM_BUSY                 collections another program holds, listed but not to be
//                                   opened: "11" report 11's on every keyboard, "2:11" only on
//                                   the second; several joined by commas; numbers are decimal
//   LODREX_SIM_UNPLUG               N: each keyboard is pulled out once it has taken N feature
//                                   reports (see Attached for its return)
//   LODREX_SIM_LOG                  wire log path, lodrex-sim.log beside the DLL by default
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace sim {

constexpr uint16_t kVendorUsagePage = 0xFF00;
constexpr uint16_t kVendorUsage = 1;

struct CollectionKind {
  uint32_t featureLength;  // report identifier included; 0: no feature report
  uint8_t reportId;
  uint32_t inputLength;    // 0: the collection delivers no input report
  uint8_t inputReportId;
  uint16_t usagePage, usage;
};
// Matrix, lighting, colour, macro: the order a real keyboard enumerates them in; the lighting
// collection also carries the 5-byte input report 7. Last, the keyboard's own typing collection
// (a boot keyboard, no report identifiers), which the system holds for itself.
constexpr CollectionKind kCollections[] = {{577, 9, 0, 0, kVendorUsagePage, kVendorUsage},
                                           {42, 10, 5, 7, kVendorUsagePage, kVendorUsage},
                                           {146, 11, 0, 0, kVendorUsagePage, kVendorUsage},
                                           {961, 12, 0, 0, kVendorUsagePage, kVendorUsage},
                                           {0, 0, 9, 0, 0x01, 0x06}};
constexpr int kKinds = 5;

// One collection of one keyboard as it was plugged in: `plug` counts the keyboard's arrivals, so
// that a handle from before a removal stays dead after the keyboard is back.
struct CollectionRef {
  int keyboard = 0;
  int kind = 0;
  uint32_t plug = 0;
};

// The levels of the system's device tree above a HID collection: the USB interface it sits on,
// and the composite USB device (the keyboard) above the interfaces.
enum class NodeLevel { kCollection = 0, kInterface = 1, kDevice = 2 };

class KeyboardModel {
 public:
  // The configuration, read from the environment and cfg.ini in `folder` on the first call.
  void Configure(const std::wstring& folder);
  KeyboardModel();

  uint16_t Vid();
  uint16_t Pid();
  std::wstring Product();
  // Whether the collection cannot be opened (another program, or the system, holds it).
  bool Busy(const CollectionRef& c);

  // One enumeration of the attached keyboards' collections, keyboard by keyboard in kind order.
  // A keyboard pulled out is missing from the first enumeration after its removal and comes
  // back, as a new arrival, in the one after that; it is pulled out only once per process.
  std::vector<CollectionRef> Attached();
  // The collection is still the one plugged in (its keyboard was not pulled out since).
  bool Live(const CollectionRef& c);

  // A feature report sent to `c` (null: the handle names no collection). Logs it on the wire and
  // returns 0 when the keyboard took it, otherwise the Windows error code of the refusal.
  uint32_t SetFeature(const CollectionRef* c, const uint8_t* buffer, uint32_t length);
  // What the collection holds: the last report it took, zeros before that.
  uint32_t GetFeature(const CollectionRef& c, uint8_t* buffer, uint32_t length);
  // Nobody presses the simulated keys: the input report with zeros.
  uint32_t GetInputReport(const CollectionRef& c, uint8_t* buffer, uint32_t length);

  // "hid#vid_1a2c&pid_0e24&mi_01#7&1d5e0000&0&0000#{4d1e55b2-...}": the last part of the
  // collection's interface path, as the system spells it, and back.
  std::wstring InterfaceName(const CollectionRef& c);
  static bool ParseInterfaceName(const std::wstring& name, CollectionRef& c);
  // The system's identifier of a node of the device tree ("HID\VID_1A2C&PID_0E24&MI_01\...").
  std::wstring NodeId(int keyboard, int kind, NodeLevel level);
  int Keyboards();

 private:
  struct FailRule {
    int reportId;  // -1: every report
    long limit;    // -1: every send
  };
  struct Keyboard {
    uint32_t plug = 0;
    long reportsTaken = 0;
    bool unplugged = false;      // pulled out, not yet seen missing by an enumeration
    bool missedOnce = false;     // one enumeration has not listed it
    bool pulledBefore = false;
  };

  void ConfigureLocked(const std::wstring& folder);
  bool LiveLocked(const CollectionRef& c) const;
  bool InjectedFailureLocked(int reportId);
  void AppendWireLogLocked(uint32_t collectionLength, const uint8_t* buffer, uint32_t length, bool ok);

  std::mutex m_lock;
  bool m_configured = false;
  uint16_t m_vid = 0, m_pid = 0;
  std::wstring m_product = L"Gaming Mouse";
  std::vector<Keyboard> m_keyboards;
  std::vector<FailRule> m_failRules;
  struct BusyRule {
    int keyboard;  // -1: every keyboard
    int reportId;
  };
  std::vector<BusyRule> m_busy;
  long m_unplugAfter = -1;
  std::map<int, long> m_sendsPerReport;
  std::wstring m_logPath;
  std::map<std::pair<int, int>, std::vector<uint8_t>> m_lastFeature;  // (keyboard, kind)
  LARGE_INTEGER m_start{};
  LARGE_INTEGER m_frequency{};
};

// The model of this module (each face DLL holds one), configured from the variables and the
// cfg.ini beside the DLL on the first call.
KeyboardModel& Model();

// The folder of the module holding `address`, ending in a backslash.
std::wstring FolderOfModuleAt(const void* address);

}  // namespace sim
