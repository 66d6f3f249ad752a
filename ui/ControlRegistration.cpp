// Puts the list, scrolling, progress, edit, combo and rich edit controls into the builder's
// factory when the library loads, under their skin tags.

#include "ui/ComboUI.h"
#include "ui/ControlFactory.h"
#include "ui/EditUI.h"
#include "ui/ListLabelElementUI.h"
#include "ui/ListUI.h"
#include "ui/RichEditUI.h"
#include "ui/ScrollBarUI.h"
#include "ui/SliderUI.h"

namespace DuiLib
{
namespace
{
template <typename T> CControlUI* Make()
{
    return new T();
}

struct Registration
{
    Registration()
    {
        CControlFactory& factory = CControlFactory::GetInstance();
        factory.RegisterControl(L"ScrollBar", &Make<CScrollBarUI>);
        factory.RegisterControl(L"List", &Make<CListUI>);
        factory.RegisterControl(L"ListHeader", &Make<CListHeaderUI>);
        factory.RegisterControl(L"ListContainerElement", &Make<CListContainerElementUI>);
        factory.RegisterControl(L"ListLabelElement", &Make<CListLabelElementUI>);
        factory.RegisterControl(L"Progress", &Make<CProgressUI>);
        factory.RegisterControl(L"Slider", &Make<CSliderUI>);
        factory.RegisterControl(L"Edit", &Make<CEditUI>);
        factory.RegisterControl(L"Combo", &Make<CComboUI>);
        factory.RegisterControl(L"RichEdit", &Make<CRichEditUI>);
    }
};

const Registration g_registration;
} // namespace
} // namespace DuiLib
