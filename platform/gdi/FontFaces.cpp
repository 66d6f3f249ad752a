#include "platform/gdi/FontFaces.h"

#include "platform/Utf.h"

#include <fontconfig/fontconfig.h>
#include <strings.h>

namespace platform
{
namespace
{
// In order of preference; the first is what fonts-wqy-microhei installs.
constexpr const char* kCjkSansFamilies[] = {"WenQuanYi Micro Hei", "Noto Sans CJK SC", "Source Han Sans SC",
                                            "Droid Sans Fallback"};

bool FontSetHasFamily(const FcFontSet* set, const std::string& family)
{
    for (int i = 0; set != nullptr && i < set->nfont; ++i)
    {
        FcChar8* name = nullptr;
        for (int n = 0; FcPatternGetString(set->fonts[i], FC_FAMILY, n, &name) == FcResultMatch; ++n)
        {
            if (strcasecmp(reinterpret_cast<const char*>(name), family.c_str()) == 0)
                return true;
        }
    }
    return false;
}
} // namespace

FontFaces& FontFaces::Instance()
{
    static FontFaces* const instance = new FontFaces;
    return *instance;
}

bool FontFaces::IsInstalled(const std::string& family)
{
    // FcFontList applies no aliases, so only a real font of that family answers.
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* set = FcFontList(nullptr, pattern, objects);
    const bool found = FontSetHasFamily(set, family);
    if (set != nullptr)
        FcFontSetDestroy(set);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return found;
}

const std::string& FontFaces::CjkSans()
{
    std::lock_guard lock(m_lock);
    if (m_cjkSans.empty())
    {
        m_cjkSans = "sans-serif";
        for (const char* family : kCjkSansFamilies)
        {
            if (IsInstalled(family))
            {
                m_cjkSans = family;
                break;
            }
        }
    }
    return m_cjkSans;
}

std::string FontFaces::FamilyList(const std::wstring& face)
{
    const std::string& cjk = CjkSans();
    std::lock_guard lock(m_lock);
    auto it = m_families.find(face);
    if (it != m_families.end())
        return it->second;
    std::string family = ToDisplayUtf8(face);
    // A comma would split pango's family list; such a face cannot be installed anyway.
    const bool usable = !family.empty() && family.find(',') == std::string::npos && IsInstalled(family);
    std::string list = usable && family != cjk ? family + "," + cjk : cjk;
    m_families.emplace(face, list);
    return list;
}
} // namespace platform
