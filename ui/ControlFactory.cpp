#include "ui/ControlFactory.h"

#include "ui/ButtonUI.h"
#include "ui/CheckBoxUI.h"
#include "ui/ContainerUI.h"
#include "ui/HorizontalLayoutUI.h"
#include "ui/LabelUI.h"
#include "ui/OptionUI.h"
#include "ui/TabLayoutUI.h"
#include "ui/TextUI.h"
#include "ui/VerticalLayoutUI.h"

#include <map>
#include <mutex>

namespace DuiLib
{
struct CControlFactory::Table
{
    std::mutex lock;
    std::map<CDuiString, CreateClass> creators;
};

namespace
{
CDuiString Key(LPCTSTR tag)
{
    CDuiString key(tag);
    key.MakeLower();
    return key;
}

template <typename T> CControlUI* Make()
{
    return new T();
}
} // namespace

CControlFactory::Table& CControlFactory::Creators() const
{
    static Table table;
    return table;
}

CControlFactory::CControlFactory()
{
    RegisterControl(L"Control", &Make<CControlUI>);
    RegisterControl(L"Container", &Make<CContainerUI>);
    RegisterControl(L"VerticalLayout", &Make<CVerticalLayoutUI>);
    RegisterControl(L"HorizontalLayout", &Make<CHorizontalLayoutUI>);
    RegisterControl(L"TabLayout", &Make<CTabLayoutUI>);
    RegisterControl(L"Label", &Make<CLabelUI>);
    RegisterControl(L"Text", &Make<CTextUI>);
    RegisterControl(L"Button", &Make<CButtonUI>);
    RegisterControl(L"Option", &Make<COptionUI>);
    RegisterControl(L"CheckBox", &Make<CCheckBoxUI>);
}

CControlFactory& CControlFactory::GetInstance()
{
    static CControlFactory factory;
    return factory;
}

void CControlFactory::RegisterControl(LPCTSTR pstrTag, CreateClass creator)
{
    std::lock_guard<std::mutex> guard(Creators().lock);
    Creators().creators[Key(pstrTag)] = std::move(creator);
}

CControlUI* CControlFactory::CreateControl(LPCTSTR pstrTag) const
{
    CreateClass creator;
    {
        std::lock_guard<std::mutex> guard(Creators().lock);
        const auto found = Creators().creators.find(Key(pstrTag));
        if (found == Creators().creators.end())
            return nullptr;
        creator = found->second;
    }
    return creator ? creator() : nullptr;
}
} // namespace DuiLib
