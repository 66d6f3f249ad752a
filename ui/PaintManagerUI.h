#pragma once
// One per window: owns the control tree, turns window messages into control events and
// notifications, paints the tree double buffered, and keeps the window's fonts, images,
// timers, option groups and skin settings. The process-wide skin source (resource path or zip)
// is shared by every manager.

#include "ui/ControlUI.h"

#include "platform/Owned.h"

#include <cairo.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace DuiLib
{
class CToolTipWnd;

struct TFontInfo
{
    HFONT hFont = nullptr;
    CDuiString sFontName;
    int iSize = 0;
    bool bBold = false;
    bool bUnderline = false;
    bool bItalic = false;
};

struct TImageInfo
{
    cairo_surface_t* surface = nullptr; // premultiplied ARGB32
    int nX = 0;
    int nY = 0;
    bool bAlpha = true;
    // For a picture of the disk: what its file was when it was read (size, change time, inode),
    // so that a file written again under the same name is read again.
    std::string fileStamp;
};

class CPaintManagerUI
{
public:
    CPaintManagerUI();
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;
    ~CPaintManagerUI();

    void Init(HWND hWnd);
    HWND GetPaintWindow() const { return m_hWndPaint; }
    // A device context for measuring text (the window's, else an offscreen one).
    HDC GetPaintDC();

    // ---- Process-wide skin source ----
    static void SetInstance(HINSTANCE hInst);
    static HINSTANCE GetInstance();
    static CDuiString GetInstancePath();
    static void SetResourcePath(LPCTSTR pStrPath);
    static const CDuiString& GetResourcePath();
    // A zip file under the resource path (or an absolute path); empty: read from the folder.
    static bool SetResourceZip(LPCTSTR pstrZip, bool bCachedResourceZip = false);
    // A zip held in memory (the skin embedded in the program); the bytes are copied.
    static bool SetResourceZip(LPCVOID pVoid, unsigned int len);
    static const CDuiString& GetResourceZip();
    static bool IsResourceZipSet();
    // Reads a skin file: from the zip when one is set, else from the resource path.
    static bool LoadResourceFile(LPCTSTR pstrName, std::vector<BYTE>& data);
    static void MessageLoop();
    // Runs the pre-translation hooks of the window's manager; true when one consumed msg.
    static bool TranslateMessage(const LPMSG pMsg);

    // ---- Window settings from the skin ----
    SIZE GetInitSize() const { return m_szInitWindowSize; }
    void SetInitSize(int cx, int cy);
    RECT& GetSizeBox() { return m_rcSizeBox; }
    void SetSizeBox(RECT& rcSizeBox) { m_rcSizeBox = rcSizeBox; }
    RECT& GetCaptionRect() { return m_rcCaption; }
    void SetCaptionRect(RECT& rcCaption) { m_rcCaption = rcCaption; }
    SIZE GetRoundCorner() const { return m_szRoundCorner; }
    void SetRoundCorner(int cx, int cy) { m_szRoundCorner = SIZE{cx, cy}; }
    SIZE GetMinInfo() const { return m_szMinWindow; }
    void SetMinInfo(int cx, int cy) { m_szMinWindow = SIZE{cx, cy}; }
    SIZE GetMaxInfo() const { return m_szMaxWindow; }
    void SetMaxInfo(int cx, int cy) { m_szMaxWindow = SIZE{cx, cy}; }
    // Layered opacity, 0-255, handed to the window (made WS_EX_LAYERED when below 255). A
    // compositor makes the window translucent; without one an X11 window cannot be see-through,
    // so the frame stays opaque and a fade simply ends when the window closes.
    BYTE GetOpacity() const { return m_nOpacity; }
    void SetOpacity(BYTE nOpacity);
    bool IsLayered() const { return m_bLayered; }
    void SetLayered(bool bLayered) { m_bLayered = bLayered; }

    // ---- Fonts, colours, default attributes ----
    // Adds font id; isDefault also makes it the default font. Returns the font handle.
    HFONT AddFont(int id, LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic,
                  bool isDefault = false);
    // The font of id, else the default font.
    HFONT GetFont(int id);
    // A font with the given face and style (kept until the manager ends).
    HFONT GetFont(LPCTSTR pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic);
    const TFontInfo* GetFontInfo(int id);
    const TFontInfo* GetDefaultFontInfo();
    DWORD GetDefaultFontColor() const { return m_dwDefaultFontColor; }
    void SetDefaultFontColor(DWORD dwColor) { m_dwDefaultFontColor = dwColor; }
    DWORD GetDefaultDisabledColor() const { return m_dwDefaultDisabledColor; }
    void SetDefaultDisabledColor(DWORD dwColor) { m_dwDefaultDisabledColor = dwColor; }
    void AddDefaultAttributeList(LPCTSTR pStrControlName, LPCTSTR pStrControlAttrList);
    LPCTSTR GetDefaultAttributeList(LPCTSTR pStrControlName) const;

    // ---- Images ----
    // Decoded once per manager; null when the file is missing or not a PNG.
    const TImageInfo* GetImageEx(LPCTSTR bitmap);
    void RemoveAllImages();

    // ---- Controls ----
    bool AttachDialog(CControlUI* pControl);
    bool InitControls(CControlUI* pControl, CControlUI* pParent = nullptr);
    // Forgets every reference to a control that is going away (hover, capture, focus, timers,
    // queued notifications, option groups).
    void ReapObjects(CControlUI* pControl);
    // Deletes a removed control once the current message is done.
    void AddDelayedCleanup(CControlUI* pControl);
    CControlUI* GetRoot() const { return m_pRoot; }
    // Lets go of the tree without deleting it (its owner keeps it) and returns it.
    CControlUI* DetachRoot();
    CControlUI* FindControl(POINT pt) const;
    CControlUI* FindControl(LPCTSTR pstrName) const;
    CControlUI* FindSubControlByPoint(CControlUI* pParent, POINT pt) const;
    CControlUI* FindSubControlByName(CControlUI* pParent, LPCTSTR pstrName) const;

    bool AddOptionGroup(LPCTSTR pStrGroupName, CControlUI* pControl);
    const std::vector<CControlUI*>* GetOptionGroup(LPCTSTR pStrGroupName);
    void RemoveOptionGroup(LPCTSTR pStrGroupName, CControlUI* pControl);

    CControlUI* GetFocus() const { return m_pFocus; }
    void SetFocus(CControlUI* pControl);
    // Moves the focus to the next (or previous) control that takes the keyboard.
    bool SetNextTabControl(bool bForward = true);
    // The window holds the mouse capture while a control is pressed, so that a drag that
    // leaves the window still ends in the control.
    void SetCapture();
    void ReleaseCapture();
    bool IsCaptured() const { return m_bMouseCapture; }
    POINT GetMousePos() const { return m_ptLastMousePos; }

    // Per-control timers, delivered as UIEVENT_TIMER with the control's own id in wParam.
    // A control that had a mouse leave too early (the pointer still over its busy part) asks
    // for another: it gets one at the next move that is not over it, or when the pointer has
    // left the window, until it removes itself.
    void AddMouseLeaveNeeded(CControlUI* pControl);
    void RemoveMouseLeaveNeeded(CControlUI* pControl);
    bool SetTimer(CControlUI* pControl, UINT nTimerID, UINT uElapse);
    bool KillTimer(CControlUI* pControl, UINT nTimerID);
    void KillTimer(CControlUI* pControl);
    void RemoveAllTimers();

    void Invalidate();
    void Invalidate(const RECT& rcItem);
    void NeedUpdate() { m_bUpdateNeeded = true; }
    // Lays the tree out now when something changed.
    void UpdateLayout();
    // Paints the control tree and the overlays into a surface of the client size (what WM_PAINT
    // shows).
    void RenderTo(cairo_t* cr, const RECT& rcPaint);

    // ---- Notifications and filters ----
    bool AddNotifier(INotifyUI* pControl);
    bool RemoveNotifier(INotifyUI* pControl);
    void SendNotify(TNotifyUI& Msg, bool bAsync = false);
    void SendNotify(CControlUI* pControl, LPCTSTR pstrMessage, WPARAM wParam = 0, LPARAM lParam = 0,
                    bool bAsync = false);
    bool AddMessageFilter(IMessageFilterUI* pFilter);
    bool RemoveMessageFilter(IMessageFilterUI* pFilter);
    bool AddPreMessageFilter(IMessageFilterUI* pFilter);
    bool RemovePreMessageFilter(IMessageFilterUI* pFilter);
    // Drawn in the order added, after the controls, wherever the window repaints.
    bool AddPaintOverlay(IPaintOverlayUI* pOverlay);
    bool RemovePaintOverlay(IPaintOverlayUI* pOverlay);
    // The manager painting hWnd, else null.
    static CPaintManagerUI* FromWindow(HWND hWnd);

    bool MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
    bool PreMessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);

private:
    struct TimerInfo;
    bool HandleMouseMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    bool HandleKeyMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    void OnMouseMove(POINT pt, WPARAM wParam);
    void OnButtonDown(UINT uMsg, POINT pt, WPARAM wParam);
    void OnButtonUp(POINT pt, WPARAM wParam);
    void OnCaptureChanged(LPARAM lParam);
    bool OnSetCursor(LPARAM lParam);
    // Asks the window for one WM_MOUSELEAVE (and WM_MOUSEHOVER) while the pointer is over it.
    void TrackMouse();
    void ApplyOpacity();
    void OnMouseWheel(WPARAM wParam, LPARAM lParam);
    void OnPaint();
    void PaintOverlays(cairo_t* cr);
    void OnTimer(WPARAM wParam);
    void OnNcDestroy();
    void FlushAsyncNotify();
    void FlushDelayedCleanup();
    void DispatchEvent(CControlUI* pControl, int type, POINT pt, WPARAM wParam, LPARAM lParam = 0,
                       TCHAR chKey = 0);
    void SetHover(CControlUI* pNewHover, POINT pt, WPARAM wParam);
    void ShowToolTip(POINT pt);
    void HideToolTip();
    void SendNeededMouseLeaves(POINT pt, WPARAM wParam);
    void ReleaseFonts();

    HWND m_hWndPaint = nullptr;
    HDC m_hDcPaint = nullptr;
    platform::CairoSurfacePtr m_measureSurface;
    platform::CairoPtr m_measureCairo;
    platform::CairoSurfacePtr m_offscreen;
    CControlUI* m_pRoot = nullptr;
    CControlUI* m_pFocus = nullptr;
    CControlUI* m_pEventHover = nullptr;
    std::vector<CControlUI*> m_mouseLeaveNeeded;
    CControlUI* m_pEventClick = nullptr;
    POINT m_ptLastMousePos{-1, -1};
    bool m_bMouseCapture = false;
    bool m_bMouseTracking = false;
    // Shift+Tab moves the focus backwards; the key state is kept from the key messages.
    bool m_bShiftDown = false;
    bool m_bUpdateNeeded = true;
    bool m_bFirstLayout = true;
    bool m_bLayered = false;
    BYTE m_nOpacity = 255;
    SIZE m_szInitWindowSize{};
    SIZE m_szMinWindow{};
    SIZE m_szMaxWindow{};
    SIZE m_szRoundCorner{};
    RECT m_rcSizeBox{};
    RECT m_rcCaption{};
    DWORD m_dwDefaultFontColor = 0xFF000000;
    DWORD m_dwDefaultDisabledColor = 0xFFA7A6AA;
    std::map<int, TFontInfo> m_fonts;
    TFontInfo m_defaultFont;
    std::vector<TFontInfo> m_styledFonts;
    std::map<CDuiString, CDuiString> m_defaultAttrs; // by lower-case control class
    std::map<CDuiString, TImageInfo> m_images;
    std::map<CDuiString, std::vector<CControlUI*>> m_optionGroups;
    std::vector<INotifyUI*> m_notifiers;
    std::vector<IMessageFilterUI*> m_messageFilters;
    std::vector<IMessageFilterUI*> m_preMessageFilters;
    std::vector<IPaintOverlayUI*> m_paintOverlays;
    std::vector<std::unique_ptr<TimerInfo>> m_timers;
    UINT_PTR m_nextTimerId = 0;
    std::vector<TNotifyUI> m_asyncNotify;
    std::vector<CControlUI*> m_delayedCleanup;
    bool m_bFlushPosted = false;
    std::unique_ptr<CToolTipWnd> m_pToolTip;
};
} // namespace DuiLib
