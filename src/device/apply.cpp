#include "device/apply.h"

#include <cstring>
#include <memory>
#include <utility>

#include "log/log.h"
#include "config/layout.h"
#include "config/settings.h"
#include "device/encodings.h"
#include "device/usb_driver.h"
#include "macro/macro_library.h"
#include "macro/macro_record.h"
#include "platform/platform.h"

namespace {

constexpr uint32_t kPauseAfterLedMs = 50;
constexpr uint32_t kPauseAfterColorMs = 60;
constexpr uint32_t kPauseAfterDoneMs = 500;
constexpr uint32_t kProgressLookupPauseMs = 50;
constexpr int kProgressLookupTries = 20;
constexpr uint32_t kPauseBetweenClosesMs = 20;

// Functions the keyboard assigns by default to positions the layout may not cover; they only
// feed the conflict log of the matrix conversion.
constexpr struct {
  int position;
  uint32_t word;
} kReferenceWords[] = {
    {6, 0x00640000},   {23, 0x00910000},  {29, 0x008B0000},  {35, 0x2A020001},
    {42, 0x8A010001},  {47, 0x008A0000},  {53, 0x00900000},  {76, 0x00870000},
    {77, 0x00880000},  {82, 0x00320000},  {92, 0x00890000},  {93, 0xEA000001},
    {94, 0xE9000001},  {99, 0xB5000001},  {100, 0xB6000001}, {111, 0xB7000001},
    {112, 0xE2000001}, {114, 0x26020001}, {120, 0x94010001}, {126, 0x25020001},
    {132, 0x21020001}, {135, 0x00850000}, {138, 0x92010001}, {139, 0x83010001},
};

// Everything a run sends, encoded while the profile and the macro list are held still; the
// sending with its pauses then needs neither.
struct ApplyPlan {
  bool ledValid = false;
  uint8_t led[kLedBlockBytes] = {};
  bool colorWanted = false;  // APPLY_COLOR and per-key colour mode
  bool colorValid = false;
  uint16_t colorGroup = 0;
  uint8_t color[kColorBlockBytes] = {};
  // Boxes are shown once the lock is released: a box waiting for the user must not hold up
  // the user interface's edits. The conversion's complaints come up before position 70 is
  // posted, the macro step's after it, as they would if shown where they arise.
  int invalidKeys = 0;
  int keysOutsideMatrix = 0;
  int macroKeys = 0;
  uint8_t bank[kMacroBankBytes] = {};
  uint8_t matrix[kMatrixBytes] = {};
};

void BuildLedBlock(const PROFILEINFO& profile, ApplyPlan& plan) {
  uint32_t mode = profile.nCurLedMode;
  if (mode >= static_cast<uint32_t>(kLedModes)) {
    // A record from disk may carry any mode; there is no parameter block to send for it.
    LogPrint(u"ApplySetting: no lighting parameters for mode %u", mode);
    return;
  }
  const LEDPARAM& p = profile.LedParam[mode];
  plan.led[0] = static_cast<uint8_t>(mode);
  plan.led[1] = p.bRandomColor ? 0 : static_cast<uint8_t>(p.nColor + 1);
  plan.led[2] = p.nSpeed;
  plan.led[3] = p.nLight;
  plan.led[4] = p.nDirect;
  std::memcpy(plan.led + 13, profile.abLedExtra, sizeof profile.abLedExtra);
  plan.ledValid = true;
}

void BuildColorBlock(const PROFILEINFO& profile, ApplyPlan& plan) {
  uint16_t group = profile.nCurGameGroup;
  plan.colorGroup = group;
  if (group >= kGameGroups) {
    LogPrint(u"ApplySetting: no colour table for group %d", static_cast<int>(group));
    return;
  }
  plan.color[0] = static_cast<uint8_t>(group + 1);
  for (int p = 0; p < kKeySlots; ++p) {
    uint8_t index = ColorToIndex(profile.dwKeyColor[group][p]);
    if (index) LogPrint(u"Key[%03d]= Color(%d)", p, static_cast<int>(index));
    plan.color[1 + p] = index;
  }
  plan.colorValid = true;
}

// The smallest buffer number no macro of the library holds, or 0 when all 20 are taken.
uint32_t FreeBufferNumber() {
  bool taken[kHdMacroSlots + 1] = {};
  for (auto pos = MacroList.GetHeadPosition(); pos; pos = CMyList<StMacro>::Next(pos)) {
    uint32_t n = CMyList<StMacro>::GetAt(pos)->Macro_Buffer_ID;
    if (n >= 1 && n <= static_cast<uint32_t>(kHdMacroSlots)) taken[n] = true;
  }
  for (uint32_t n = 1; n <= static_cast<uint32_t>(kHdMacroSlots); ++n)
    if (!taken[n]) return n;
  return 0;
}

void BuildMatrixAndBank(const PROFILEINFO& profile, ApplyPlan& plan) {
  uint32_t matrix[kMatrixWords] = {};
  for (const auto& ref : kReferenceWords) matrix[ref.position] = ref.word;
  // Keys the keyboard cannot take are left out of the conversion (which would stop on a box for
  // each) and reported after it; their positions stay 0 all the same.
  KEYINFO keys[kKeySlots];
  std::memcpy(keys, profile.KeyInfo, sizeof keys);
  for (KEYINFO& key : keys) {
    if (KeyCodeWord(key) == 0 || keyinfo_to_hardware_code(&key) != kInvalidKeyCode) continue;
    ++plan.invalidKeys;
    SetKeyCodeWord(key, 0);
  }
  KEYINFO_2_Matrix(keys, matrix);
  LogMatrixChanges(matrix);

  for (int i = 0; i < kKeySlots; ++i) {
    const KEYINFO& key = profile.KeyInfo[i];
    if (key.bType != 5) continue;
    StMacro* macro = FindMacroById(key.dwMacroId);
    if (!macro) {
      LogPrint(u"Key[%d][%d] Set To Macro NULL", 0, i);
      continue;
    }
    LogPrint(u"Key[%d][%d] Set To Macro 0x%08x, Macro_Buffer_ID=%d", 0, i, macro->dwMacroId,
             static_cast<int>(macro->Macro_Buffer_ID));
    // The same position the matrix conversion used: the layout's, not the entry's own copy,
    // which a stale record may carry and which would put the buffer number on another key.
    int32_t p = DefaultKeyTable[i].nMatrix;
    if (p < 0 || p >= kMatrixWords) {
      ++plan.keysOutsideMatrix;
      continue;
    }
    uint32_t n = macro->Macro_Buffer_ID;
    if (n < 1 || n > static_cast<uint32_t>(kHdMacroSlots)) {
      n = FreeBufferNumber();
      if (!n) break;
      macro->Macro_Buffer_ID = n;
      LogPrint(u"New Assign Buffer_ID= %d", static_cast<int>(n));
      StMacro_To_HdMacro(macro, plan.bank + (n - 1) * kHdMacroBytes);
    }
    uint32_t word = (matrix[p] & ~0x0000FF00u) | ((n - 1) << 8);
    if (macro->dwLoopMode == 0) word = (word & 0x00FFFFFFu) | (static_cast<uint32_t>(macro->wLoopCount & 0xFF) << 24);
    matrix[p] = word;
    ++plan.macroKeys;
    LogPrint(u"Matrix[%d][%d] = 0x%08x", 0, static_cast<int>(p), word);
  }
  if (plan.macroKeys) LogHexDump(plan.bank, kMacroBankBytes, kHdMacroBytes, u"Macro: ");
  LogPrint(u"-------After convert over--------");
  LogMatrixChanges(matrix);

  // Positions 81 and 86 are the same key; a word on either one must reach both.
  if (matrix[81] != matrix[86]) {
    if (matrix[86] != 0)
      matrix[81] = matrix[86];
    else
      matrix[86] = matrix[81];
  }
  for (int p = 0; p < kMatrixWords; ++p)
    for (int b = 0; b < 4; ++b) plan.matrix[p * 4 + b] = static_cast<uint8_t>(matrix[p] >> (8 * b));
}

void ClearBufferNumbers() {
  for (auto pos = MacroList.GetHeadPosition(); pos; pos = CMyList<StMacro>::Next(pos))
    CMyList<StMacro>::GetAt(pos)->Macro_Buffer_ID = 0;
}

void Post(WindowRef window, uint32_t message, uintptr_t position) {
  if (window) oslink::PostToWindow(window, message, position, 0);
}

int Send(uint8_t command, uint32_t length, CUSBDriver* driver, const std::atomic<uint32_t>& handle,
         const uint8_t* payload) {
  uint8_t report[kReportBufferBytes];
  std::memset(report + 1, 0, kReportBufferBytes - 1);
  return SendCommand(command, length, report, driver, handle.load(), payload);
}

int Transmit(WindowRef window, CUSBDriver* driver, uint32_t message, uint32_t flags,
             const ApplyPlan& plan) {
  const bool goOn = g_Settings.GoWithNoDev != 0;
  Post(window, message, 20);

  if (flags & APPLY_LED) {
    if (plan.ledValid) {
      if (!Send(kCmdLed, kLedBlockBytes, driver, driver->m_hLed, plan.led)) {
        LogPrint(u"Set general data error, err=0x%x", plat::LastError());
        if (!goOn) return 0;
      }
    }
    plat::SleepMs(kPauseAfterLedMs);
  }

  if (plan.colorWanted) {
    if (plan.colorValid &&
        !Send(kCmdColor, kColorBlockBytes, driver, driver->m_hColor, plan.color)) {
      LogPrint(u"Set color[%d] data error, err=0x%x", static_cast<int>(plan.colorGroup),
               plat::LastError());
      if (!goOn) return 0;
    }
    plat::SleepMs(kPauseAfterColorMs);
  }

  if (flags & APPLY_MATRIX) {
    for (int i = 0; i < plan.invalidKeys; ++i)
      plat::ShowMessageBox(u"Invaild key code", u"Error", plat::kMbOk);
    Post(window, message, 70);
    for (int i = 0; i < plan.keysOutsideMatrix; ++i)
      plat::ShowMessageBox(u"Matrix inx warning", u"Warning", plat::kMbOk);
    if (plan.macroKeys && !Send(kCmdMacro, kMacroBankBytes, driver, driver->m_hMacro, plan.bank)) {
      LogPrint(u"Set macro buffer error, err=0x%x", plat::LastError());
      if (!goOn) return 0;
    }
    if (!Send(kCmdMatrix, kMatrixBytes, driver, driver->m_hMatrix, plan.matrix)) {
      LogPrint(u"Set mode1 matrix error, err=0x%x", plat::LastError());
      if (!goOn) return 0;
    }
  }

  if (window) {
    Post(window, message, 100);
    plat::SleepMs(kPauseAfterDoneMs);
  }
  return 1;
}

// The encoding half of ApplySetting; the caller holds ProfileDataMutex() so that the profile
// and the macro list are read as one consistent version. 0 when there is nothing to apply.
int Prepare(WindowRef& progressWindow, CUSBDriver* driver, const PROFILEINFO* profile,
            uint32_t flags, ApplyPlan& plan) {
  if (!driver || !profile || profile->dwId == 0) return 0;
  if (!oslink::IsWindowAlive(progressWindow)) {
    LogPrint(u"ApplySetting: hWnd=0");
    progressWindow = nullptr;
  }
  if (flags & (APPLY_LED | APPLY_COLOR)) DumpProfileSettings(profile);
  if (flags & APPLY_LED) {
    BuildLedBlock(*profile, plan);
    // Dumped here, ahead of the colour and matrix lines, so that the log of a run that goes
    // through reads in the order the tables are sent.
    if (plan.ledValid && g_Debug) LogHexDump(plan.led, kLedBlockBytes, 32, u"LED(Save): ");
  }
  if ((flags & APPLY_COLOR) && (profile->nCurLedMode & 0xFF) == kLedModeColorPerKey) {
    plan.colorWanted = true;
    BuildColorBlock(*profile, plan);
  }
  if (flags & APPLY_MATRIX) {
    BuildMatrixAndBank(*profile, plan);
    ClearBufferNumbers();
  }
  return 1;
}

}  // namespace

std::mutex& DeviceSendMutex() {
  static std::mutex* mutex = new std::mutex;  // never destroyed, like the worker it guards
  return *mutex;
}

namespace {
// ApplySetting once the device is held.
int PrepareAndTransmit(WindowRef progressWindow, CUSBDriver* driver, const PROFILEINFO* profile,
                       uint32_t message, uint32_t flags) {
  auto plan = std::make_unique<ApplyPlan>();
  {
    std::lock_guard<std::recursive_mutex> lock(ProfileDataMutex());
    if (!Prepare(progressWindow, driver, profile, flags, *plan)) return 0;
  }
  return Transmit(progressWindow, driver, message, flags, *plan);
}
}  // namespace

int ApplySetting(WindowRef progressWindow, CUSBDriver* driver, const PROFILEINFO* profile,
                 uint32_t message, uint32_t flags) {
  std::lock_guard<std::mutex> device(DeviceSendMutex());
  return PrepareAndTransmit(progressWindow, driver, profile, message, flags);
}

int TryApplySetting(WindowRef progressWindow, CUSBDriver* driver, const PROFILEINFO* profile,
                    uint32_t message, uint32_t flags) {
  std::unique_lock<std::mutex> device(DeviceSendMutex(), std::try_to_lock);
  if (!device.owns_lock()) return kApplyDeviceBusy;
  return PrepareAndTransmit(progressWindow, driver, profile, message, flags);
}

// ---------------------------------------------------------------------------------------------
// The worker

bool RequestSemaphore::Release() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (count_ >= kApplySemaphoreMax) return false;
  ++count_;
  cv_.notify_one();
  return true;
}

bool RequestSemaphore::Acquire(const std::atomic<bool>& stop) {
  std::unique_lock<std::mutex> lock(mutex_);
  cv_.wait(lock, [&] { return stop.load() || count_ > 0; });
  if (stop.load()) return false;
  --count_;
  return true;
}

void RequestSemaphore::Wake() {
  std::lock_guard<std::mutex> lock(mutex_);
  cv_.notify_all();
}

ApplyRequest& TheApplyRequest() {
  // Never destroyed: a worker still running at exit must not meet a destroyed std::thread
  // (which would terminate the process) or a destroyed semaphore.
  static ApplyRequest* request = new ApplyRequest;
  return *request;
}

void RunApplyRequest(ApplyRequest& request) {
  // Taking the flags (not clearing them after the run) keeps a request made during a run for
  // the next one instead of losing it.
  uint32_t flags = request.flags.exchange(0);
  CUSBDriver* driver = request.driver;
  uint32_t device = driver ? driver->m_hMatrix.load() : 0;
  LogPrint(u"Start Apply: hDevice=0x%x, nFlag=0x%x", device, flags);
  if (!device && !g_Settings.GoWithNoDev) return;

  WindowRef window = nullptr;
  if (flags & APPLY_WAIT_PROGRESS) {
    for (int i = 0; i < kProgressLookupTries && !window; ++i) {
      plat::SleepMs(kProgressLookupPauseMs);
      window = oslink::FindTopLevelWindow(request.progressTitle);
    }
  }

  // The current profile and the macros it names are encoded in one go under the lock, so a
  // run sends one whole version of them even while the user keeps editing; the sending and its
  // pauses then run without holding up the user interface.
  auto plan = std::make_unique<ApplyPlan>();
  int ok;
  {
    std::lock_guard<std::recursive_mutex> lock(ProfileDataMutex());
    const PROFILEINFO* current = request.currentProfile ? request.currentProfile() : nullptr;
    ok = Prepare(window, driver, current, flags, *plan);
  }
  if (ok) {
    std::lock_guard<std::mutex> device(DeviceSendMutex());
    ok = Transmit(window, driver, request.message, flags, *plan);
  }
  if (!ok) plat::ShowMessageBox(u"   Update settings failed!      ", u"Error", plat::kMbOk | plat::kMbIconWarning);
  if (window) {
    oslink::PostToWindow(window, kWmClose, 0, 0);
    plat::SleepMs(kPauseBetweenClosesMs);
    oslink::PostToWindow(window, kWmClose, 0, 0);
  }
  LogPrint(u"Apply Over");
}

namespace {
void ApplyWorker(ApplyRequest* request) {
  LogPrint(u"Start Thread");
  while (request->semaphore.Acquire(request->stop)) RunApplyRequest(*request);
  LogPrint(u"thread exit");
}
}  // namespace

bool StartApplyWorker(CUSBDriver* driver, std::function<const PROFILEINFO*()> currentProfile) {
  ApplyRequest& request = TheApplyRequest();
  if (request.worker.joinable()) return false;
  request.stop = false;
  request.flags = 0;
  request.driver = driver;
  request.progressTitle = kProgressDlgTitle;
  request.message = WM_PROGRESS_SETPOS;
  request.currentProfile = std::move(currentProfile);
  request.worker = std::thread(ApplyWorker, &request);
  return true;
}

void RequestApply(uint32_t flags) { QueueApply(flags & ~static_cast<uint32_t>(APPLY_WAIT_PROGRESS)); }

void QueueApply(uint32_t flags) {
  ApplyRequest& request = TheApplyRequest();
  // Requests add up until a run takes them, so no table a requester asked for is skipped.
  request.flags.fetch_or(flags);
  request.semaphore.Release();
}

void StopApplyWorker() {
  ApplyRequest& request = TheApplyRequest();
  request.stop = true;
  request.semaphore.Wake();
  if (request.worker.joinable()) request.worker.join();
}
