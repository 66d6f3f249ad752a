// Conversions keep what makes a picture look the same: its colour profile and its
// transparency. HEIC pictures are checked against libheif's own heif-convert.

#include "main/MagickDriver.h"
#include "tests/main/magick/ExifKit.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <libheif/heif.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using testsupport::Exists;
using testsupport::TempDir;

namespace
{
const std::string kAdobeRgb = "/usr/share/color/icc/ghostscript/a98.icc";
const std::string kSrgb = "/usr/share/color/icc/ghostscript/srgb.icc";

std::string Cli(const std::string& command)
{
    return testsupport::CommandOutput(command + " 2>/dev/null");
}

double Psnr(const std::string& image, const std::string& reference)
{
    const std::string answer =
        testsupport::CommandOutput("compare -metric PSNR " + image + " " + reference + " null: 2>&1");
    return answer.rfind("inf", 0) == 0 ? 1000.0 : std::stod(answer);
}

// Big-endian s15Fixed16 numbers of an XYZ tag of an ICC profile, by tag signature.
std::vector<double> XyzOf(const std::string& profile, const std::string& signature)
{
    auto read32 = [&profile](size_t at) {
        return (uint32_t(uint8_t(profile[at])) << 24) | (uint32_t(uint8_t(profile[at + 1])) << 16) |
               (uint32_t(uint8_t(profile[at + 2])) << 8) | uint32_t(uint8_t(profile[at + 3]));
    };
    if (profile.size() < 132)
        return {};
    for (uint32_t i = 0, count = read32(128); i < count && 132 + 12 * i + 12 <= profile.size(); ++i)
    {
        const size_t entry = 132 + 12 * i;
        if (profile.compare(entry, 4, signature) != 0)
            continue;
        const size_t at = read32(entry + 4) + 8;
        std::vector<double> xyz;
        for (size_t k = 0; k < 3 && at + 4 * k + 4 <= profile.size(); ++k)
            xyz.push_back(static_cast<int32_t>(read32(at + 4 * k)) / 65536.0);
        return xyz;
    }
    return {};
}

bool EncodeHeic(const std::string& path, int width, int height, heif_orientation orientation, int primaries)
{
    heif_image* picture = nullptr;
    if (heif_image_create(width, height, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &picture).code !=
        heif_error_Ok)
        return false;
    heif_image_add_plane(picture, heif_channel_interleaved, width, height, 8);
    int stride = 0;
    uint8_t* plane = heif_image_get_plane(picture, heif_channel_interleaved, &stride);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            uint8_t* pixel = plane + y * stride + 3 * x;
            pixel[0] = x < width / 2 ? 230 : 20;
            pixel[1] = 40;
            pixel[2] = x < width / 2 ? 20 : 230;
        }
    heif_color_profile_nclx* nclx = heif_nclx_color_profile_alloc();
    heif_nclx_color_profile_set_color_primaries(nclx, static_cast<uint16_t>(primaries));
    heif_nclx_color_profile_set_transfer_characteristics(nclx, 13);
    heif_nclx_color_profile_set_matrix_coefficients(nclx, 6);
    nclx->full_range_flag = 1;
    heif_encoding_options* options = heif_encoding_options_alloc();
    options->image_orientation = orientation;
    if (primaries != 0)
    {
        heif_image_set_nclx_color_profile(picture, nclx);
        options->output_nclx_profile = nclx;
        options->macOS_compatibility_workaround_no_nclx_profile = 0; // else no colour box is written
    }
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    bool ok =
        heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder).code == heif_error_Ok;
    if (ok)
    {
        heif_encoder_set_lossy_quality(encoder, 90);
        ok = heif_context_encode_image(context, picture, encoder, options, nullptr).code == heif_error_Ok &&
             heif_context_write_to_file(context, path.c_str()).code == heif_error_Ok;
        heif_encoder_release(encoder);
    }
    heif_encoding_options_free(options);
    heif_nclx_color_profile_free(nclx);
    heif_image_release(picture);
    heif_context_free(context);
    return ok;
}

class ColourKeeping : public ::testing::Test
{
protected:
    void SetUp() override { MagickStartup(PICTAVO_MAGICK_CONFIG_DIR); }
    std::string At(const std::string& name) const { return m_dir / name; }
    void Make(const std::string& recipe, const std::string& name, const std::string& format = "")
    {
        Cli("convert " + recipe + " " + format + At(name));
        ASSERT_TRUE(Exists(At(name))) << recipe;
    }
    void Heic(const std::string& options, const std::string& from, const std::string& name)
    {
        Cli("heif-enc " + options + " -o " + At(name) + " " + At(from));
        ASSERT_TRUE(Exists(At(name))) << options;
    }
    // The ICC profile of a file, as ImageMagick extracts it; empty when it has none.
    std::string ProfileOf(const std::string& name)
    {
        Cli("convert " + At(name) + " " + At(name + ".icc"));
        return Exists(At(name + ".icc")) ? testsupport::ReadFile(At(name + ".icc")) : std::string();
    }
    std::string Identify(const std::string& format, const std::string& name)
    {
        return Cli("identify -format '" + format + "' " + At(name));
    }
    // A HEIC made through libheif: red on the left, blue on the right, stored unturned with
    // the given orientation boxes and, when primaries is not 0, an nclx colour box. Made in a
    // child process: libx265 keeps allocations to the end of a process, which the leak checker
    // of a sanitizer build would report as the test's.
    void WriteHeic(const std::string& name, int width, int height, heif_orientation orientation,
                   int primaries)
    {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            ::_exit(EncodeHeic(At(name), width, height, orientation, primaries) ? 0 : 1);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << name;
    }
    TempDir m_dir{"colours"};
};
} // namespace

TEST_F(ColourKeeping, HeicKeepsProfileAlphaTurnAndDepthAsHeifConvertDecodesThem)
{
    Make("-size 96x64 -seed 3 plasma:fractal -blur 0x2 -depth 8 -profile " + kAdobeRgb, "wide-source.png");
    Heic("-q 90", "wide-source.png", "wide.heic");
    Make("-size 96x64 gradient:orange-navy \\( -size 96x64 gradient:white-black \\) -alpha off "
         "-compose copy_opacity -composite -depth 8",
         "clear-source.png", "PNG32:"); // RGBA as heif-enc takes it
    Heic("-q 90", "clear-source.png", "clear.heic");
    Make("-size 96x64 -seed 4 plasma:fractal -blur 0x2 -depth 16", "deep-source.png");
    Heic("-q 90 -b 10", "deep-source.png", "deep.heic");
    WriteHeic("turned.heic", 80, 40, heif_orientation_rotate_90_cw, 0);
    for (const std::string name : {"wide", "clear", "deep", "turned"})
    {
        Cli("heif-convert " + At(name + ".heic") + " " + At(name + "-reference.png"));
        ASSERT_TRUE(Exists(At(name + "-reference.png"))) << name;
        std::string error;
        ASSERT_TRUE(ConvertImageFile(At(name + ".heic"), At(name + ".png"), error)) << name << ": " << error;
        EXPECT_EQ(Identify("%wx%h %A %z", name + ".png"), Identify("%wx%h %A %z", name + "-reference.png"))
            << name;
        EXPECT_GT(Psnr(At(name + ".png"), At(name + "-reference.png")), 50.0) << name;
        EXPECT_EQ(ProfileOf(name + ".png"), ProfileOf(name + "-reference.png")) << name;
    }
    EXPECT_EQ(Identify("%wx%h", "turned.png"), "40x80"); // turned once, by libheif
    EXPECT_EQ(ProfileOf("wide.png"), testsupport::ReadFile(kAdobeRgb));
    EXPECT_EQ(Identify("%z", "deep.png"), "16");

    // JPG has no alpha: white shows where the picture was clear, as for every other input;
    // BMP keeps the alpha.
    std::string error;
    ASSERT_TRUE(ConvertImageFile(At("clear.heic"), At("clear.jpg"), error)) << error;
    Cli("convert " + At("clear-reference.png") + " -background white -alpha remove -alpha off " +
        At("clear-on-white.png"));
    EXPECT_GT(Psnr(At("clear.jpg"), At("clear-on-white.png")), 35.0);
    ASSERT_TRUE(ConvertImageFile(At("clear.heic"), At("clear.bmp"), error)) << error;
    EXPECT_NE(Identify("%A", "clear.bmp"), "False") << "the alpha is there";
    ASSERT_TRUE(ConvertImageFile(At("wide.heic"), At("wide.jpg"), error)) << error;
    EXPECT_EQ(ProfileOf("wide.jpg"), testsupport::ReadFile(kAdobeRgb));
}

TEST_F(ColourKeeping, HeicColourNumbersBecomeAProfileUnlessTheyAreSrgb)
{
    // Display P3 (primaries 12) with the sRGB curve, as phones write it
    WriteHeic("p3.heic", 64, 48, heif_orientation_normal, 12);
    WriteHeic("srgb.heic", 64, 48, heif_orientation_normal, 1);
    ASSERT_NE(Cli("heif-info " + At("p3.heic")).find("color profile: nclx"), std::string::npos);
    std::string error;
    ASSERT_TRUE(ConvertImageFile(At("p3.heic"), At("p3.png"), error)) << error;
    ASSERT_TRUE(ConvertImageFile(At("srgb.heic"), At("srgb.png"), error)) << error;
    EXPECT_EQ(ProfileOf("srgb.png"), "");
    const std::string profile = ProfileOf("p3.png");
    ASSERT_FALSE(profile.empty());
    // Display P3's colourants, adapted to D50, as published with its ICC profiles
    const std::vector<std::pair<std::string, std::vector<double>>> colourants = {
        {"rXYZ", {0.5151, 0.2412, -0.0011}},
        {"gXYZ", {0.2920, 0.6922, 0.0419}},
        {"bXYZ", {0.1571, 0.0666, 0.7841}}};
    for (const auto& [tag, expected] : colourants)
    {
        const std::vector<double> xyz = XyzOf(profile, tag);
        ASSERT_EQ(xyz.size(), 3u) << tag;
        for (size_t i = 0; i < 3; ++i)
            EXPECT_NEAR(xyz[i], expected[i], 0.002) << tag << " " << i;
    }
    // lcms (through ImageMagick) takes the profile: P3 red shown in sRGB is redder than sRGB red can be
    Cli("convert " + At("p3.png") + " -profile " + kSrgb + " " + At("p3-in-srgb.png"));
    EXPECT_TRUE(Exists(At("p3-in-srgb.png")));
}

TEST_F(ColourKeeping, CompressionKeepsTheColourProfileAndStripsEverythingElse)
{
    const std::string recipe = "-size 640x480 -seed 9 plasma:fractal -blur 0x1 -set comment private ";
    Make(recipe + "-profile " + kAdobeRgb + " -quality 95", "adobe.jpg");
    AddExifOrientation(At("adobe.jpg"), 1); // as a camera writes it
    ASSERT_EQ(
        Cli("identify -verbose " + At("adobe.jpg") + " | grep -o 'Profile-[a-z0-9]*' | sort | tr '\\n' ' '"),
        "Profile-exif Profile-icc ");
    Make(recipe + "-quality 95", "plain.jpg");
    std::string error;
    ASSERT_TRUE(CompressImageFile(At("adobe.jpg"), At("adobe-small.jpg"), 100, 70, error)) << error;
    ASSERT_TRUE(CompressImageFile(At("plain.jpg"), At("plain-small.jpg"), 100, 70, error)) << error;
    ASSERT_TRUE(CompressImageFile(At("adobe.jpg"), At("adobe-small.png"), 50, 70, error)) << error;
    EXPECT_EQ(ProfileOf("adobe-small.jpg"), testsupport::ReadFile(kAdobeRgb));
    EXPECT_EQ(ProfileOf("adobe-small.png"), testsupport::ReadFile(kAdobeRgb));
    for (const std::string name : {"adobe-small.jpg", "adobe-small.png"})
    {
        EXPECT_EQ(Identify("%c", name), "") << name;
        EXPECT_EQ(Cli("identify -verbose " + At(name) + " | grep -o 'Profile-[a-z0-9]*' | tr '\\n' ' '"),
                  "Profile-icc ")
            << name;
    }

    // Rendered to sRGB, the profiled photo loses about what a photo without a profile loses to
    // the same compression: a little more, as turning Adobe RGB into sRGB magnifies the
    // quantisation error (measured 37.5 dB against 40.2 dB); without its profile it would be
    // shown in the wrong colours (24.7 dB).
    for (const std::string name : {"adobe.jpg", "adobe-small.jpg"})
        Cli("convert " + At(name) + " -profile " + kSrgb + " " + At(name + ".srgb.png"));
    const double withProfile = Psnr(At("adobe-small.jpg.srgb.png"), At("adobe.jpg.srgb.png"));
    const double withoutProfile = Psnr(At("plain-small.jpg"), At("plain.jpg"));
    EXPECT_GT(withProfile, withoutProfile - 3.0);
    Cli("convert " + At("adobe-small.jpg") + " -strip " + At("as-if-stripped.png"));
    EXPECT_GT(withProfile, Psnr(At("as-if-stripped.png"), At("adobe.jpg.srgb.png")) + 10.0);

    // quality 100 keeps the metadata whole, as before
    ASSERT_TRUE(CompressImageFile(At("adobe.jpg"), At("adobe-same.jpg"), 100, 100, error)) << error;
    EXPECT_EQ(Identify("%c", "adobe-same.jpg"), "private");
}
