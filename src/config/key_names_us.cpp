#include "config/key_names.h"

char16_t UsLayoutChar(uint8_t vk) {
  if (vk >= 'A' && vk <= 'Z') return static_cast<char16_t>(vk - 'A' + 'a');
  if (vk >= '0' && vk <= '9') return vk;
  switch (vk) {
    case 0xBA: return u';';
    case 0xBB: return u'=';
    case 0xBC: return u',';
    case 0xBD: return u'-';
    case 0xBE: return u'.';
    case 0xBF: return u'/';
    case 0xC0: return u'`';
    case 0xDB: return u'[';
    case 0xDC: return u'\\';
    case 0xDD: return u']';
    case 0xDE: return u'\'';
    case 0xE2: return u'\\';  // the extra key left of Z on 102-key boards
    default: return 0;
  }
}

#ifndef _WIN32
// Without the system's layout calls the US layout stands in; key_names_win.cpp asks Windows.
char16_t KeyCharFromSystem(uint8_t vk) { return UsLayoutChar(vk); }
#endif
