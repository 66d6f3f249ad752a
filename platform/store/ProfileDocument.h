#pragma once
// A profile file in memory as its lines. Untouched lines are written back exactly as read,
// so comments, blank lines, order, spelling and even bytes that are not valid UTF-8 survive
// a rewrite.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::store
{
class ProfileDocument
{
public:
    void Load(std::string_view bytes);
    std::string Save() const;

    // The value of the first matching key of the first matching section, blanks and
    // matching quotes removed.
    std::optional<std::wstring> Find(std::wstring_view section, std::wstring_view key) const;
    std::vector<std::wstring> SectionNames() const;
    std::vector<std::wstring> KeyNames(std::wstring_view section) const;

    // Each returns whether the document changed.
    bool Set(std::wstring_view section, std::wstring_view key, std::wstring_view value);
    bool RemoveKey(std::wstring_view section, std::wstring_view key);
    bool RemoveSection(std::wstring_view section);

private:
    struct Line
    {
        std::wstring text; // without the line ending
        std::string raw;   // the bytes as read, for UTF-8 lines that are unchanged
        bool keepRaw = false;
        bool cr = false;        // ended in "\r\n", or in "\r" at the end of the file
        bool terminated = true; // had a line ending at all
    };
    enum class Kind
    {
        Other,
        Section,
        Entry
    };
    struct Parsed
    {
        Kind kind = Kind::Other;
        std::wstring name;
        std::wstring value;
        size_t equals = 0; // where "=" stands in an entry
    };
    struct Range
    {
        size_t header; // the section line
        size_t end;    // one past its last line
    };

    static Parsed ParseLine(std::wstring_view text);
    void LoadUtf8(std::string_view bytes);
    void LoadUtf16(std::string_view bytes);
    std::vector<Range> SectionRanges(std::wstring_view section) const;
    std::optional<size_t> FindEntry(const Range& range, std::wstring_view key) const;
    Line NewLine(std::wstring text) const;
    std::wstring_view LineEnding(const Line& line, bool last) const;

    std::vector<Line> m_lines;
    bool m_utf16 = false;
    bool m_bom = false;
    bool m_crlf = false;
};
} // namespace platform::store
