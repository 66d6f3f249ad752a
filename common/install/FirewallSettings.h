#pragma once
// The firewall rule of the product, in the platform's rule store: the setup program replaces
// it, the uninstaller removes it. No system firewall is changed.

#include <string>

class CFirewallSettings
{
public:
    CFirewallSettings() = default;
    virtual ~CFirewallSettings() = default;

    // An inbound rule that allows applicationPath. An existing rule of that name is left as
    // it is (true). False for an empty name or path and when the store cannot be written.
    bool AddRule(const wchar_t* applicationPath, const wchar_t* ruleName, const wchar_t* description);
    // False for an empty name and when the store cannot be written; a missing rule is no failure.
    bool RemoveRule(const wchar_t* ruleName);
};
