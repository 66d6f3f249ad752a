#pragma once
// One image markup parsed: "file='a.png' source='l,t,r,b' dest='l,t,r,b' corner='l,t,r,b'
// fade='255' hole='false' xtiled='false' ytiled='false'", or a bare file name.

#include "ui/DuiString.h"

#include "platform/WinTypes.h"

namespace DuiLib
{
class TDrawInfo
{
public:
    // False when the markup names no file.
    bool Parse(LPCTSTR pStrImage, LPCTSTR pStrModify = nullptr);

    CDuiString sImageName;
    RECT rcSource{};  // empty: the whole image
    RECT rcDest{};    // empty: the control's rectangle; else offsets from its top-left
    RECT rcCorner{};  // nine-patch borders kept unscaled
    BYTE uFade = 255; // overall alpha
    bool bHole = false;
    bool bTiledX = false;
    bool bTiledY = false;

private:
    void ParseMarkup(LPCTSTR pStrImage);
};
} // namespace DuiLib
