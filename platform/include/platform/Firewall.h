#pragma once
// The firewall rule store: the rules a program asked for, kept in the state folder (the
// product setting STATE_DIR, else beside the registry store) as firewall/rules. No system
// firewall is changed; the store is bookkeeping that an uninstaller undoes.
//
// One rule per line, fields separated by tabs: name, application, description, direction,
// action, protocol, profiles, enabled, edge traversal. Texts are escaped so that a tab, a line
// break or the escape character "\" in them never splits a field. The file is rewritten
// atomically under a lock, so concurrent writers never lose each other's rules.

#include <string>
#include <vector>

namespace platform
{
struct FirewallRule
{
    std::wstring name;
    std::wstring application;
    std::wstring description;
    int direction = 1;          // inbound
    int action = 1;             // allow
    int protocol = 6;           // TCP
    long profiles = 0x7FFFFFFF; // all
    bool enabled = true;
    int edgeTraversal = 2; // defer to the application
};

class FirewallStore
{
public:
    static std::string FilePath();
    // Every rule of the store, in the order they were added.
    static std::vector<FirewallRule> List();
    static bool Find(const std::wstring& name, FirewallRule* rule);
    // Adds the rule; an existing rule of the same name is left exactly as it is (true). False
    // when the store cannot be written, with the last error set.
    static bool Add(const FirewallRule& rule);
    // Removes every rule of that name; true when none is left, false when the store cannot be
    // written.
    static bool Remove(const std::wstring& name);
};
} // namespace platform
