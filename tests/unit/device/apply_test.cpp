#include "device/apply.h"

#include <future>
#include <memory>

#include "device/encodings.h"
#include "macro/macro_library.h"
#include "unit/device/fake_device.h"

namespace {

WindowRef const kProgress = reinterpret_cast<WindowRef>(0x77);

class ApplyTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    std::memset(DefaultKeyTable, 0, sizeof DefaultKeyTable);
    for (int i = 0; i < kKeySlots; ++i) DefaultKeyTable[i].nMatrix = i;
    g_KeyCount = kKeySlots;
    profile = std::make_unique<PROFILEINFO>();
    std::memset(profile.get(), 0, sizeof(PROFILEINFO));
    profile->dwMagic = kProfileMagic;
    profile->dwId = 0x123456;
    for (int i = 0; i < kKeySlots; ++i) profile->KeyInfo[i].nMatrix = i;
    profile->nCurLedMode = 2;
    profile->LedParam[2] = LEDPARAM{5, 1, 4, 0, 3, 0};
    for (int i = 0; i < 28; ++i) profile->abLedExtra[i] = static_cast<uint8_t>(0xE0 + i);
    OpenAll();
  }

  void TearDown() override {
    std::memset(DefaultKeyTable, 0, sizeof DefaultKeyTable);
    g_KeyCount = 0;
    DeviceTest::TearDown();
  }

  void SetKey(int slot, uint8_t vk) {
    KEYINFO& k = profile->KeyInfo[slot];
    k.bType = 2;
    k.bVk = vk;
  }
  void SetMacroKey(int slot, uint32_t id) {
    KEYINFO& k = profile->KeyInfo[slot];
    k.bType = 5;
    k.dwMacroId = id;
  }
  StMacro* AddMacro(uint32_t id, uint32_t loopMode = 0, uint16_t loopCount = 3) {
    StMacro m;
    std::memset(&m, 0, sizeof m);
    m.dwMagicNumber = kMacroMagic;
    m.dwMacroId = id;
    m.dwLoopMode = loopMode;
    m.wLoopCount = loopCount;
    m.Events[0] = MACROEVENT{0x41, 1, 25};
    m.Events[1] = MACROEVENT{static_cast<uint16_t>(0x42 + (id & 7)), 0, 0};
    return AppendMacroCopy(m);
  }

  uint32_t MatrixWord(int position) const {
    const SentReport* r = fake.Find(kCmdMatrix);
    if (!r) return 0xDEADBEEF;
    const uint8_t* b = r->bytes.data() + 1 + position * 4;
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
  }
  std::vector<uintptr_t> ProgressPositions() const {
    std::vector<uintptr_t> out;
    for (const Posted& p : posts)
      if (p.message == WM_PROGRESS_SETPOS) out.push_back(p.wParam);
    return out;
  }
  int Apply(uint32_t flags, WindowRef window = nullptr) {
    return ApplySetting(window, &driver, profile.get(), WM_PROGRESS_SETPOS, flags);
  }

  // Boxes must come up with the data lock free, or the user interface would wait on them.
  void WatchLockDuringBoxes() {
    plat::TestHooks().messageBox = [this](const std::u16string& text, const std::u16string& title, uint32_t) {
      bool free = std::async(std::launch::async, [] {
                    std::unique_lock<std::recursive_mutex> lock(ProfileDataMutex(), std::try_to_lock);
                    return lock.owns_lock();
                  }).get();
      boxes.push_back(u16::ToUtf8(title) + ": " + u16::ToUtf8(text) + (free ? "" : " (locked)"));
      return plat::kIdOk;
    };
  }

  std::unique_ptr<PROFILEINFO> profile;
};

TEST_F(ApplyTest, FullApplyInModeTwoSkipsColoursAndReportsProgress) {
  liveWindow = kProgress;
  SetKey(10, 0x41);
  AddMacro(0x111);
  SetMacroKey(20, 0x111);
  ASSERT_EQ(Apply(0x8007, kProgress), 1);

  EXPECT_EQ(fake.Commands(), (std::vector<int>{10, 12, 9}));
  EXPECT_EQ(fake.sent[0].handle, driver.m_hLed.load());
  EXPECT_EQ(fake.sent[1].handle, driver.m_hMacro.load());
  EXPECT_EQ(fake.sent[2].handle, driver.m_hMatrix.load());
  EXPECT_EQ(fake.sent[0].bytes.size(), 42u);
  EXPECT_EQ(fake.sent[1].bytes.size(), 961u);
  EXPECT_EQ(fake.sent[2].bytes.size(), 577u);
  EXPECT_EQ(ProgressPositions(), (std::vector<uintptr_t>{20, 70, 100}));
  EXPECT_EQ(sleeps, (std::vector<uint32_t>{50, 500}));

  // Lighting block: mode, colour + 1, speed, brightness before direction, zeros, extra bytes.
  const std::vector<uint8_t>& led = fake.sent[0].bytes;
  EXPECT_EQ(std::vector<uint8_t>(led.begin(), led.begin() + 15),
            (std::vector<uint8_t>{10, 2, 4, 5, 4, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0xE0}));
  EXPECT_EQ(led[41], 0xE0 + 27);

  EXPECT_EQ(MatrixWord(10), 0x00040000u);
  EXPECT_EQ(MatrixWord(20), 0x03010002u);  // buffer 1, repeat mode 1, three repeats
  EXPECT_EQ(MatrixWord(6), 0u);            // reference words never reach the keyboard
  const uint8_t* bank = fake.sent[1].bytes.data() + 1;
  EXPECT_EQ(std::vector<uint8_t>(bank, bank + 7), (std::vector<uint8_t>{0x02, 0x00, 0x04, 0x80, 0x00, 0x06, 0}));
  EXPECT_EQ(FindMacroById(0x111)->Macro_Buffer_ID, 0u);
}

TEST_F(ApplyTest, ColourOnlyInPerKeyModeSendsOneReportForTheGroup) {
  profile->nCurLedMode = 3;
  profile->nCurGameGroup = 4;
  profile->dwKeyColor[4][0] = 0x0000FF;   // red
  profile->dwKeyColor[4][143] = 0xFFFF00; // cyan
  profile->dwKeyColor[4][7] = 0x123456;   // not a keyboard colour: off
  profile->dwKeyColor[0][1] = 0xFFFFFF;   // another group
  ASSERT_EQ(Apply(APPLY_COLOR), 1);
  ASSERT_EQ(fake.Commands(), (std::vector<int>{11}));
  const std::vector<uint8_t>& c = fake.sent[0].bytes;
  ASSERT_EQ(c.size(), 146u);
  EXPECT_EQ(fake.sent[0].handle, driver.m_hColor.load());
  EXPECT_EQ(c[1], 5);
  EXPECT_EQ(c[2], 4);
  EXPECT_EQ(c[2 + 143], 3);
  EXPECT_EQ(c[2 + 7], 0);
  EXPECT_EQ(c[2 + 1], 0);
  EXPECT_TRUE(posts.empty());
  EXPECT_EQ(sleeps, (std::vector<uint32_t>{60}));
  EXPECT_TRUE(Logged("Key[000]= Color(4)"));

  profile->nCurLedMode = 2;
  fake.sent.clear();
  EXPECT_EQ(Apply(APPLY_COLOR), 1);
  EXPECT_TRUE(fake.sent.empty());
}

TEST_F(ApplyTest, LightingColourByteIsZeroForRandomColour) {
  struct Case {
    uint32_t color, random;
    uint8_t byte1;
  } cases[] = {{0, 0, 1}, {6, 0, 7}, {6, 1, 0}, {255, 0, 0}};
  for (const Case& c : cases) {
    profile->LedParam[2].nColor = c.color;
    profile->LedParam[2].bRandomColor = c.random;
    fake.sent.clear();
    ASSERT_EQ(Apply(APPLY_LED), 1);
    ASSERT_EQ(fake.Commands(), (std::vector<int>{10}));
    EXPECT_EQ(fake.sent[0].bytes[2], c.byte1) << c.color << " " << c.random;
  }
}

TEST_F(ApplyTest, MacrosGetBuffersInOrderOfFirstUseAndAreEncodedOnce) {
  AddMacro(0xA1, 1);
  AddMacro(0xB2, 0, 200);
  SetMacroKey(5, 0xA1);
  SetMacroKey(30, 0xB2);
  SetMacroKey(40, 0xA1);
  ASSERT_EQ(Apply(APPLY_MATRIX), 1);
  EXPECT_EQ(MatrixWord(5), 0x00020002u);   // buffer 1, mode code 2, no count
  EXPECT_EQ(MatrixWord(40), 0x00020002u);
  EXPECT_EQ(MatrixWord(30), 0xC8010102u);  // buffer 2, 200 repeats
  const uint8_t* bank = fake.Find(kCmdMacro)->bytes.data() + 1;
  EXPECT_EQ(bank[2], 0x04);                 // first event of 0xA1 at buffer 1
  EXPECT_EQ(bank[48 + 5], 0x07);            // second event of 0xB2 (key D) at buffer 2
  EXPECT_EQ(bank[96 + 2], 0);               // buffer 3 unused
  EXPECT_EQ(std::count(log.begin(), log.end(), "New Assign Buffer_ID= 1"), 1);
  EXPECT_TRUE(Logged("Key[0][40] Set To Macro 0x000000a1, Macro_Buffer_ID=1"));
  for (auto pos = MacroList.GetHeadPosition(); pos; pos = CMyList<StMacro>::Next(pos))
    EXPECT_EQ(CMyList<StMacro>::GetAt(pos)->Macro_Buffer_ID, 0u);
}

TEST_F(ApplyTest, MoreThanTwentyMacrosLeaveTheRestUncounted) {
  for (uint32_t i = 0; i < 21; ++i) {
    AddMacro(0x500 + i);
    SetMacroKey(static_cast<int>(i), 0x500 + i);
  }
  ASSERT_EQ(Apply(APPLY_MATRIX), 1);
  EXPECT_EQ(MatrixWord(19), 0x03011302u);  // buffer 20
  EXPECT_EQ(MatrixWord(20), 0x00010002u);  // the encoder's word, untouched
}

TEST_F(ApplyTest, KeyOnDeletedMacroLogsAndSendsZero) {
  WatchLockDuringBoxes();
  SetMacroKey(12, 0xDEAD);
  SetKey(13, 0x41);
  ASSERT_EQ(Apply(APPLY_MATRIX), 1);
  EXPECT_TRUE(Logged("Key[0][12] Set To Macro NULL"));
  EXPECT_EQ(boxes, (std::vector<std::string>{"Error: Invaild key code"}));
  EXPECT_EQ(MatrixWord(12), 0u);
  EXPECT_EQ(MatrixWord(13), 0x00040000u);
  EXPECT_EQ(fake.Commands(), (std::vector<int>{9}));  // no macro key counted, no bank
}

TEST_F(ApplyTest, MacroKeyOutsideTheMatrixWarnsAndIsSkipped) {
  WatchLockDuringBoxes();
  AddMacro(0x77);
  SetMacroKey(3, 0x77);
  DefaultKeyTable[3].nMatrix = 200;
  ASSERT_EQ(Apply(APPLY_MATRIX), 1);
  EXPECT_EQ(boxes, (std::vector<std::string>{"Warning: Matrix inx warning"}));
  EXPECT_EQ(fake.Commands(), (std::vector<int>{9}));
}

TEST_F(ApplyTest, ConversionBoxesComeBeforePositionSeventyAndPositionWarningsAfter) {
  liveWindow = kProgress;
  std::vector<std::string> seen;
  plat::TestHooks().messageBox = [&](const std::u16string& text, const std::u16string& title, uint32_t) {
    seen.push_back(u16::ToUtf8(title) + ": " + u16::ToUtf8(text));
    return plat::kIdOk;
  };
  oslink::TestHooks().post = [&](WindowRef, uint32_t message, uintptr_t wParam, intptr_t) {
    if (message == WM_PROGRESS_SETPOS) seen.push_back(std::to_string(wParam));
  };
  profile->KeyInfo[2].bType = 7;  // no such key function
  AddMacro(0x77);
  SetMacroKey(3, 0x77);
  DefaultKeyTable[3].nMatrix = 200;
  ASSERT_EQ(Apply(APPLY_MATRIX, kProgress), 1);
  EXPECT_EQ(seen, (std::vector<std::string>{"20", "Error: Invaild key code", "70",
                                            "Warning: Matrix inx warning", "100"}));
}

TEST_F(ApplyTest, LogOfAFullRunFollowsTheOrderOfTheTables) {
  profile->nCurLedMode = 3;
  profile->LedParam[3] = LEDPARAM{1, 1, 1, 0, 0, 0};
  profile->dwKeyColor[0][4] = 0x0000FF;
  AddMacro(0x31);
  SetMacroKey(8, 0x31);
  ASSERT_EQ(Apply(7), 1);
  EXPECT_EQ(fake.Commands(), (std::vector<int>{10, 11, 12, 9}));
  auto first = [&](const std::string& start) {
    for (size_t i = 0; i < log.size(); ++i)
      if (log[i].compare(0, start.size(), start) == 0) return static_cast<int>(i);
    return -1;
  };
  std::vector<int> at = {first("LED(Save): "), first("Key[004]= Color(4)"),
                         first("Key[0][8] Set To Macro 0x00000031"), first("Macro: "),
                         first("-------After convert over--------")};
  for (size_t i = 0; i < at.size(); ++i) EXPECT_GE(at[i], 0) << i;
  EXPECT_TRUE(std::is_sorted(at.begin(), at.end()));
}

TEST_F(ApplyTest, Positions81And86CarryTheSameWord) {
  struct Case {
    uint8_t vk81, vk86;
    uint32_t word81, word86;
  } cases[] = {
      {0x41, 0, 0x00040000, 0x00040000},     // 86 empty: 81 copied to it
      {0x41, 0x42, 0x00050000, 0x00050000},  // both set: 86 wins
      {0, 0x42, 0x00050000, 0x00050000},
  };
  for (const Case& c : cases) {
    profile->KeyInfo[81] = KEYINFO{};
    profile->KeyInfo[86] = KEYINFO{};
    if (c.vk81) SetKey(81, c.vk81);
    if (c.vk86) SetKey(86, c.vk86);
    fake.sent.clear();
    ASSERT_EQ(Apply(APPLY_MATRIX), 1);
    EXPECT_EQ(MatrixWord(81), c.word81);
    EXPECT_EQ(MatrixWord(86), c.word86);
  }
}

TEST_F(ApplyTest, FailedReportStopsTheRunUnlessGoWithNoDev) {
  liveWindow = kProgress;
  fake.failAlways = true;
  EXPECT_EQ(Apply(0x8007, kProgress), 0);
  EXPECT_EQ(fake.attempts, 3);  // the lighting report only
  EXPECT_TRUE(Logged("Set general data error, err=0x1f"));
  EXPECT_EQ(ProgressPositions(), (std::vector<uintptr_t>{20}));

  g_Settings.GoWithNoDev = 1;
  fake.attempts = 0;
  posts.clear();
  EXPECT_EQ(Apply(0x8007, kProgress), 1);
  EXPECT_EQ(fake.attempts, 6);  // lighting and matrix, three each
  EXPECT_TRUE(Logged("Set mode1 matrix error, err=0x1f"));
  EXPECT_EQ(ProgressPositions(), (std::vector<uintptr_t>{20, 70, 100}));
}

TEST_F(ApplyTest, DeadProgressWindowIsDroppedAndNullArgumentsFail) {
  EXPECT_EQ(Apply(APPLY_LED, reinterpret_cast<WindowRef>(0x55)), 1);
  EXPECT_TRUE(Logged("ApplySetting: hWnd=0"));
  EXPECT_TRUE(posts.empty());
  EXPECT_EQ(ApplySetting(nullptr, nullptr, profile.get(), 0, 7), 0);
  EXPECT_EQ(ApplySetting(nullptr, &driver, nullptr, 0, 7), 0);
}

// The worker's side: what one semaphore count does.
class ApplyWorkerTest : public ApplyTest {
 protected:
  void SetUp() override {
    ApplyTest::SetUp();
    request.driver = &driver;
    request.currentProfile = [this] { return profile.get(); };
  }
  ApplyRequest request;
};

TEST_F(ApplyWorkerTest, FullApplyFindsTheProgressDialogAndClosesItTwice) {
  liveWindow = kProgress;
  request.flags = 0x8007;
  RunApplyRequest(request);
  EXPECT_EQ(findTitles.front(), "MyProgressDlg..");
  EXPECT_EQ(fake.Commands(), (std::vector<int>{10, 9}));
  ASSERT_GE(posts.size(), 2u);
  EXPECT_EQ(posts[posts.size() - 2].message, kWmClose);
  EXPECT_EQ(posts.back().message, kWmClose);
  EXPECT_EQ(sleeps, (std::vector<uint32_t>{50, 50, 500, 20}));
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(request.flags, 0u);
}

TEST_F(ApplyWorkerTest, ProgressDialogIsLookedForAboutOneSecond) {
  request.flags = 0x8001;
  RunApplyRequest(request);
  EXPECT_EQ(findTitles.size(), 20u);
  EXPECT_EQ(Slept(), 20u * 50);
  EXPECT_EQ(fake.Commands(), (std::vector<int>{9}));
}

TEST_F(ApplyWorkerTest, ProfileWithoutIdentifierShowsTheFailureBox) {
  profile->dwId = 0;
  request.flags = 7;
  RunApplyRequest(request);
  EXPECT_TRUE(fake.sent.empty());
  EXPECT_EQ(boxes, (std::vector<std::string>{"Error:    Update settings failed!      "}));
}

TEST_F(ApplyWorkerTest, NoKeyboardDropsTheRequestUnlessGoWithNoDev) {
  driver.ClearHandle();
  request.flags = 7;
  RunApplyRequest(request);
  EXPECT_EQ(fake.attempts, 0);
  EXPECT_TRUE(Logged("Start Apply: hDevice=0x0, nFlag=0x7"));

  g_Settings.GoWithNoDev = 1;
  request.flags = 7;
  RunApplyRequest(request);
  EXPECT_EQ(fake.attempts, 6);  // lighting and matrix to closed handles, three tries each
  EXPECT_EQ(std::count(log.begin(), log.end(), "SendCommand err=6"), 2);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(ApplyWorkerTest, RequestsMadeDuringARunAreKept) {
  StartApplyWorker(&driver, [this] { return profile.get(); });
  // Hold the data lock so the first run cannot finish before the second request arrives.
  {
    std::lock_guard<std::recursive_mutex> lock(ProfileDataMutex());
    RequestApply(APPLY_LED | APPLY_WAIT_PROGRESS);
    RequestApply(APPLY_MATRIX);
  }
  for (int i = 0; i < 200 && fake.Commands().size() < 2; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  StopApplyWorker();
  std::vector<int> commands = fake.Commands();
  EXPECT_EQ(commands.size(), 2u);
  EXPECT_EQ(std::count(commands.begin(), commands.end(), 10), 1);
  EXPECT_EQ(std::count(commands.begin(), commands.end(), 9), 1);
  EXPECT_TRUE(findTitles.empty());  // bit 15 is cleared by RequestApply
}

TEST_F(ApplyWorkerTest, OneSenderHoldsTheDeviceAtATime) {
  std::unique_lock<std::mutex> held(DeviceSendMutex());
  // The game watch's send gives way at once rather than mixing its reports into another run.
  EXPECT_EQ(TryApplySetting(nullptr, &driver, profile.get(), 0, 7), kApplyDeviceBusy);
  request.flags = 7;
  auto run = std::async(std::launch::async, [this] { RunApplyRequest(request); });
  EXPECT_EQ(run.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
  EXPECT_EQ(fake.attempts, 0);
  held.unlock();
  run.get();
  EXPECT_EQ(fake.Commands(), (std::vector<int>{10, 9}));
  EXPECT_EQ(TryApplySetting(nullptr, &driver, profile.get(), 0, APPLY_MATRIX), 1);
}

}  // namespace
