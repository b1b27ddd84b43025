// A scratch library for the macro library and editor tests: the application-data folder in a
// temporary folder, .mck files written and read back, a clock that never waits, and a user who
// answers from a script and whose every message is kept.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "config/settings.h"
#include "config/text_table.h"
#include "macro/macro_library.h"
#include "macro/macro_record.h"
#include "macro/macro_ui.h"
#include "platform/platform.h"
#include "platform/u16.h"
#include "profile/profile.h"
#include "unit/temp_folder.h"

class ScriptedUi : public MacroUi {
 public:
  std::deque<std::u16string> texts;    // answers to AskText, in order; none left: Cancel
  std::deque<uint32_t> numbers;        // answers to AskNumber
  std::deque<CapturedKey> keys;        // answers to AskKey
  std::deque<std::u16string> paths;    // answers to the file and folder dialogs
  bool confirm = true;
  std::vector<std::u16string> shown;   // every message, in order
  std::u16string proposedFile;         // what the save dialog was offered

  void ShowMessage(const std::u16string& text) override { shown.push_back(text); }
  bool Confirm(const std::u16string& text) override {
    shown.push_back(text);
    return confirm;
  }
  bool AskText(const std::u16string&, std::u16string* text) override { return Take(texts, text); }
  bool AskNumber(const std::u16string&, uint32_t* value) override { return Take(numbers, value); }
  bool AskKey(const std::u16string&, CapturedKey* key) override { return Take(keys, key); }
  bool AskSavePath(const std::u16string& fileName, std::u16string* path) override {
    proposedFile = fileName;
    return Take(paths, path);
  }
  bool AskOpenPath(std::u16string* path) override { return Take(paths, path); }
  bool ChooseFolder(std::u16string* path) override { return Take(paths, path); }
  void SetBusy(bool on) override { busy.push_back(on); }
  std::vector<bool> busy;              // every change of the wait cursor

 private:
  template <typename T>
  static bool Take(std::deque<T>& queue, T* out) {
    if (queue.empty()) return false;
    *out = queue.front();
    queue.pop_front();
    return true;
  }
};

class LibraryFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::ResetTestHooks();
    plat::TestHooks().sleep = [](uint32_t) {};
    plat::TestHooks().localTime = [this] {
      plat::LocalTime t;
      const int n = clock_++;
      t.hour = 9;
      t.minute = static_cast<uint16_t>((n / 256) % 60);
      t.second = static_cast<uint16_t>((n / 256 / 60) % 60);
      t.milliseconds = static_cast<uint16_t>(n % 256);
      return t;
    };
    plat::TestHooks().messageBox = [this](const std::u16string& text, const std::u16string&, uint32_t) {
      ui_.shown.push_back(text);
      return plat::kIdOk;
    };
    MacroList.RemoveAll();
    ForgetKnownMacroFiles();  // what earlier tests' scans learnt of their own folders
    ForgetIssuedIds();
    std::memset(&g_Settings, 0, sizeof g_Settings);
    g_Settings.MacroDir = 1;
    g_Texts.tc_macro_msg8 = u"taken";
    g_Texts.tc_macro_msg23 = u"bad name";
    g_Texts.tc_macro_msg24 = u"into itself";
    g_Texts.tc_macro_msg1 = u"select a macro";
    g_Texts.tc_macro_msg17 = u"recording";
    g_Texts.tc_msg6 = u"delete?";
  }
  void TearDown() override {
    MacroList.RemoveAll();
    ClearTextTable();
    plat::ResetTestHooks();
  }

  static StMacro Record(uint32_t id, const char16_t* name = u"m") {
    StMacro m;
    std::memset(&m, 0, sizeof m);
    m.dwMagicNumber = kMacroMagic;
    m.dwMacroId = id;
    m.bAutoDelay = 1;
    m.wLoopCount = 1;
    u16::CopyTruncated(m.szName, kMacroNameUnits, name);
    return m;
  }
  void WriteMacro(const std::string& rel, const StMacro& m) {
    std::vector<uint8_t> bytes(kMacroRecordBytes);
    EncodeMacroBytes(m, bytes.data());
    tmp_.Write(rel, bytes);
  }
  void WriteMacro(const std::string& rel, uint32_t id) { WriteMacro(rel, Record(id)); }
  // The record in a file, or one with magic 0 when the file is missing or short.
  StMacro ReadMacro(const std::string& rel) {
    std::vector<uint8_t> bytes = tmp_.Read(rel);
    StMacro m;
    std::memset(&m, 0, sizeof m);
    if (bytes.size() >= kMacroRecordBytes) DecodeMacroBytes(bytes.data(), &m);
    return m;
  }
  bool Exists(const std::string& rel) { return plat::PathExists(tmp_.U16Path(rel)); }
  // The application-data folder, ending in a separator as the real one does.
  std::u16string AppData() { return tmp_.U16Path() + u"/"; }
  static std::u16string Text(const StMacro& m) {
    return std::u16string(m.szName, u16::BoundedLength(m.szName, kMacroNameUnits));
  }

  TempFolder tmp_{"velkor-library"};
  ScriptedUi ui_;
  int clock_ = 0;
};
