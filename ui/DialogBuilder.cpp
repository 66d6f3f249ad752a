#include "ui/DialogBuilder.h"

#include "ui/AttributeParse.h"
#include "ui/ContainerUI.h"
#include "ui/ControlFactory.h"
#include "ui/PaintManagerUI.h"

#include "platform/Utf.h"

#include <cstring>

namespace DuiLib
{
namespace
{
// Includes of includes stop here, so that a skin including itself cannot recurse forever.
constexpr int kMaxIncludeDepth = 8;

CDuiString Wide(const char* text)
{
    return CDuiString(platform::FromUtf8(text ? text : ""));
}

bool IsResourceTag(const char* tag)
{
    return std::strcmp(tag, "Window") == 0 || std::strcmp(tag, "Font") == 0 ||
           std::strcmp(tag, "Default") == 0 || std::strcmp(tag, "Image") == 0 ||
           std::strcmp(tag, "Style") == 0;
}

void ApplyFont(pugi::xml_node font, int fallbackId, CPaintManagerUI* pManager)
{
    const int id = font.attribute("id") ? font.attribute("id").as_int() : fallbackId;
    pManager->AddFont(id, Wide(font.attribute("name").as_string()), font.attribute("size").as_int(12),
                      font.attribute("bold").as_bool(), font.attribute("underline").as_bool(),
                      font.attribute("italic").as_bool(), font.attribute("default").as_bool());
}
} // namespace

CControlUI* CDialogBuilder::Create(LPCTSTR xml, LPCTSTR, IDialogBuilderCallback* pCallback,
                                   CPaintManagerUI* pManager, CControlUI* pParent)
{
    if (xml == nullptr || *xml == 0)
        return nullptr;
    if (*xml == L'<')
    {
        if (!m_xml.Load(xml))
            return nullptr;
    }
    else
    {
        std::vector<BYTE> data;
        if (!CPaintManagerUI::LoadResourceFile(xml, data) || !m_xml.LoadFromMem(data))
            return nullptr;
    }
    return Create(pCallback, pManager, pParent);
}

CControlUI* CDialogBuilder::Create(IDialogBuilderCallback* pCallback, CPaintManagerUI* pManager,
                                   CControlUI* pParent)
{
    if (!m_xml.IsValid())
        return nullptr;
    m_pCallback = pCallback;
    pugi::xml_node root = m_xml.GetRoot();
    if (std::strcmp(root.name(), "Window") == 0)
    {
        if (pManager)
        {
            ApplyWindow(root, pManager);
            ApplyResources(root, pManager);
        }
        return Parse(root, pParent, pManager);
    }
    // A document without <Window> is itself one control.
    return Parse(m_xml.GetRoot().parent(), pParent, pManager);
}

void CDialogBuilder::ApplyWindow(pugi::xml_node window, CPaintManagerUI* pManager)
{
    for (pugi::xml_attribute attr : window.attributes())
    {
        const CDuiString name = Wide(attr.name());
        const CDuiString value = Wide(attr.value());
        if (name == L"size")
        {
            const SIZE size = ParseSize(value);
            pManager->SetInitSize(size.cx, size.cy);
        }
        else if (name == L"sizebox")
        {
            RECT box = ParseRect(value);
            pManager->SetSizeBox(box);
        }
        else if (name == L"caption")
        {
            RECT caption = ParseRect(value);
            pManager->SetCaptionRect(caption);
        }
        else if (name == L"roundcorner")
        {
            const SIZE corner = ParseSize(value);
            pManager->SetRoundCorner(corner.cx, corner.cy);
        }
        else if (name == L"mininfo")
        {
            const SIZE info = ParseSize(value);
            pManager->SetMinInfo(info.cx, info.cy);
        }
        else if (name == L"maxinfo")
        {
            const SIZE info = ParseSize(value);
            pManager->SetMaxInfo(info.cx, info.cy);
        }
        else if (name == L"opacity" || name == L"alpha")
            pManager->SetOpacity(static_cast<BYTE>(ParseInt(value) & 0xFF));
        else if (name == L"layered" || name == L"bktrans")
            pManager->SetLayered(ParseBool(value));
        else if (name == L"defaultfontcolor")
            pManager->SetDefaultFontColor(ParseColor(value));
        else if (name == L"disabledfontcolor")
            pManager->SetDefaultDisabledColor(ParseColor(value));
        // Shadow settings belong to the shadow window and are read there.
    }
}

void CDialogBuilder::ApplyResources(pugi::xml_node window, CPaintManagerUI* pManager)
{
    int fontIndex = 0;
    for (pugi::xml_node node : window.children())
    {
        if (std::strcmp(node.name(), "Font") == 0)
            ApplyFont(node, fontIndex++, pManager);
        else if (std::strcmp(node.name(), "Default") == 0)
            pManager->AddDefaultAttributeList(Wide(node.attribute("name").as_string()),
                                              Wide(node.attribute("value").as_string()));
    }
}

CControlUI* CDialogBuilder::CreateElement(pugi::xml_node element, CPaintManagerUI* pManager)
{
    const CDuiString tag = Wide(element.name());
    CControlUI* control = CControlFactory::GetInstance().CreateControl(tag);
    if (control == nullptr && m_pCallback)
        control = m_pCallback->CreateControl(tag);
    return control;
}

bool CDialogBuilder::Attach(CControlUI* pControl, CControlUI* pParent)
{
    if (pParent == nullptr)
        return true;
    auto* container = static_cast<CContainerUI*>(pParent->GetInterface(L"IContainer"));
    return container != nullptr && container->Add(pControl);
}

CControlUI* CDialogBuilder::Include(pugi::xml_node element, CControlUI* pParent, CPaintManagerUI* pManager)
{
    if (m_includeDepth >= kMaxIncludeDepth)
        return nullptr;
    CDialogBuilder inner;
    inner.m_includeDepth = m_includeDepth + 1;
    return inner.Create(Wide(element.attribute("source").as_string()), nullptr, m_pCallback, pManager,
                        pParent);
}

CControlUI* CDialogBuilder::Parse(pugi::xml_node node, CControlUI* pParent, CPaintManagerUI* pManager)
{
    CControlUI* first = nullptr;
    for (pugi::xml_node element : node.children())
    {
        if (element.type() != pugi::node_element || IsResourceTag(element.name()))
            continue;
        if (std::strcmp(element.name(), "Include") == 0)
        {
            CControlUI* included = Include(element, pParent, pManager);
            first = first ? first : included;
            continue;
        }
        CControlUI* control = CreateElement(element, pManager);
        if (control == nullptr)
            continue;
        Parse(element, control, pManager);
        if (pManager)
        {
            if (LPCTSTR defaults = pManager->GetDefaultAttributeList(Wide(element.name())))
                control->ApplyAttributeList(defaults);
        }
        for (pugi::xml_attribute attr : element.attributes())
            control->SetAttribute(Wide(attr.name()), Wide(attr.value()));
        // Without a parent only one root can be handed back; a second one would be lost.
        if ((pParent == nullptr && first != nullptr) || !Attach(control, pParent))
        {
            delete control;
            continue;
        }
        first = first ? first : control;
    }
    return first;
}
} // namespace DuiLib
