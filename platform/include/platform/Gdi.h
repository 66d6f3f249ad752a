#pragma once
// The GDI subset the window framework paints with. A device context is a cairo context plus
// the little GDI state the framework relies on (selected font, text colour, background mode);
// text is laid out with pango. Windows paint through BeginPaint/EndPaint on WM_PAINT: the GTK
// backend hands them the display's cairo context, the headless backend an image surface that
// tests can read pixel by pixel.

#include "platform/Window.h"

#include <cairo.h>

#include <functional>
#include <memory>

struct PAINTSTRUCT
{
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
};
using LPPAINTSTRUCT = PAINTSTRUCT*;

constexpr LONG LF_FACESIZE = 32;
struct LOGFONTW
{
    LONG lfHeight; // < 0: character height in pixels; > 0: cell height
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight; // FW_NORMAL 400, FW_BOLD 700
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    WCHAR lfFaceName[LF_FACESIZE];
};
using LPLOGFONTW = LOGFONTW*;

struct TEXTMETRICW
{
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    WCHAR tmFirstChar;
    WCHAR tmLastChar;
    WCHAR tmDefaultChar;
    WCHAR tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
};
using LPTEXTMETRICW = TEXTMETRICW*;

constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_BOLD = 700;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// GetStockObject
constexpr int SYSTEM_FONT = 13;
constexpr int DEFAULT_GUI_FONT = 17;
// GetDeviceCaps: this layer always works at 96 dots per inch.
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;

// DrawTextW formats.
constexpr UINT DT_TOP = 0x0;
constexpr UINT DT_LEFT = 0x0;
constexpr UINT DT_CENTER = 0x1;
constexpr UINT DT_RIGHT = 0x2;
constexpr UINT DT_VCENTER = 0x4;
constexpr UINT DT_BOTTOM = 0x8;
constexpr UINT DT_WORDBREAK = 0x10;
constexpr UINT DT_SINGLELINE = 0x20;
constexpr UINT DT_EXPANDTABS = 0x40;
constexpr UINT DT_NOCLIP = 0x100;
constexpr UINT DT_CALCRECT = 0x400;
constexpr UINT DT_NOPREFIX = 0x800;
constexpr UINT DT_EDITCONTROL = 0x2000;
constexpr UINT DT_PATH_ELLIPSIS = 0x4000;
constexpr UINT DT_END_ELLIPSIS = 0x8000;
constexpr UINT DT_WORD_ELLIPSIS = 0x40000;

HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT paint);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint);
BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND hwnd, const RECT* rect);
// Paints now (sends WM_PAINT) when part of the window is invalid.
BOOL UpdateWindow(HWND hwnd);
// A device context for measuring and drawing outside WM_PAINT (an offscreen surface the size
// of the window on the headless backend).
HDC GetDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC dc);

// The face name is matched through fontconfig; a face that is not installed (the Windows UI
// faces among them) becomes an installed CJK-capable sans font, so Chinese text always renders.
HFONT CreateFontIndirectW(const LOGFONTW* font);
HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCWSTR faceName);
// DEFAULT_GUI_FONT and SYSTEM_FONT; deleting a stock object does nothing.
HGDIOBJ GetStockObject(int object);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);
int GetObjectW(HGDIOBJ object, int size, LPVOID buffer);
BOOL GetTextMetricsW(HDC dc, LPTEXTMETRICW metrics);
BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, LPSIZE size);
// Windows semantics: DT_CALCRECT measures (right and bottom set from left and top, nothing
// drawn); DT_WORDBREAK wraps at word boundaries (and between CJK characters) and lets a word
// that does not fit alone overflow the rectangle; vertical alignment needs DT_SINGLELINE;
// without DT_NOPREFIX "&x" underlines x and "&&" shows "&". Returns the height of the text
// (with DT_VCENTER or DT_BOTTOM: from the rectangle's top to the text's bottom), 0 on failure.
int DrawTextW(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format);
// The setters return the previous value (CLR_INVALID or 0 for an invalid device context).
// A new device context has black text on an opaque white background, as on Windows.
COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF GetTextColor(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF color);
int SetBkMode(HDC dc, int mode);
int GetDeviceCaps(HDC dc, int index);
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

namespace platform
{
// The cairo context behind a device context.
cairo_t* CairoOf(HDC dc);
// A device context drawing into a cairo context the caller owns (offscreen rendering, tests).
HDC CreateCairoDC(cairo_t* cr);
void DeleteCairoDC(HDC dc);

// Where a window's pixels go. BeginPaint and GetDC open a context on the window's target and
// EndPaint and ReleaseDC close it; the update region itself is kept by this layer. The headless
// target is an image surface the size of the client area; a display backend installs a factory
// of its own (before the first window paints) that hands out the display's cairo context.
class PaintTarget
{
public:
    virtual ~PaintTarget() = default;
    // A new reference to a cairo context on the client area (origin at its top left) whose size
    // is width x height; nullptr when the window cannot be drawn now.
    virtual cairo_t* Open(int width, int height) = 0;
    // Drawing through a context from Open ended: present it and drop the reference.
    virtual void Close(cairo_t* cr) = 0;
};
using PaintTargetFactory = std::function<std::unique_ptr<PaintTarget>(HWND hwnd)>;
// nullptr restores the headless target. Returns the previous factory.
PaintTargetFactory SetPaintTargetFactory(PaintTargetFactory factory);

namespace headless
{
// The window's pixels as last painted on the headless backend (ARGB32, window size), or null.
// The surface belongs to the window.
cairo_surface_t* WindowSurface(HWND hwnd);
} // namespace headless
} // namespace platform
