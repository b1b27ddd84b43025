#include "device/usb_driver.h"

#include "device/device_listener.h"
#include "unit/device/fake_device.h"

namespace {

using UsbDriverTest = DeviceTest;

TEST_F(UsbDriverTest, FindDevOpensTheFourCollectionsByReportLength) {
  g_Settings.VID = 0xa;
  g_Settings.PID = 0x1b2;
  g_Debug = 3;
  ASSERT_EQ(driver.FindDev(), 1);
  EXPECT_EQ(driver.m_hMatrix, 0x1000u + 577);
  EXPECT_EQ(driver.m_hLed, 0x1000u + 42);
  EXPECT_EQ(driver.m_hColor, 0x1000u + 146);
  EXPECT_EQ(driver.m_hMacro, 0x1000u + 961);
  ASSERT_EQ(fake.idsAsked.size(), 4u);
  EXPECT_EQ(fake.idsAsked[0], u"VID_000A&PID_01B2");
  EXPECT_EQ(fake.debugValues[0], 3);
  EXPECT_EQ(fake.flagValues[0], 0x40000000u);
  EXPECT_TRUE(Logged("FindDev: looking for VID_000A&PID_01B2"));
  EXPECT_TRUE(Logged("m_hMatrix=0x1241, m_hLed=0x102a, m_hColor=0x1092, m_hMacro=0x13c1"));
}

TEST_F(UsbDriverTest, FindDevWithAMissingCollectionClosesTheOthers) {
  fake.collections = {577, 42, 961};
  EXPECT_EQ(driver.FindDev(), 0);
  EXPECT_FALSE(driver.m_hMatrix || driver.m_hLed || driver.m_hColor || driver.m_hMacro);
  EXPECT_EQ(closed, (std::vector<uint32_t>{0x1000 + 577, 0x1000 + 42, 0x1000 + 961}));
}

TEST_F(UsbDriverTest, ProductStringIsComparedOnlyWithMatchStr) {
  struct Case {
    int32_t matchStr;
    const char16_t* expected;  // USBString
    const char16_t* product;
    int found;
  } cases[] = {
      {0, u"", u"Something Else", 1},
      {1, u"", u"gAMING mOUSE", 1},
      {1, u"", u"Gaming Mouse 2", 0},
      {1, u"Kbd X", u"KBD x", 1},
      {1, u"Kbd X", u"Gaming Mouse", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(u16::ToUtf8(c.product));
    g_Settings.MatchStr = c.matchStr;
    u16::CopyTruncated(g_Settings.USBString, 30, c.expected);
    fake.product = c.product;
    EXPECT_EQ(driver.FindDev(), c.found);
    EXPECT_EQ(driver.IsOpen(), c.found == 1);
  }
  EXPECT_TRUE(Logged("Usb String=Gaming Mouse, Our Str=Kbd X"));
}

TEST_F(UsbDriverTest, CountDevicesCountsLightingCollectionsWithoutOpening) {
  fake.keyboards = 2;
  EXPECT_EQ(driver.CountDevices(), 2);
  EXPECT_EQ(fake.debugValues.back(), 0);
  EXPECT_TRUE(closed.empty());
  fake.keyboards = 0;
  EXPECT_EQ(driver.CountDevices(), 0);
}

TEST_F(UsbDriverTest, SendCommandRetriesThreeTimesWithPauses) {
  struct Case {
    int failures;
    int result;
    int attempts;
    uint32_t slept;
    bool errorLogged;
  } cases[] = {
      {0, 1, 1, 0, false},
      {2, 1, 3, 400, false},
      {3, 0, 3, 600, true},
  };
  const uint8_t payload[3] = {0xAA, 0xBB, 0xCC};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failures);
    fake.failuresLeft = c.failures;
    fake.attempts = 0;
    fake.sent.clear();
    sleeps.clear();
    log.clear();
    uint8_t report[kReportBufferBytes] = {};
    EXPECT_EQ(SendCommand(10, 3, report, &driver, 0x55, payload), c.result);
    EXPECT_EQ(fake.attempts, c.attempts);
    EXPECT_EQ(Slept(), c.slept);
    EXPECT_EQ(Logged("SendCommand err=31"), c.errorLogged);
    if (c.result) {
      EXPECT_EQ(fake.sent[0].handle, 0x55u);
      EXPECT_EQ(fake.sent[0].bytes, (std::vector<uint8_t>{10, 0xAA, 0xBB, 0xCC}));
    } else {
      EXPECT_EQ(plat::LastError(), 31u);
    }
  }
}

TEST_F(UsbDriverTest, SendCommandRefusesMissingOrOversizedPayloadWithoutAttempt) {
  uint8_t report[kReportBufferBytes];
  report[0] = 0x77;
  EXPECT_EQ(SendCommand(9, 576, report, &driver, 1, nullptr), 0);
  EXPECT_EQ(report[0], 0);
  std::vector<uint8_t> big(kReportBufferBytes);
  EXPECT_EQ(SendCommand(9, kReportBufferBytes, report, &driver, 1, big.data()), 0);
  EXPECT_EQ(fake.attempts, 0);
}

TEST_F(UsbDriverTest, BindFailsWhenTheLibraryIsMissing) {
  CUSBDriver unbound;
  plat::TestHooks().programFolder = [] { return std::u16string(u"/nonexistent-velkor/"); };
  EXPECT_EQ(BindDeviceLibrary(&unbound, nullptr), 0);
  EXPECT_TRUE(Logged("load dll failed."));
  EXPECT_EQ(unbound.FindDev(), 0);
  EXPECT_EQ(unbound.CountDevices(), 0);
  EXPECT_FALSE(Listener().thread.joinable());
}

TEST_F(UsbDriverTest, ClearHandleAlsoClosesTheListenerInput) {
  OpenAll();
  Listener().inputHandle = 0x99;
  driver.ClearHandle();
  EXPECT_EQ(closed.size(), 5u);
  EXPECT_EQ(Listener().inputHandle, 0u);
  EXPECT_FALSE(driver.IsOpen());
}

}  // namespace
