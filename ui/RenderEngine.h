#pragma once
// Drawing primitives of the framework over cairo (shapes, images) and the platform's GDI text
// (pango), plus reading images and raw files from the skin.

#include "ui/DrawInfo.h"
#include "ui/PaintManagerUI.h"

#include <vector>

namespace DuiLib
{
class CRenderEngine
{
public:
    // Decodes a PNG of the skin; false when missing or unreadable. Free with FreeImage.
    static bool LoadImage(LPCTSTR bitmap, TImageInfo& image);
    static bool LoadImageFromMemory(const std::vector<BYTE>& data, TImageInfo& image);
    static void FreeImage(TImageInfo& image);
    // Reads any file of the skin (zip or folder) into memory.
    static bool LoadBuffer(LPCTSTR pstrName, std::vector<BYTE>& buffer);

    // Scales rcBmpPart of the image into rc; the corners stay unscaled (nine-patch).
    static void DrawImage(HDC hDC, const TImageInfo& image, const RECT& rc, const RECT& rcPaint,
                          const RECT& rcBmpPart, const RECT& rcCorners, BYTE uFade = 255, bool hole = false,
                          bool xtiled = false, bool ytiled = false);
    static bool DrawImageString(HDC hDC, CPaintManagerUI* pManager, const RECT& rcItem, const RECT& rcPaint,
                                LPCTSTR pStrImage, LPCTSTR pStrModify = nullptr);
    // Keeps the drawing on hDC inside rc until the matching PopClip; clips nest, each narrowing
    // the one before. False (nothing to pop) when hDC draws on no cairo context.
    static bool PushClip(HDC hDC, const RECT& rc);
    static void PopClip(HDC hDC);
    static void DrawColor(HDC hDC, const RECT& rc, DWORD color);
    static void DrawRoundColor(HDC hDC, const RECT& rc, int width, int height, DWORD color);
    static void DrawLine(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor);
    static void DrawRect(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor);
    static void DrawRoundRect(HDC hDC, const RECT& rc, int width, int height, int nSize, DWORD dwPenColor);
    // Plain text with font iFont of the manager; DT_CALCRECT measures into rc.
    static void DrawText(HDC hDC, CPaintManagerUI* pManager, RECT& rc, LPCTSTR pstrText, DWORD dwTextColor,
                         int iFont, UINT uStyle);
    // Markup text: <b>, <i>, <u>, <c #AARRGGBB>, <f id>, <n> (new line); other text is plain.
    static void DrawHtmlText(HDC hDC, CPaintManagerUI* pManager, RECT& rc, LPCTSTR pstrText,
                             DWORD dwTextColor, RECT* pLinks, CDuiString* sLinks, int& nLinkRects, int iFont,
                             UINT uStyle);
    // Measures text on the manager's paint device context.
    static SIZE GetTextSize(HDC hDC, CPaintManagerUI* pManager, LPCTSTR pstrText, int iFont, UINT uStyle);
};
} // namespace DuiLib
