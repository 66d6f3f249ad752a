#include "ui/DrawInfo.h"

#include "ui/AttributeParse.h"

#include <algorithm>

namespace DuiLib
{
bool TDrawInfo::Parse(LPCTSTR pStrImage, LPCTSTR pStrModify)
{
    *this = TDrawInfo();
    ParseMarkup(pStrImage);
    ParseMarkup(pStrModify);
    return !sImageName.IsEmpty();
}

void TDrawInfo::ParseMarkup(LPCTSTR pStrImage)
{
    if (pStrImage == nullptr || *pStrImage == 0)
        return;
    const auto pairs = ParseAttributeList(pStrImage);
    if (pairs.empty())
    {
        // A bare file name.
        if (CDuiString(pStrImage).Find(L'=') < 0)
            sImageName = pStrImage;
        return;
    }
    for (const auto& [name, value] : pairs)
    {
        if (name == L"file" || name == L"res")
            sImageName = value;
        else if (name == L"source")
            rcSource = ParseRect(value);
        else if (name == L"dest")
            rcDest = ParseRect(value);
        else if (name == L"corner")
            rcCorner = ParseRect(value);
        else if (name == L"fade")
            uFade = static_cast<BYTE>(std::clamp(ParseInt(value), 0, 255));
        else if (name == L"hole")
            bHole = ParseBool(value);
        else if (name == L"xtiled")
            bTiledX = ParseBool(value);
        else if (name == L"ytiled")
            bTiledY = ParseBool(value);
    }
}
} // namespace DuiLib
