#pragma once
// The program's texts are UTF-8; the Win32 W functions take UTF-16.

#include <string>

namespace vor {

std::wstring Utf16(const std::string& utf8);
std::string Utf8(const std::wstring& utf16);

}  // namespace vor
