#pragma once
// What a ShellExecuteW target names: an http(s) address, an existing folder or document, an
// executable file, or something that is refused (another scheme) or missing.

#include "platform/WinTypes.h"

#include <string>

namespace platform
{
class ShellTarget
{
public:
    enum class Kind
    {
        WebAddress,
        Document, // a folder or a file to open with its default program
        Program,  // an executable file
        Missing,
        Refused
    };

    // A relative path is taken from directory when given, else from the current folder.
    static ShellTarget Classify(const std::wstring& target, const std::wstring& directory);

    Kind GetKind() const { return m_kind; }
    // The absolute path or the address.
    const std::wstring& Value() const { return m_value; }

private:
    ShellTarget(Kind kind, std::wstring value) : m_kind(kind), m_value(std::move(value)) {}
    static ShellTarget Address(const std::wstring& target);
    static ShellTarget Path(const std::wstring& path);
    static std::wstring Absolute(const std::wstring& path, const std::wstring& directory);

    Kind m_kind;
    std::wstring m_value;
};
} // namespace platform
