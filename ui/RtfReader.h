#pragma once
// Reads the text out of an RTF document: paragraphs, line breaks, tabs, characters escaped as
// code page bytes (\'hh, decoded with the document's \ansicpg) or as Unicode (\uN), with the
// non-text groups (font and colour tables, style sheet, document info, pictures, "\*"
// destinations) skipped. Formatting is dropped. The input is outside data: any bytes give some
// text, never a crash; nesting deeper than the reader tracks is skipped as a whole.

#include <cstddef>
#include <string>
#include <vector>

class CRtfReader
{
public:
    // Paragraphs and line breaks become '\n', tabs '\t'.
    static std::wstring ToText(const char* data, std::size_t size);

private:
    struct Group
    {
        bool skip = false;
        int ucSkip = 1; // fallback characters that follow each \uN
    };

    CRtfReader(const char* data, std::size_t size) : m_data(data), m_size(size) {}
    void Run();
    void OpenGroup();
    void CloseGroup();
    void ReadControl();
    void ReadControlWord();
    void ApplyWord(const std::string& word, bool hasParam, long param);
    void PutText(wchar_t ch);
    void PutByte(unsigned char byte);
    void PutUnicode(long value);
    void FlushBytes();
    bool Skipping() const;
    int HexDigit(std::size_t at) const;

    const char* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
    std::vector<Group> m_groups{Group{}};
    std::size_t m_untracked = 0; // groups opened beyond the tracked depth
    bool m_nextIsIgnorable = false;
    unsigned m_codePage = 1252;
    int m_fallbackLeft = 0;
    wchar_t m_highSurrogate = 0;
    std::string m_bytes;
    std::wstring m_text;
};
