#include "platform/Firewall.h"

#include "platform/ProductName.h"
#include "platform/Registry.h"
#include "platform/WinError.h"
#include "platform/store/LockedFile.h"
#include "platform/store/StoreText.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace platform
{
namespace
{
constexpr wchar_t kEscape = L'\\';
constexpr std::wstring_view kSpecials = L"\t";

std::string Field(const std::wstring& text)
{
    return store::EscapeText(text, kEscape, kSpecials);
}

std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
}

// A damaged line is skipped: the other rules stay usable.
bool ParseLine(const std::string& line, FirewallRule& rule)
{
    const std::vector<std::string> fields = SplitTabs(line);
    if (fields.size() != 9)
        return false;
    const auto name = store::UnescapeText(fields[0], kEscape);
    const auto application = store::UnescapeText(fields[1], kEscape);
    const auto description = store::UnescapeText(fields[2], kEscape);
    if (!name || !application || !description || name->empty())
        return false;
    rule.name = *name;
    rule.application = *application;
    rule.description = *description;
    rule.direction = std::atoi(fields[3].c_str());
    rule.action = std::atoi(fields[4].c_str());
    rule.protocol = std::atoi(fields[5].c_str());
    rule.profiles = std::atol(fields[6].c_str());
    rule.enabled = fields[7] == "1";
    rule.edgeTraversal = std::atoi(fields[8].c_str());
    return true;
}

std::string Serialize(const std::vector<FirewallRule>& rules)
{
    std::ostringstream out;
    for (const FirewallRule& rule : rules)
        out << Field(rule.name) << '\t' << Field(rule.application) << '\t' << Field(rule.description) << '\t'
            << rule.direction << '\t' << rule.action << '\t' << rule.protocol << '\t' << rule.profiles << '\t'
            << (rule.enabled ? 1 : 0) << '\t' << rule.edgeTraversal << '\n';
    return out.str();
}

std::vector<FirewallRule> Parse(const std::string& bytes)
{
    std::vector<FirewallRule> rules;
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);)
    {
        FirewallRule rule;
        if (ParseLine(line, rule))
            rules.push_back(rule);
    }
    return rules;
}

// Reads the store under its lock, lets change edit the rules and writes them back when it
// says so.
template <typename Change> bool Rewrite(Change change)
{
    const std::string path = FirewallStore::FilePath();
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    store::LockedFile file(path);
    std::string bytes;
    if (!file.IsLocked() || !file.Read(bytes))
        return false;
    std::vector<FirewallRule> rules = Parse(bytes);
    if (!change(rules))
        return true;
    return file.Replace(Serialize(rules));
}
} // namespace

std::string FirewallStore::FilePath()
{
    const std::string state = ProductSetting("STATE_DIR");
    if (!state.empty())
        return state + "/firewall/rules";
    return std::filesystem::path(RegistryStoreFolder()).parent_path().string() + "/firewall/rules";
}

std::vector<FirewallRule> FirewallStore::List()
{
    std::string bytes;
    bool exists = false;
    store::LockedFile::ReadPath(FilePath(), bytes, exists);
    return Parse(bytes);
}

bool FirewallStore::Find(const std::wstring& name, FirewallRule* rule)
{
    for (const FirewallRule& candidate : List())
    {
        if (candidate.name != name)
            continue;
        if (rule != nullptr)
            *rule = candidate;
        return true;
    }
    return false;
}

bool FirewallStore::Add(const FirewallRule& rule)
{
    if (rule.name.empty())
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return Rewrite([&](std::vector<FirewallRule>& rules) {
        for (const FirewallRule& existing : rules)
            if (existing.name == rule.name)
                return false;
        rules.push_back(rule);
        return true;
    });
}

bool FirewallStore::Remove(const std::wstring& name)
{
    return Rewrite([&](std::vector<FirewallRule>& rules) {
        const auto removed =
            std::erase_if(rules, [&](const FirewallRule& rule) { return rule.name == name; });
        return removed > 0;
    });
}
} // namespace platform
