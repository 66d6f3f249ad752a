// Command lines by the Windows rules: splitting (CommandLineToArgvW), quoting so that a split
// gives the arguments back, and this process's own command line.
#include "platform/Process.h"
#include "platform/Utf.h"
#include "platform/WinError.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>

namespace
{
bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

// The program name: quotes only group, nothing is escaped, and it ends at the first blank
// outside quotes.
std::wstring ReadProgramName(const std::wstring& text, std::size_t& pos)
{
    std::wstring name;
    bool quoted = false;
    for (; pos < text.size() && (quoted || !IsBlank(text[pos])); ++pos)
    {
        if (text[pos] == L'"')
            quoted = !quoted;
        else
            name.push_back(text[pos]);
    }
    return name;
}

// Backslashes count only before a double quote: 2n+1 of them give n and a literal quote,
// 2n give n and a quote that opens or closes. Inside quotes, "" is a literal quote.
std::wstring ReadArgument(const std::wstring& text, std::size_t& pos)
{
    std::wstring argument;
    bool quoted = false;
    while (pos < text.size() && (quoted || !IsBlank(text[pos])))
    {
        if (text[pos] == L'\\')
        {
            const std::size_t end = text.find_first_not_of(L'\\', pos);
            const std::size_t count = (end == std::wstring::npos ? text.size() : end) - pos;
            const bool beforeQuote = end != std::wstring::npos && text[end] == L'"';
            argument.append(beforeQuote ? count / 2 : count, L'\\');
            pos += count;
            if (beforeQuote && count % 2 == 1)
            {
                argument.push_back(L'"');
                ++pos;
            }
            continue;
        }
        if (text[pos] == L'"')
        {
            if (quoted && pos + 1 < text.size() && text[pos + 1] == L'"')
            {
                argument.push_back(L'"');
                pos += 2;
                continue;
            }
            quoted = !quoted;
            ++pos;
            continue;
        }
        argument.push_back(text[pos++]);
    }
    return argument;
}

std::wstring ReadOwnArguments()
{
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    const std::string raw((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::wstring> arguments;
    std::size_t start = 0;
    while (start < raw.size())
    {
        std::size_t end = raw.find('\0', start);
        if (end == std::string::npos)
            end = raw.size();
        arguments.push_back(platform::FromUtf8(std::string_view(raw).substr(start, end - start)));
        start = end + 1;
    }
    return platform::BuildCommandLine(arguments);
}
} // namespace

namespace platform
{
std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine)
{
    std::vector<std::wstring> arguments;
    if (commandLine.empty())
        return arguments;
    std::size_t pos = 0;
    arguments.push_back(ReadProgramName(commandLine, pos));
    for (;;)
    {
        while (pos < commandLine.size() && IsBlank(commandLine[pos]))
            ++pos;
        if (pos >= commandLine.size())
            return arguments;
        arguments.push_back(ReadArgument(commandLine, pos));
    }
}

std::wstring QuoteArgument(const std::wstring& argument)
{
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos)
        return argument;
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument)
    {
        if (c == L'\\')
        {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote are doubled and the quote escaped; others stay as they are.
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        quoted.push_back(c);
        backslashes = 0;
    }
    quoted.append(backslashes * 2, L'\\'); // they precede the closing quote
    quoted.push_back(L'"');
    return quoted;
}

std::wstring QuoteProgramName(const std::wstring& program)
{
    std::wstring name = program;
    std::erase(name, L'"'); // the first-argument rule has no way to write one
    if (!name.empty() && name.find_first_of(L" \t") == std::wstring::npos)
        return name;
    return L"\"" + name + L"\"";
}

std::wstring BuildCommandLine(const std::vector<std::wstring>& arguments)
{
    std::wstring line;
    for (std::size_t i = 0; i < arguments.size(); ++i)
    {
        if (i > 0)
            line.push_back(L' ');
        line += i == 0 ? QuoteProgramName(arguments[i]) : QuoteArgument(arguments[i]);
    }
    return line;
}
} // namespace platform

LPWSTR GetCommandLineW()
{
    // Windows hands out one buffer for the life of the process.
    static std::once_flag once;
    static std::wstring* commandLine = nullptr;
    std::call_once(once, [] { commandLine = new std::wstring(ReadOwnArguments()); });
    return commandLine->data();
}

LPWSTR* CommandLineToArgvW(LPCWSTR commandLine, int* numArgs)
{
    if (numArgs == nullptr)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::vector<std::wstring> arguments;
    if (commandLine == nullptr || *commandLine == 0)
    {
        wchar_t path[MAX_PATH * 16];
        const DWORD length = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
        arguments.emplace_back(path, length);
    }
    else
    {
        arguments = platform::SplitCommandLine(commandLine);
    }
    // The pointer table (null-terminated) followed by the texts, in one block.
    std::size_t bytes = (arguments.size() + 1) * sizeof(LPWSTR);
    for (const std::wstring& argument : arguments)
        bytes += (argument.size() + 1) * sizeof(wchar_t);
    auto* block = static_cast<LPWSTR*>(static_cast<void*>(LocalAlloc(LMEM_FIXED, bytes)));
    if (block == nullptr)
        return nullptr;
    auto* text = reinterpret_cast<wchar_t*>(block + arguments.size() + 1);
    for (std::size_t i = 0; i < arguments.size(); ++i)
    {
        block[i] = text;
        text = std::copy(arguments[i].begin(), arguments[i].end(), text);
        *text++ = 0;
    }
    block[arguments.size()] = nullptr;
    *numArgs = static_cast<int>(arguments.size());
    return block;
}

HLOCAL LocalAlloc(UINT flags, SIZE_T bytes)
{
    const std::size_t size = std::max<std::size_t>(bytes, 1);
    void* memory = (flags & LMEM_ZEROINIT) != 0 ? std::calloc(1, size) : std::malloc(size);
    if (memory == nullptr)
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return static_cast<HLOCAL>(memory);
}

HLOCAL LocalFree(HLOCAL memory)
{
    std::free(static_cast<void*>(memory));
    return nullptr;
}
