#pragma once
// The live GDI object handles of the process. Handles are numbers, never addresses, so a
// deleted or made-up handle is refused instead of followed.

#include "platform/gdi/FontObject.h"

#include <mutex>
#include <unordered_map>

namespace platform
{
class GdiObjects
{
public:
    static GdiObjects& Instance();

    HFONT AddFont(FontPtr font);
    // nullptr for anything that is not a live font handle.
    FontPtr Font(HGDIOBJ handle);
    // Stock objects stay; FALSE for an unknown handle.
    bool Delete(HGDIOBJ handle);
    HGDIOBJ Stock(int object);

private:
    GdiObjects();
    HFONT AddFontLocked(FontPtr font);

    std::mutex m_lock;
    std::unordered_map<std::uintptr_t, FontPtr> m_fonts;
    std::uintptr_t m_next = 0x1000;
    HGDIOBJ m_guiFont = nullptr;
    HGDIOBJ m_systemFont = nullptr;
};
} // namespace platform
