// The Windows build names unnamed keys through the system's keyboard layout; under Wine's US
// layout it must agree with the portable table the native build uses.
#include <gtest/gtest.h>

#include "config/key_names.h"

namespace {

TEST(KeyNamesWin, SystemLayoutAgreesWithTheUsTable) {
  // The keys the fixed name table leaves to the layout: digits, letters and the punctuation keys.
  // (0xE2, the ISO key beside left Shift, has no character in Wine's US layout.)
  const int ranges[][2] = {{0x30, 0x39}, {0x41, 0x5A}, {0xBA, 0xC0}, {0xDB, 0xDE}};
  for (const auto& r : ranges)
    for (int vk = r[0]; vk <= r[1]; ++vk)
      EXPECT_EQ(KeyCharFromSystem(static_cast<uint8_t>(vk)), UsLayoutChar(static_cast<uint8_t>(vk))) << "vk " << vk;
  EXPECT_EQ(KeyCharFromSystem('A'), u'a');  // unshifted, as the key prints it
  EXPECT_EQ(KeyCharFromSystem(0xBF), u'/');
}

}  // namespace
