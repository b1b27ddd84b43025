// The program's texts: one UTF-16 slot per key of text.xml, filled once at start-up and only
// read afterwards. Code reads a slot by its key name: g_Texts.tc_title, g_Texts.tc_msg15, ...
#pragma once

#include <cstddef>
#include <string>

namespace markup {
class MarkupDoc;
}

// Every key, in loading order. One list feeds the struct, the name table and the loader, so a
// key cannot be added to one of them and forgotten in another.
#define VELKOR_TEXT_KEYS(X)                                                                  \
  X(tc_title) X(tc_mutex) X(tc_appdata) X(tc_config) X(tc_exit) X(tc_version) X(tc_restore)  \
  X(tc_ok) X(tc_cancel) X(tc_apply) X(tc_protitle) X(tc_proname) X(tc_str1) X(tc_str2)       \
  X(tc_str3) X(tc_page1) X(tc_page2) X(tc_page3) X(tc_page4) X(tc_page5) X(tc_page6)         \
  X(tc_macro_stop) X(tc_macro_start) X(tc_macro_list) X(tc_macro_key_list) X(tc_macro_auto)  \
  X(tc_macro_loop) X(tc_macro_loop1) X(tc_macro_loop2) X(tc_macro_loop3)                     \
  X(tc_macro_msg1) X(tc_macro_msg2) X(tc_macro_msg3) X(tc_macro_msg4) X(tc_macro_msg5)       \
  X(tc_macro_msg6) X(tc_macro_msg7) X(tc_macro_msg8) X(tc_macro_msg9) X(tc_macro_msg10)      \
  X(tc_macro_msg11) X(tc_macro_msg12) X(tc_macro_msg13) X(tc_macro_msg14) X(tc_macro_msg15)  \
  X(tc_macro_msg16) X(tc_macro_msg17) X(tc_macro_msg18) X(tc_macro_msg19) X(tc_macro_msg20)  \
  X(tc_macro_msg21) X(tc_macro_msg22) X(tc_macro_msg23) X(tc_macro_msg24) X(tc_msfun) X(tc_click) X(tc_menu) X(tc_middle)        \
  X(tc_forward) X(tc_back) X(tc_scrollup) X(tc_scrolldown) X(tc_mac_def) X(tc_key_off)       \
  X(tc_ms_str1) X(tc_ms_str2) X(tc_ms_str3) X(tc_ms_str4) X(tc_ms_str5) X(tc_ms_str6)        \
  X(tc_ms_str7) X(tc_ms_str8) X(tc_ms_str9) X(tc_PL) X(tc_stop) X(tc_pre_media)              \
  X(tc_next_media) X(tc_vol_up) X(tc_vol_dw) X(tc_mute) X(tc_kbmedia_stop)                   \
  X(tc_kbmedia_search) X(tc_kbmedia_mail) X(tc_kbmedia_main) X(tc_kbmedia_explore)           \
  X(tc_kbmedia_cal) X(tc_kbmedia_refresh) X(tc_kbmedia_favor) X(tc_kbmedia_msel)             \
  X(tc_combokey) X(tc_media) X(tc_combo_tips) X(tc_dpi) X(tc_dpiadd) X(tc_dpisub)            \
  X(tc_dpiloop) X(tc_three) X(tc_fire) X(tc_rgb) X(tc_snipe) X(tc_singlekey) X(tc_windows)   \
  X(tc_shift) X(tc_msg1) X(tc_msg2) X(tc_msg3) X(tc_msg4) X(tc_msg5) X(tc_msg6) X(tc_msg7)   \
  X(tc_msg8) X(tc_msg9) X(tc_msg10) X(tc_msg11) X(tc_msg12) X(tc_msg13) X(tc_msg14)          \
  X(tc_msg15) X(tc_msg16) X(tc_msg17) X(tc_msg18) X(tc_msg19) X(tc_msg20) X(tc_msg21)        \
  X(tc_msg22) X(tc_msg23) X(tc_msg24) X(tc_msg25) X(tc_msg26) X(tc_msg27) X(tc_msg28)        \
  X(tc_msg29) X(tc_msg30) X(tc_msg31) X(tc_msg32) X(tc_msg33) X(tc_msg34) X(tc_msg35)        \
  X(tc_msg36) X(tc_led_mode1) X(tc_led_mode2) X(tc_led_mode3) X(tc_led_mode4)                \
  X(tc_led_mode5) X(tc_led_mode6) X(tc_led_mode7) X(tc_led_mode8) X(tc_adv_str1)             \
  X(tc_adv_str2) X(tc_adv_str3) X(tc_adv_str4) X(tc_adv_str5) X(tc_adv_str6) X(tc_adv_str7)  \
  X(tc_adv_str8) X(tc_adv_str9) X(tc_adv_str10) X(tc_adv_str11) X(tc_adv_str12)              \
  X(tc_adv_str13) X(tc_adv_str14) X(tc_adv_str15) X(tc_adv_str16) X(tc_adv_str17)            \
  X(tc_adv_str18) X(tc_adv_str19) X(tc_profile_export) X(tc_profile_import)                \
  X(tc_profile_link) X(tc_profile_unlink) X(tc_profile_linked) X(tc_profile_programs)

struct TextSlots {
#define VELKOR_TEXT_SLOT_FIELD(name) std::u16string name;
  VELKOR_TEXT_KEYS(VELKOR_TEXT_SLOT_FIELD)
#undef VELKOR_TEXT_SLOT_FIELD
};

// The process-wide texts; every slot is empty until LoadTextTable runs.
extern TextSlots g_Texts;

// Number of keys (172).
extern const size_t kTextKeyCount;

// Loads text.xml at `path` and fills every slot in loading order. Slots the file cannot give
// (missing file, no config element, missing or empty key) are empty. Returns whether the file
// could be read at all; start-up goes on either way.
bool LoadTextTable(const std::u16string& path);

// Same, from bytes already in memory (tests, fuzzing).
bool LoadTextTableFromBytes(const void* data, size_t size);

// Fills every slot from a document already loaded and parsed (one that could not be loaded
// holds no elements, so every slot comes out empty). Lets a caller that also inspects the
// document parse it once.
void FillTextTable(const markup::MarkupDoc& doc);

// Empties every slot.
void ClearTextTable();

// The key name of slot `index` in loading order, or nullptr past the end.
const char* TextKeyName(size_t index);

// The slot of a key by its exact (case-sensitive) name, or nullptr when there is no such key.
const std::u16string* FindTextSlot(const char* name);
