#pragma once
// An ICC profile for a picture whose colours are described only by numbers (a HEIC's "nclx"
// colour box: primaries, white point and transfer curve), so that a wide-gamut phone photo
// keeps its colours in formats that carry only ICC profiles.

#include <string>

struct NclxColours
{
    // Chromaticities (x, y) of red, green, blue and white.
    double red[2], green[2], blue[2], white[2];
    int primaries = 2; // the H.273 code; 1 is BT.709 (sRGB's), 2 unspecified
    int transfer = 2;  // the H.273 code of the transfer characteristics
};

// A matrix/curve display profile (ICC version 2) for the colours; empty when the picture is
// plain sRGB (which needs no profile) or its curve has no such profile (PQ, HLG, logarithmic).
std::string ProfileForNclx(const NclxColours& colours);
