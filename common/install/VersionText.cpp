#include "common/install/VersionText.h"

#include <algorithm>
#include <climits>

namespace
{
constexpr int kVersionParts = 4;

// The leading digits of text from pos; INT_MAX when they do not fit, 0 when there are none.
int ReadVersionPart(const std::wstring& text, size_t* pos)
{
    long long value = 0;
    bool digits = false;
    while (*pos < text.size() && text[*pos] >= L'0' && text[*pos] <= L'9')
    {
        digits = true;
        value = std::min<long long>(value * 10 + (text[*pos] - L'0'), INT_MAX);
        ++*pos;
    }
    return digits ? static_cast<int>(value) : 0;
}

// As "%d.%d.%d.%d" scans: parts after the first that does not read stay 0.
void ParseVersion(const std::wstring& text, int parts[kVersionParts])
{
    size_t pos = 0;
    for (int i = 0; i < kVersionParts; ++i)
    {
        const size_t start = pos;
        parts[i] = ReadVersionPart(text, &pos);
        if (pos == start || (i + 1 < kVersionParts && (pos >= text.size() || text[pos] != L'.')))
            return;
        ++pos;
    }
}
} // namespace

int CompareVersion(const std::wstring& installed, const std::wstring& other)
{
    int mine[kVersionParts] = {};
    int theirs[kVersionParts] = {};
    ParseVersion(installed, mine);
    ParseVersion(other, theirs);
    for (int i = 0; i < kVersionParts; ++i)
    {
        if (theirs[i] != mine[i])
            return theirs[i] > mine[i] ? 1 : -1;
    }
    return 0;
}
