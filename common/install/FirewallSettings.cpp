#include "common/install/FirewallSettings.h"

#include "common/base/Log.h"

#include "platform/Firewall.h"
#include "platform/Kernel.h"

namespace
{
bool IsEmpty(const wchar_t* text)
{
    return text == nullptr || *text == 0;
}
} // namespace

bool CFirewallSettings::AddRule(const wchar_t* applicationPath, const wchar_t* ruleName,
                                const wchar_t* description)
{
    if (IsEmpty(ruleName) || IsEmpty(applicationPath))
        return false;
    platform::FirewallRule rule;
    rule.name = ruleName;
    rule.application = applicationPath;
    rule.description = description == nullptr ? L"" : description;
    if (platform::FirewallStore::Add(rule))
        return true;
    LOG_ERROR(L"CFirewallSettings::AddRule", L"rule store not written, error %d",
              static_cast<int>(GetLastError()));
    return false;
}

bool CFirewallSettings::RemoveRule(const wchar_t* ruleName)
{
    if (IsEmpty(ruleName))
        return false;
    if (platform::FirewallStore::Remove(ruleName))
        return true;
    LOG_ERROR(L"CFirewallSettings::RemoveRule", L"rule store not written, error %d",
              static_cast<int>(GetLastError()));
    return false;
}
