#pragma once
// The frame list of an animated control: "name%d.png|12" gives the images name1.png to
// name12.png. The number goes in as plain text, so a "%" anywhere else in the skin's value
// stays as written.

#include "ui/DrawInfo.h"

#include <string>
#include <vector>

// No skin needs more; a larger count in a damaged skin must not build a huge list.
constexpr unsigned kMaxFrames = 256;

// The frames of a value; none for a value without "|" or with a count of 0.
std::vector<DuiLib::TDrawInfo> ParseFrameList(const std::wstring& value);
