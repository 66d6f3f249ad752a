#pragma once
// A parsed skin document (UTF-8 XML), kept so that a builder can make the same controls again.

#include "ui/DuiString.h"

#include <pugixml.hpp>
#include <vector>

namespace DuiLib
{
class CMarkup
{
public:
    bool Load(LPCTSTR pstrXML);
    bool LoadFromMem(const std::vector<BYTE>& data);
    void Release();
    bool IsValid() const { return m_bValid; }
    pugi::xml_node GetRoot() const { return m_doc.document_element(); }

private:
    pugi::xml_document m_doc;
    bool m_bValid = false;
};
} // namespace DuiLib
