#include "main/NclxProfile.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace
{
using Vector = std::array<double, 3>;
using Matrix = std::array<Vector, 3>;

constexpr Vector kD50 = {0.9642, 1.0, 0.8249};
constexpr int kCurvePoints = 1024;

Vector Times(const Matrix& m, const Vector& v)
{
    return {m[0][0] * v[0] + m[0][1] * v[1] + m[0][2] * v[2],
            m[1][0] * v[0] + m[1][1] * v[1] + m[1][2] * v[2],
            m[2][0] * v[0] + m[2][1] * v[1] + m[2][2] * v[2]};
}

Matrix Times(const Matrix& a, const Matrix& b)
{
    Matrix m{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            m[r][c] = a[r][0] * b[0][c] + a[r][1] * b[1][c] + a[r][2] * b[2][c];
    return m;
}

Matrix Inverse(const Matrix& m)
{
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    Matrix inv{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
        {
            const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
            inv[r][c] = (m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1]) / det;
        }
    return inv;
}

Vector FromChromaticity(const double xy[2])
{
    return {xy[0] / xy[1], 1.0, (1.0 - xy[0] - xy[1]) / xy[1]};
}

// Columns: the XYZ of red, green and blue at full strength, adapted to the D50 of the
// profile connection space (Bradford).
Matrix ColourantsD50(const NclxColours& c)
{
    const Vector r = FromChromaticity(c.red), g = FromChromaticity(c.green), b = FromChromaticity(c.blue);
    const Matrix primaries = {{{r[0], g[0], b[0]}, {r[1], g[1], b[1]}, {r[2], g[2], b[2]}}};
    const Vector white = FromChromaticity(c.white);
    const Vector scale = Times(Inverse(primaries), white);
    Matrix toXyz = primaries;
    for (auto& row : toXyz)
        for (int col = 0; col < 3; ++col)
            row[col] *= scale[col];
    const Matrix bradford = {
        {{0.8951, 0.2664, -0.1614}, {-0.7502, 1.7135, 0.0367}, {0.0389, -0.0685, 1.0296}}};
    const Vector from = Times(bradford, white), to = Times(bradford, kD50);
    const Matrix gain = {{{to[0] / from[0], 0, 0}, {0, to[1] / from[1], 0}, {0, 0, to[2] / from[2]}}};
    return Times(Times(Times(Inverse(bradford), gain), bradford), toXyz);
}

// The display's light for an encoded value, by H.273 transfer code; false for curves that
// have no such profile.
bool Linear(int transfer, double v, double& light)
{
    switch (transfer)
    {
    case 2:  // unspecified: taken as sRGB
    case 13: // sRGB
        light = v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        return true;
    case 1: // BT.709 and its relatives: the inverse of their camera curve
    case 6:
    case 14:
    case 15:
        light = v < 0.081 ? v / 4.5 : std::pow((v + 0.099) / 1.099, 1 / 0.45);
        return true;
    case 4:
        light = std::pow(v, 2.2);
        return true;
    case 5:
        light = std::pow(v, 2.8);
        return true;
    case 8:
        light = v;
        return true;
    default:
        return false;
    }
}

void Put32(std::string& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xff);
}

void Put16(std::string& out, uint32_t value)
{
    out += static_cast<char>((value >> 8) & 0xff);
    out += static_cast<char>(value & 0xff);
}

void PutFixed(std::string& out, double value)
{
    Put32(out, static_cast<uint32_t>(static_cast<int32_t>(std::lround(value * 65536.0))));
}

std::string XyzTag(const Vector& xyz)
{
    std::string tag = "XYZ " + std::string(4, '\0');
    for (double v : xyz)
        PutFixed(tag, v);
    return tag;
}

std::string DescriptionTag(const std::string& text)
{
    std::string tag = "desc" + std::string(4, '\0');
    Put32(tag, static_cast<uint32_t>(text.size() + 1));
    tag += text + '\0';
    tag += std::string(4 + 4 + 2 + 1 + 67, '\0'); // no Unicode or ScriptCode text
    return tag;
}

std::string TextTag(const std::string& text)
{
    return "text" + std::string(4, '\0') + text + '\0';
}

bool CurveTag(int transfer, std::string& tag)
{
    tag = "curv" + std::string(4, '\0');
    Put32(tag, kCurvePoints);
    for (int i = 0; i < kCurvePoints; ++i)
    {
        double light = 0;
        if (!Linear(transfer, static_cast<double>(i) / (kCurvePoints - 1), light))
            return false;
        Put16(tag, static_cast<uint32_t>(std::lround(std::fmin(std::fmax(light, 0.0), 1.0) * 65535.0)));
    }
    return true;
}

bool IsSrgb(const NclxColours& c)
{
    const bool srgbPrimaries = c.primaries == 1 || c.primaries == 2;
    const bool srgbCurve = c.transfer == 1 || c.transfer == 2 || c.transfer == 6 || c.transfer == 13 ||
                           c.transfer == 14 || c.transfer == 15;
    return srgbPrimaries && srgbCurve;
}

struct Tag
{
    const char* signature;
    int body; // index into the bodies; tags may share one
};

std::string Assemble(const std::vector<std::string>& bodies, const std::vector<Tag>& tags)
{
    const uint32_t tableSize = 4 + 12 * static_cast<uint32_t>(tags.size());
    std::vector<uint32_t> offsets;
    uint32_t offset = 128 + tableSize;
    std::string data;
    for (const std::string& body : bodies)
    {
        offsets.push_back(offset + static_cast<uint32_t>(data.size()));
        data += body;
        data.resize((data.size() + 3) & ~size_t{3}, '\0'); // tags start on four-byte boundaries
    }
    std::string header;
    Put32(header, 128 + tableSize + static_cast<uint32_t>(data.size()));
    Put32(header, 0);
    Put32(header, 0x02100000); // version 2.1
    header += "mntrRGB XYZ ";
    for (int field : {2024, 1, 1, 0, 0, 0})
        Put16(header, static_cast<uint32_t>(field));
    header += "acsp";
    header += std::string(4 + 4 + 4 + 4 + 8 + 4, '\0'); // platform, flags, device, attributes, intent
    for (double v : kD50)
        PutFixed(header, v);
    header += std::string(128 - header.size(), '\0');
    Put32(header, static_cast<uint32_t>(tags.size()));
    for (const Tag& tag : tags)
    {
        header += tag.signature;
        Put32(header, offsets[tag.body]);
        Put32(header, static_cast<uint32_t>(bodies[tag.body].size()));
    }
    return header + data;
}
} // namespace

std::string ProfileForNclx(const NclxColours& colours)
{
    std::string curve;
    if (IsSrgb(colours) || !CurveTag(colours.transfer, curve))
        return std::string();
    const Matrix m = ColourantsD50(colours);
    const std::vector<std::string> bodies = {
        DescriptionTag("HEIC colours (primaries " + std::to_string(colours.primaries) + ", transfer " +
                       std::to_string(colours.transfer) + ")"),
        TextTag("No copyright, use freely"),
        XyzTag(kD50),
        XyzTag({m[0][0], m[1][0], m[2][0]}),
        XyzTag({m[0][1], m[1][1], m[2][1]}),
        XyzTag({m[0][2], m[1][2], m[2][2]}),
        curve};
    return Assemble(bodies, {{"desc", 0},
                             {"cprt", 1},
                             {"wtpt", 2},
                             {"rXYZ", 3},
                             {"gXYZ", 4},
                             {"bXYZ", 5},
                             {"rTRC", 6},
                             {"gTRC", 6},
                             {"bTRC", 6}});
}
