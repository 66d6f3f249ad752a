#include "common/base/StringHelper.h"

#include "platform/Win32.h"

#include <algorithm>

namespace
{
// The text up to its first zero character, as the Windows conversions stop there.
template <class Char> std::basic_string_view<Char> UpToZero(const std::basic_string<Char>& text)
{
    const auto zero = text.find(Char{0});
    return std::basic_string_view<Char>(text).substr(0, zero);
}

void AppendPiece(std::vector<std::string>* out, const std::string& text, size_t begin, size_t end, int& count)
{
    if (end <= begin)
        return;
    out->push_back(text.substr(begin, end - begin));
    ++count;
}
} // namespace

int SplitString(std::vector<std::string>* out, const std::string& text, const std::string& delimiters)
{
    if (out == nullptr || text.empty() || delimiters.empty())
        return 0;
    int count = 0;
    size_t begin = 0;
    for (size_t sep = text.find_first_of(delimiters); sep != std::string::npos;
         sep = text.find_first_of(delimiters, begin))
    {
        AppendPiece(out, text, begin, sep, count);
        begin = sep + 1;
    }
    AppendPiece(out, text, begin, text.size(), count);
    return count;
}

std::string WideToAnsi(const std::wstring& text)
{
    return platform::ToUtf8(UpToZero(text));
}

std::wstring AnsiToWide(const std::string& text)
{
    return platform::FromUtf8(UpToZero(text));
}

std::string Utf8ToAnsi(const std::string& text)
{
    return WideToAnsi(platform::FromUtf8(UpToZero(text)));
}

std::string AnsiToUtf8(const std::string& text)
{
    return platform::ToUtf8(AnsiToWide(text));
}

void ReplaceAll(std::wstring& text, const std::wstring& find, const std::wstring& replacement)
{
    if (find.empty())
        return;
    for (size_t pos = text.find(find); pos != std::wstring::npos; pos = text.find(find, pos))
    {
        text.replace(pos, find.size(), replacement);
        pos += replacement.size();
    }
}

void NormalizeSlashes(std::wstring& path)
{
    if (path.empty())
        return;
    ReplaceAll(path, L"\\", L"/");
    if (path.back() != L'/')
        path += L'/';
}

bool IsPlainName(const std::wstring& name)
{
    if (name.empty() || name == L"." || name == L"..")
        return false;
    return std::none_of(name.begin(), name.end(),
                        [](wchar_t c) { return c == L'/' || c < 0x20 || c == 0x7F; });
}
