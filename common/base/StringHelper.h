#pragma once
// Text helpers: splitting, replacing, slash normalising and the conversions between wide
// strings, the ANSI code page and UTF-8. The ANSI code page is UTF-8 here, so WideToAnsi and
// AnsiToWide are lossless. Every conversion ends at the first zero character of its input.

#include <string>
#include <vector>

// Appends the non-empty pieces of text between any of the delimiter characters to *out
// (not cleared first) and returns how many were appended; 0 for an empty text or set.
int SplitString(std::vector<std::string>* out, const std::string& text, const std::string& delimiters);

std::string WideToAnsi(const std::wstring& text);
std::wstring AnsiToWide(const std::string& text);
std::string Utf8ToAnsi(const std::string& text);
std::string AnsiToUtf8(const std::string& text);

// Replaces every occurrence of find, continuing after each inserted replacement; an empty
// find changes nothing.
void ReplaceAll(std::wstring& text, const std::wstring& find, const std::wstring& replacement);
// Backslashes become "/" and a final "/" is ensured; an empty path is left alone.
void NormalizeSlashes(std::wstring& path);
// A name that can stand for one file in a folder: not empty, not "." or "..", no "/" and no
// control character.
bool IsPlainName(const std::wstring& name);
