// A program folder in /tmp that holds one cfg.ini, with message boxes and debugger output
// recorded. The log starts out on the debugger output, so vertices logged outside a load show.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "app/log/log.h"
#include "config/layout.h"
#include "config/settings.h"
#include "platform/platform.h"
#include "platform/u16.h"

using Box = std::pair<std::u16string, std::u16string>;  // text, title

class CfgFolderFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/velkor-cfg-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    folder_ = dir;
    plat::ResetTestHooks();
    plat::TestHooks().messageBox = [this](const std::u16string& text, const std::u16string& title, uint32_t) {
      boxes_.emplace_back(text, title);
      return plat::kIdOk;
    };
    plat::TestHooks().debugOutput = [this](const std::u16string& text) { log_.push_back(text); };
    plat::TestHooks().knownFolder = [this](plat::KnownFolder, std::u16string& out) {
      out = u16::FromUtf8(folder_);
      return true;
    };
    g_Debug = 1;
    LogInit();
  }
  void TearDown() override {
    std::remove((folder_ + "/cfg.ini").c_str());
    std::remove((folder_ + "/Log.txt").c_str());
    std::remove(folder_.c_str());
    plat::ResetTestHooks();
    g_Debug = 0;
    LogInit();
    ClearLayout();
  }
  void WriteCfg(const std::string& text) {
    FILE* f = std::fopen((folder_ + "/cfg.ini").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
  void Load() { ASSERT_TRUE(LoadConfig(u16::FromUtf8(folder_ + "/"))); }

  std::string folder_;
  std::vector<Box> boxes_;
  std::vector<std::u16string> log_;
};
