#include "main/FrameList.h"

#include <cwctype>

namespace
{
unsigned ReadCount(const std::wstring& text)
{
    unsigned count = 0;
    for (const wchar_t ch : text)
    {
        if (!std::iswdigit(ch))
            break;
        count = count * 10 + static_cast<unsigned>(ch - L'0');
        if (count > kMaxFrames)
            return kMaxFrames;
    }
    return count;
}
} // namespace

std::vector<DuiLib::TDrawInfo> ParseFrameList(const std::wstring& value)
{
    std::vector<DuiLib::TDrawInfo> frames;
    const size_t bar = value.find(L'|');
    if (bar == std::wstring::npos)
        return frames;
    const std::wstring pattern = value.substr(0, bar);
    const size_t mark = pattern.find(L"%d");
    const unsigned count = ReadCount(value.substr(bar + 1));
    for (unsigned i = 1; i <= count; ++i)
    {
        std::wstring name = pattern;
        if (mark != std::wstring::npos)
            name.replace(mark, 2, std::to_wstring(i));
        DuiLib::TDrawInfo frame;
        frame.Parse(name.c_str());
        frames.push_back(frame);
    }
    return frames;
}
