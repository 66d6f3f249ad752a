// Fonts and default attributes from the skin. Font ids are the skin's own; an unknown id falls
// back to the default font, so a control never paints without one. Fonts live as long as the
// manager: controls keep the handles.

#include "ui/PaintManagerParts.h"

#include "platform/Gdi.h"
#include "platform/Text.h"

namespace DuiLib
{
namespace
{
TFontInfo MakeFont(LPCTSTR face, int size, bool bold, bool underline, bool italic)
{
    LOGFONTW lf{};
    lstrcpynW(lf.lfFaceName, face ? face : L"", LF_FACESIZE);
    lf.lfHeight = -size;
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfUnderline = underline ? 1 : 0;
    lf.lfItalic = italic ? 1 : 0;
    lf.lfCharSet = DEFAULT_CHARSET;
    TFontInfo info;
    info.hFont = ::CreateFontIndirectW(&lf);
    info.sFontName = face;
    info.iSize = size;
    info.bBold = bold;
    info.bUnderline = underline;
    info.bItalic = italic;
    return info;
}

void FreeFont(TFontInfo& info)
{
    if (info.hFont)
        ::DeleteObject(reinterpret_cast<HGDIOBJ>(info.hFont));
    info.hFont = nullptr;
}
} // namespace

HFONT CPaintManagerUI::AddFont(int id, LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline,
                               bool bItalic, bool isDefault)
{
    TFontInfo info = MakeFont(pStrFontName, nSize, bBold, bUnderline, bItalic);
    auto found = m_fonts.find(id);
    if (found != m_fonts.end())
        FreeFont(found->second);
    m_fonts[id] = info;
    if (isDefault)
    {
        FreeFont(m_defaultFont);
        m_defaultFont = MakeFont(pStrFontName, nSize, bBold, bUnderline, bItalic);
    }
    return info.hFont;
}

const TFontInfo* CPaintManagerUI::GetDefaultFontInfo()
{
    if (m_defaultFont.hFont == nullptr)
        m_defaultFont = MakeFont(L"Microsoft YaHei", 12, false, false, false);
    return &m_defaultFont;
}

HFONT CPaintManagerUI::GetFont(int id)
{
    const TFontInfo* info = GetFontInfo(id);
    return info ? info->hFont : GetDefaultFontInfo()->hFont;
}

const TFontInfo* CPaintManagerUI::GetFontInfo(int id)
{
    const auto found = m_fonts.find(id);
    return found == m_fonts.end() ? nullptr : &found->second;
}

HFONT CPaintManagerUI::GetFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic)
{
    for (const TFontInfo& info : m_styledFonts)
    {
        if (info.sFontName == pStrFontName && info.iSize == nSize && info.bBold == bBold &&
            info.bUnderline == bUnderline && info.bItalic == bItalic)
            return info.hFont;
    }
    m_styledFonts.push_back(MakeFont(pStrFontName, nSize, bBold, bUnderline, bItalic));
    return m_styledFonts.back().hFont;
}

void CPaintManagerUI::ReleaseFonts()
{
    for (auto& [id, info] : m_fonts)
        FreeFont(info);
    for (TFontInfo& info : m_styledFonts)
        FreeFont(info);
    FreeFont(m_defaultFont);
    m_fonts.clear();
    m_styledFonts.clear();
}

void CPaintManagerUI::AddDefaultAttributeList(LPCTSTR pStrControlName, LPCTSTR pStrControlAttrList)
{
    m_defaultAttrs[LowerCase(pStrControlName)] = pStrControlAttrList;
}

LPCTSTR CPaintManagerUI::GetDefaultAttributeList(LPCTSTR pStrControlName) const
{
    const auto found = m_defaultAttrs.find(LowerCase(pStrControlName));
    return found == m_defaultAttrs.end() ? nullptr : found->second.GetData();
}
} // namespace DuiLib
