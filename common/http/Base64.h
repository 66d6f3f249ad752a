#pragma once
// Base64 (RFC 4648 alphabet, "=" padding, no line breaks) and the "info=" form body of the
// statistics reports. Byte strings in, byte strings out: code pages are the caller's business.

#include <string>

std::string Base64Encode(const unsigned char* data, int len);
// Reads at most len characters and stops early at a zero character. Characters outside the
// alphabet are skipped; a lone "=" after the first character of a group yields "".
std::string Base64Decode(const char* text, int len);
std::string MakeInfoParam(const std::string& payload);
