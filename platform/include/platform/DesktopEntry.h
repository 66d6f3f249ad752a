#pragma once
// Shortcuts are freedesktop desktop entries (Desktop Entry Specification): an application
// entry that starts one program with no arguments. Every value is escaped as the
// specification says, and the program path in Exec= is quoted by its rules, so an install
// folder holding blanks, quotes, "%" or backslashes still starts the right program.

#include <string>
#include <string_view>

namespace platform
{
struct DesktopEntry
{
    std::wstring name;
    std::wstring program;    // absolute path of the program started
    std::wstring workingDir; // Path=, left out when empty
    std::wstring icon;       // Icon=, left out when empty
    std::wstring comment;    // Comment=, left out when empty
};

// A value of type string or localestring: "\", line breaks, tabs and a leading blank escaped.
std::string EscapeDesktopString(std::wstring_view value);
// One Exec= argument before the string escaping: "%" doubled, and quoted with `"`, "`", "$"
// and "\" escaped inside when it holds a reserved character.
std::string QuoteExecArgument(std::wstring_view argument);
// The file's text.
std::string DesktopEntryText(const DesktopEntry& entry);
// Writes the entry (replacing an existing file by rename). With executable the file gets the
// executable bits, as desktops want of launchers on the desktop. False with the last error
// set when the file cannot be written.
bool WriteDesktopEntry(const std::wstring& path, const DesktopEntry& entry, bool executable);
// Asks the desktop (gio, GNOME) to trust a launcher on the desktop; best effort, not waited for.
void MarkDesktopEntryTrusted(const std::wstring& path);
} // namespace platform
