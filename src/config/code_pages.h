// Names a document may declare for its encoding, mapped to the Windows code pages the platform
// converts from.
#pragma once

#include <cstdint>
#include <string>

namespace markup {

// The code page of an encoding name (case and blanks ignored): 936 for "GB2312" or "GBK", 1251
// for "windows-1251", 28592 for "ISO-8859-2", ... 0 for a name not known here.
uint32_t CodePageForName(const std::u16string& name);

}  // namespace markup
