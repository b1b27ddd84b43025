// A program folder in /tmp that holds one cfg.ini, with message boxes and debugger output
// recorded. The log starts out on the debugger output, so vertices logged outside a load show.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "log/log.h"
#include "config/layout.h"
#include "config/settings.h"
#include "platform/platform.h"
#include "platform/u16.h"
#include "unit/temp_folder.h"

using Box = std::pair<std::u16string, std::u16string>;  // text, title

class CfgFolderFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::ResetTestHooks();
    plat::TestHooks().messageBox = [this](const std::u16string& text, const std::u16string& title, uint32_t) {
      boxes_.emplace_back(text, title);
      return plat::kIdOk;
    };
    plat::TestHooks().debugOutput = [this](const std::u16string& text) { log_.push_back(text); };
    plat::TestHooks().knownFolder = [this](plat::KnownFolder, std::u16string& out) {
      out = tmp_.U16Path();
      return true;
    };
    g_Debug = 1;
    LogInit();
  }
  void TearDown() override {
    plat::ResetTestHooks();
    g_Debug = 0;
    LogInit();
    ClearLayout();
  }
  void WriteCfg(const std::string& text) { tmp_.WriteText("cfg.ini", text); }
  void Load() { ASSERT_TRUE(LoadConfig(tmp_.U16Path() + u"/")); }

  TempFolder tmp_{"velkor-cfg"};
  const std::string folder_ = tmp_.Path();
  std::vector<Box> boxes_;
  std::vector<std::u16string> log_;
};
