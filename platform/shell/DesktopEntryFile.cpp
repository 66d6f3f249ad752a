#include "platform/DesktopEntry.h"

#include "platform/Process.h"
#include "platform/Utf.h"
#include "platform/WinError.h"

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

namespace platform
{
namespace
{
constexpr std::wstring_view kReserved = L" \t\n\"'\\><~|&;$*?#()`";

// GLib looks for the program of Exec= before it turns "%%" back into "%", so it would not find
// a program whose path holds a "%"; such a program is started through sh, which GLib finds.
std::string ExecLine(const std::wstring& program)
{
    if (program.find(L'%') == std::wstring::npos)
        return QuoteExecArgument(program);
    std::string line;
    for (const std::wstring& argument :
         {std::wstring(L"/bin/sh"), std::wstring(L"-c"), std::wstring(L"exec \"$0\""), program})
        line += (line.empty() ? "" : " ") + QuoteExecArgument(argument);
    return line;
}

void AppendLine(std::string& text, const char* key, const std::wstring& value)
{
    if (!value.empty())
        text += std::string(key) + "=" + EscapeDesktopString(value) + "\n";
}
} // namespace

std::string EscapeDesktopString(std::wstring_view value)
{
    std::wstring escaped;
    for (std::size_t i = 0; i < value.size(); ++i)
    {
        const wchar_t c = value[i];
        if (c == L'\\')
            escaped += L"\\\\";
        else if (c == L'\n')
            escaped += L"\\n";
        else if (c == L'\t')
            escaped += L"\\t";
        else if (c == L'\r')
            escaped += L"\\r";
        else if (c == L' ' && i == 0)
            escaped += L"\\s";
        else if (c < 0x20 || c == 0x7F)
            continue; // no other control character can stand in a value
        else
            escaped += c;
    }
    return ToUtf8(escaped);
}

std::string QuoteExecArgument(std::wstring_view argument)
{
    std::wstring text;
    for (wchar_t c : argument)
        text += c == L'%' ? std::wstring(L"%%") : std::wstring(1, c);
    if (text.find_first_of(kReserved) == std::wstring::npos)
        return ToUtf8(text);
    std::wstring quoted = L"\"";
    for (wchar_t c : text)
    {
        if (c == L'"' || c == L'`' || c == L'$' || c == L'\\')
            quoted += L'\\';
        quoted += c;
    }
    quoted += L'"';
    return ToUtf8(quoted);
}

std::string DesktopEntryText(const DesktopEntry& entry)
{
    std::string text = "[Desktop Entry]\nType=Application\nVersion=1.0\n";
    AppendLine(text, "Name", entry.name);
    AppendLine(text, "Comment", entry.comment);
    // The quoted arguments are a string value too: their backslashes are escaped once more.
    text += "Exec=" + EscapeDesktopString(FromUtf8(ExecLine(entry.program))) + "\n";
    AppendLine(text, "Path", entry.workingDir);
    AppendLine(text, "Icon", entry.icon);
    text += "Terminal=false\n";
    return text;
}

bool WriteDesktopEntry(const std::wstring& path, const DesktopEntry& entry, bool executable)
{
    const std::string target = ToUtf8(path);
    const std::string temporary = target + ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << DesktopEntryText(entry);
        out.flush();
        if (!out)
        {
            ::unlink(temporary.c_str());
            SetLastError(ERROR_ACCESS_DENIED);
            return false;
        }
    }
    ::chmod(temporary.c_str(), executable ? 0755 : 0644);
    if (::rename(temporary.c_str(), target.c_str()) != 0)
    {
        ::unlink(temporary.c_str());
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    return true;
}

void MarkDesktopEntryTrusted(const std::wstring& path)
{
    std::wstring commandLine = BuildCommandLine({L"gio", L"set", path, L"metadata::trusted", L"true"});
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                       nullptr, &startup, &info))
    {
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
}
} // namespace platform
