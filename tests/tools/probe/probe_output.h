#pragma once
// Text the probe prints: UTF-8, one record a line, JSON where a record has fields.

#include <windows.h>

#include <string>

namespace probe {

std::string Utf8(const wchar_t* text, int length = -1);
std::string JsonString(const std::string& utf8);
void PrintLine(const std::string& line);

}  // namespace probe
