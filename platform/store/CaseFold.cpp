#include "platform/store/CaseFold.h"

#include <clocale>
#include <cwctype>
#include <locale.h>

namespace platform::store
{
namespace
{
// C.UTF-8 has the full Unicode case tables; the process locale may be plain "C".
locale_t CaseLocale()
{
    static const locale_t locale = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return locale;
}

wchar_t FoldChar(wchar_t c)
{
    if (c < 0x80)
        return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - (L'a' - L'A')) : c;
    const locale_t locale = CaseLocale();
    return locale != static_cast<locale_t>(nullptr) ? static_cast<wchar_t>(::towupper_l(c, locale)) : c;
}
} // namespace

std::wstring FoldCase(std::wstring_view text)
{
    std::wstring folded(text);
    for (wchar_t& c : folded)
        c = FoldChar(c);
    return folded;
}

bool EqualNoCase(std::wstring_view a, std::wstring_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
    {
        if (a[i] != b[i] && FoldChar(a[i]) != FoldChar(b[i]))
            return false;
    }
    return true;
}
} // namespace platform::store
