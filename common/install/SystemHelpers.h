#pragma once
// What the setup program and the uninstaller ask of the system: the version code that goes into
// the statistics, the 64-bit tests, the system's name for the log, a GUID text, the MAC address
// text the machine id is made from, and a suffix test for paths.

#include "platform/Win32.h"

#include <string>

bool IsVersionOrGreater(WORD major, WORD minor, WORD servicePackMajor);
// 0 to 13 by the Windows versions; always 0 (not recognised) on this system.
int GetOSVersionCode();
int QueryOSVersionCode(unsigned* out);
bool Is64BitSystem();
// Never true: no 32-bit-on-64 layer is involved.
bool IsWow64();
// UTF-8 text of the version code ("未知系统" here).
std::string GetOSName();
std::wstring GetOSNameW();
// Case-sensitive; false when suffix is longer than text.
bool EndsWith(const std::wstring& text, const std::wstring& suffix);
// "{" + 32 upper-case hex digits + "}".
std::wstring NewGuidString();
// The same shape from the system's random source, for when no GUID could be made.
std::wstring RandomGuidText();
// The MAC text of the first physical Ethernet adapter ("aa-bb-cc-dd-ee-ff"); "unknowuser00"
// and false when there is none.
bool GetMacAddress(std::string* out);
// NetBIOS does not exist here: always false.
bool GetMacByNetbios(std::string* out);
bool GetMacByAdapters(std::string* out);
