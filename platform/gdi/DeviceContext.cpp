#include "platform/gdi/DeviceContext.h"

#include "platform/gdi/PangoText.h"

#include <mutex>
#include <unordered_map>

namespace platform
{
namespace
{
std::mutex g_lock;
std::unordered_map<HDC, std::unique_ptr<DeviceContext>>& Table()
{
    static auto* const table = new std::unordered_map<HDC, std::unique_ptr<DeviceContext>>;
    return *table;
}
} // namespace

DeviceContext::DeviceContext(cairo_t* cr, HFONT font, FontPtr fontObject)
    : m_cr(cairo_reference(cr)), m_fontHandle(font), m_font(std::move(fontObject)),
      m_textContext(NewTextContext()), m_layout(pango_layout_new(m_textContext.get()))
{
}

DeviceContext::~DeviceContext() = default;

HDC DeviceContext::Register(std::unique_ptr<DeviceContext> dc)
{
    const HDC handle = reinterpret_cast<HDC>(dc.get());
    std::lock_guard lock(g_lock);
    Table().emplace(handle, std::move(dc));
    return handle;
}

DeviceContext* DeviceContext::From(HDC dc)
{
    std::lock_guard lock(g_lock);
    auto it = Table().find(dc);
    return it == Table().end() ? nullptr : it->second.get();
}

std::unique_ptr<DeviceContext> DeviceContext::Unregister(HDC dc)
{
    std::lock_guard lock(g_lock);
    auto node = Table().extract(dc);
    return node.empty() ? nullptr : std::move(node.mapped());
}

HFONT DeviceContext::SelectFont(HFONT handle, FontPtr font)
{
    const HFONT previous = m_fontHandle;
    m_fontHandle = handle;
    m_font = std::move(font);
    return previous;
}

PangoLayout* DeviceContext::FreshLayout()
{
    pango_cairo_update_layout(m_cr.get(), m_layout.get());
    pango_layout_set_font_description(m_layout.get(), m_font->Description());
    pango_layout_set_attributes(m_layout.get(), nullptr);
    pango_layout_set_tabs(m_layout.get(), nullptr);
    pango_layout_set_width(m_layout.get(), -1);
    pango_layout_set_height(m_layout.get(), -1);
    pango_layout_set_ellipsize(m_layout.get(), PANGO_ELLIPSIZE_NONE);
    pango_layout_set_wrap(m_layout.get(), PANGO_WRAP_WORD);
    pango_layout_set_alignment(m_layout.get(), PANGO_ALIGN_LEFT);
    pango_layout_set_single_paragraph_mode(m_layout.get(), FALSE);
    return m_layout.get();
}
} // namespace platform
