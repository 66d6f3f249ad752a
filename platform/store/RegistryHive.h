#pragma once
// One root hive of the registry store in memory, and its text file form:
//
//   [SOFTWARE\Vendor\Product] id=5c1e0f3a9b7d2e41
//   "appname"=sz:"Name"            REG_SZ stored with its terminator
//   "raw"=sz(noterm):"abc"         REG_SZ stored without one
//   @=expand_sz:"%HOME%/x"         @ is the unnamed (default) value
//   "count"=dword:0000002a         REG_DWORD of four bytes
//   "blob"=hex:00,ff               REG_BINARY
//   "other"=hex(11):01,00,00,00,00,00,00,00   any other type, raw bytes
//
// Key names escape "%", "[", "]" and controls as %{hex}; quoted texts escape "\" and '"'
// and controls as \{hex}. The id tells a key from a later key of the same name, so that a
// handle to a deleted key does not silently reach its replacement.

#include "platform/WinTypes.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace platform::store
{
struct RegistryValue
{
    std::wstring name;
    DWORD type = 0;
    std::wstring text;       // string types: the stored characters, terminator included if stored
    std::vector<BYTE> bytes; // every other type

    // Size as Windows counts it: two bytes per character for string types.
    DWORD WindowsSize() const;
};

struct RegistryKeyNode
{
    std::wstring path; // components in their original case joined by "\"; "" is the root
    std::uint64_t id = 0;
    std::vector<RegistryValue> values;

    RegistryValue* FindValue(std::wstring_view name);
    const RegistryValue* FindValue(std::wstring_view name) const;
};

class RegistryHive
{
public:
    RegistryHive();

    // True for the types whose data are wide characters.
    static bool IsTextType(DWORD type);
    // The last component of a key path.
    static std::wstring_view LeafName(std::wstring_view path);

    // Reads a hive file. Lines that cannot be read are skipped and described in problems.
    void Parse(std::string_view bytes, std::vector<std::string>& problems);
    std::string Serialize() const;

    RegistryKeyNode* Find(std::wstring_view path);
    const RegistryKeyNode* Find(std::wstring_view path) const;
    // The key at path (components already checked), made with its missing parents.
    RegistryKeyNode& Create(std::wstring_view path, bool& created);
    // Removes one key; its subkeys are the caller's concern.
    void Remove(std::wstring_view path);
    // The direct subkeys in case-insensitive order.
    std::vector<const RegistryKeyNode*> Children(std::wstring_view path) const;

private:
    bool ParseKeyLine(std::string_view line);
    bool ParseValueLine(std::string_view line);

    std::map<std::wstring, RegistryKeyNode> m_keys; // by case-folded path
    RegistryKeyNode* m_current = nullptr;           // the key whose values are being read
};
} // namespace platform::store
