#include "platform/gdi/GdiObjects.h"

#include <cwchar>

namespace platform
{
namespace
{
constexpr std::uintptr_t kHandleStep = 4;

HGDIOBJ ToHandle(std::uintptr_t value)
{
    return reinterpret_cast<HGDIOBJ>(value);
}

FontPtr StockFont(LONG height, const wchar_t* face)
{
    LOGFONTW logFont{};
    logFont.lfHeight = height;
    logFont.lfWeight = FW_NORMAL;
    logFont.lfCharSet = DEFAULT_CHARSET;
    std::wcsncpy(logFont.lfFaceName, face, LF_FACESIZE - 1);
    return std::make_shared<const FontObject>(logFont);
}
} // namespace

GdiObjects& GdiObjects::Instance()
{
    static GdiObjects* const instance = new GdiObjects;
    return *instance;
}

GdiObjects::GdiObjects()
{
    // What a Chinese Windows answers: 9 point SimSun for dialogs, the bitmap system font.
    m_guiFont = AddFontLocked(StockFont(-12, L"宋体"));
    m_systemFont = AddFontLocked(StockFont(-16, L"System"));
}

HFONT GdiObjects::AddFontLocked(FontPtr font)
{
    const std::uintptr_t value = m_next;
    m_next += kHandleStep;
    m_fonts.emplace(value, std::move(font));
    return reinterpret_cast<HFONT>(value);
}

HFONT GdiObjects::AddFont(FontPtr font)
{
    std::lock_guard lock(m_lock);
    return AddFontLocked(std::move(font));
}

FontPtr GdiObjects::Font(HGDIOBJ handle)
{
    std::lock_guard lock(m_lock);
    auto it = m_fonts.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == m_fonts.end() ? nullptr : it->second;
}

bool GdiObjects::Delete(HGDIOBJ handle)
{
    std::lock_guard lock(m_lock);
    if (handle == m_guiFont || handle == m_systemFont)
        return true;
    // A device context that still has the font selected keeps its own reference.
    return m_fonts.erase(reinterpret_cast<std::uintptr_t>(handle)) > 0;
}

HGDIOBJ GdiObjects::Stock(int object)
{
    if (object == DEFAULT_GUI_FONT)
        return m_guiFont;
    if (object == SYSTEM_FONT)
        return m_systemFont;
    return ToHandle(0);
}
} // namespace platform
