#pragma once
// A soft drop shadow around a top-level window, drawn from a nine-patch image of the skin.
//
// With a compositor the shadow is a window of its own: a transparent, click-less popup that
// surrounds its owner by the image's corner sizes, follows the owner's moves, sizes and
// visibility, and leaves the owner's own area clear. Without a compositor (and on the headless
// backend) an opaque window around the owner would paint a dark frame instead of a shadow, so
// the shadow is drawn inside the owner instead: over its controls, a band a few pixels deep
// along its edges, taken from the darkest side of the image's border and darkest at the edge.

#include "ui/PaintManagerUI.h"

namespace DuiLib
{
class CWndShadow final : public IPaintOverlayUI
{
public:
    CWndShadow() = default;
    CWndShadow(const CWndShadow&) = delete;
    CWndShadow& operator=(const CWndShadow&) = delete;
    ~CWndShadow();

    // How deep the band drawn inside the owner reaches at most, in pixels.
    static constexpr int kInnerDepth = 6;

    // Once per process before any shadow is made; decides whether shadows get windows.
    static bool Initialize(HINSTANCE hInstance);
    // Overrides the compositor check of Initialize (tests of the shadow window itself).
    static void SetUseShadowWindow(bool bUse);
    static bool IsUsingShadowWindow();

    // Attaches the shadow to hParentWnd; false when Initialize has not run or hParentWnd is
    // not a window. Without a shadow window the band is drawn by the owner's paint manager
    // (none when the owner has no manager).
    bool Create(HWND hParentWnd);
    // The image (a skin file name), its unscaled corners, and how far inside the owner's
    // edges the clear area begins (the shadow window only).
    bool SetImage(LPCTSTR szImage, RECT rcCorner, RECT rcHoleOffset);

    HWND GetHWND() const { return m_hWnd; }
    HWND GetParentHWND() const { return m_hParent; }

private:
    static LRESULT CALLBACK ParentProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ShadowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    void OnParentMessage(UINT uMsg, WPARAM wParam);
    void Detach();
    // Places and shows (or hides) the shadow window to match the owner.
    void Follow();
    void Paint();
    RECT ShadowRect() const;
    void PaintOverlay(cairo_t* cr, const RECT& rcClient) override;
    void RepaintOwner() const;
    // Fills dest with part of the image; toPart maps dest's coordinates into part's.
    void PaintBand(cairo_t* cr, const RECT& part, const RECT& dest, const cairo_matrix_t& toPart) const;

    HWND m_hParent = nullptr;
    HWND m_hWnd = nullptr;
    WNDPROC m_parentProc = nullptr;
    CPaintManagerUI* m_pOwnerManager = nullptr;
    CDuiString m_sImage;
    TImageInfo m_image;
    RECT m_rcCorner{};
    RECT m_rcHoleOffset{};
};
} // namespace DuiLib
