#include "MainControls.h"

#include "LineListUI.h"
#include "LinkButtonUI.h"

#include "ControlFactory.h"

namespace
{
template <typename T> DuiLib::CControlUI* Make()
{
    return new T();
}

// At load time, before any skin is built.
[[maybe_unused]] const bool g_registered = RegisterMainControls();
} // namespace

bool RegisterMainControls()
{
    static const bool registered = [] {
        DuiLib::CControlFactory& factory = DuiLib::CControlFactory::GetInstance();
        factory.RegisterControl(L"LineList", &Make<CLineListUI>);
        factory.RegisterControl(L"LinkButton", &Make<CLinkButtonUI>);
        return true;
    }();
    return registered;
}
