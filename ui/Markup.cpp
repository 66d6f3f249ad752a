#include "ui/Markup.h"

#include "platform/Utf.h"

namespace DuiLib
{
bool CMarkup::Load(LPCTSTR pstrXML)
{
    const std::string text = platform::ToUtf8(pstrXML ? pstrXML : L"");
    const std::vector<BYTE> bytes(text.begin(), text.end());
    return LoadFromMem(bytes);
}

bool CMarkup::LoadFromMem(const std::vector<BYTE>& data)
{
    Release();
    if (data.empty())
        return false;
    const pugi::xml_parse_result result =
        m_doc.load_buffer(data.data(), data.size(), pugi::parse_default, pugi::encoding_utf8);
    m_bValid = result && m_doc.document_element();
    if (!m_bValid)
        m_doc.reset();
    return m_bValid;
}

void CMarkup::Release()
{
    m_doc.reset();
    m_bValid = false;
}
} // namespace DuiLib
