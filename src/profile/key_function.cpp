#include "profile/key_function.h"

const KeyFunctionCode kKeyFunctionCodes[] = {
    {1, 17, u"tc_click"},
    {1, 18, u"tc_middle"},
    {1, 19, u"tc_menu"},
    {1, 20, u"tc_forward"},
    {1, 21, u"tc_back"},
    {1, 23, u"tc_three"},

    {3, 33, u"tc_kbmedia_msel"},
    {3, 34, u"tc_PL"},
    {3, 35, u"tc_stop"},
    {3, 36, u"tc_pre_media"},
    {3, 37, u"tc_next_media"},
    {3, 38, u"tc_vol_up"},
    {3, 39, u"tc_vol_dw"},
    {3, 40, u"tc_mute"},
    {3, 48, u"tc_kbmedia_mail"},
    {3, 49, u"tc_kbmedia_cal"},
    {3, 50, u"tc_kbmedia_explore"},
    {3, 51, u"tc_kbmedia_search"},
    {3, 52, u"tc_kbmedia_main"},
    {3, 53, u"tc_back"},
    {3, 54, u"tc_forward"},
    {3, 55, nullptr},
    {3, 56, nullptr},
    {3, 57, u"tc_kbmedia_stop"},

    {4, 33, u"tc_kbmedia_msel"},
    {4, 34, u"tc_PL"},
    {4, 35, u"tc_stop"},
    {4, 36, u"tc_pre_media"},
    {4, 37, u"tc_next_media"},
    {4, 38, u"tc_vol_up"},
    {4, 39, u"tc_vol_dw"},
    {4, 40, u"tc_mute"},
    {4, 48, u"tc_kbmedia_mail"},
    {4, 49, u"tc_kbmedia_cal"},
    {4, 50, u"tc_kbmedia_explore"},
    {4, 51, u"tc_kbmedia_search"},
    {4, 52, u"tc_kbmedia_main"},
    {4, 53, u"tc_back"},
    {4, 54, u"tc_forward"},
    {4, 55, nullptr},
    {4, 56, nullptr},
    {4, 57, u"tc_kbmedia_stop"},

    {8, 23, u"tc_three"},
    {8, 162, u"tc_key_off"},
    {8, 164, u"tc_fire"},
    {8, 166, u"tc_snipe"},
    {8, 167, u"tc_rgb"},
    {8, 168, u"tc_dpiadd"},
    {8, 169, u"tc_dpisub"},
    {8, 170, u"tc_dpiloop"},
    {8, 171, u"tc_msg31"},
};

const size_t kKeyFunctionCodeCount = sizeof kKeyFunctionCodes / sizeof kKeyFunctionCodes[0];

bool IsKnownKeyFunction(uint8_t type, uint32_t code) {
  if (type == kKeyTypeKeyboard || type == kKeyTypeMacro) return true;
  for (const KeyFunctionCode& entry : kKeyFunctionCodes)
    if (entry.type == type && entry.code == code) return true;
  return false;
}
