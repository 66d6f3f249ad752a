// The encoder and decoder settings that make conversions faster must never change what the user
// gets: each output is checked against ImageMagick's command line doing the plain conversion.

#include "main/HevcThreads.h"
#include "main/MagickDriver.h"
#include "main/PixelBlocks.h"
#include "tests/main/magick/ExifKit.h"
#include "tests/support/Mappings.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <wand/MagickWand.h>

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <vector>

using testsupport::Exists;
using testsupport::TempDir;

namespace
{
// The CLI's answer (stdout and stderr) to a command on the test's own plain file names.
std::string Cli(const std::string& command)
{
    return testsupport::CommandOutput(command + " 2>&1");
}

long long Bytes(const std::string& path)
{
    struct stat st = {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

double Psnr(const std::string& image, const std::string& reference)
{
    return std::stod(Cli("compare -metric PSNR " + image + " " + reference + " null:"));
}

class EncoderSettings : public ::testing::Test
{
protected:
    void SetUp() override { MagickStartup(PICTAVO_MAGICK_CONFIG_DIR); }
    void Make(const std::string& recipe, const std::string& name)
    {
        Cli("convert " + recipe + " " + At(name));
        ASSERT_TRUE(Exists(At(name))) << recipe;
    }
    std::string At(const std::string& name) const { return m_dir / name; }
    TempDir m_dir{"encoder"};
};
} // namespace

TEST_F(EncoderSettings, PngOutputKeepsEveryPixelAndNeverGrowsAnyKindOfPicture)
{
    Make("-size 900x600 -seed 7 plasma:fractal -attenuate 0.4 +noise Gaussian -quality 90", "noisy.jpg");
    Make("-size 900x600 -seed 7 plasma:fractal -blur 0x2 -quality 90", "photo.jpg");
    Make("-size 900x600 -seed 7 plasma:fractal -blur 0x12 -quality 85", "gradient.jpg");
    Make("-size 900x600 -seed 7 plasma:fractal -quality 90", "turned.jpg");
    AddExifOrientation(At("turned.jpg"), 6);
    Make("-size 900x600 xc:white -fill '#3a7bd5' -draw 'rectangle 60,60 400,300' -fill '#f2994a' "
         "-draw 'circle 600,300 600,500' -stroke black -strokewidth 3 -draw 'line 0,550 900,580'",
         "graphics-in.png");
    for (const std::string name : {"noisy", "photo", "gradient", "turned", "graphics"})
    {
        const std::string input = At(name + (name == "graphics" ? "-in.png" : ".jpg"));
        std::string error;
        ASSERT_TRUE(ConvertImageFile(input, At(name + ".png"), error)) << name << ": " << error;
        Cli("convert " + input + " -auto-orient " + At(name + "-plain.png"));
        EXPECT_EQ(Cli("identify -format '%w %h %#' " + At(name + ".png")),
                  Cli("identify -format '%w %h %#' " + At(name + "-plain.png")))
            << name;
        EXPECT_LE(Bytes(At(name + ".png")), Bytes(At(name + "-plain.png")) * 101 / 100) << name;
    }
}

TEST_F(EncoderSettings, ShrunkJpegsKeepTheirExactSizeAndTheirQuality)
{
    Make("-size 1203x805 -seed 7 plasma:fractal -attenuate 0.3 +noise Gaussian -quality 92", "photo.jpg");
    Make("-size 1203x805 -seed 7 plasma:fractal -quality 90", "turned.jpg");
    AddExifOrientation(At("turned.jpg"), 6);
    for (const std::string name : {"photo", "turned"})
    {
        const std::string input = At(name + ".jpg");
        for (const int resize : {7, 10, 13, 25, 26, 50})
        {
            for (const int quality : {70, 100})
            {
                const std::string tag = name + "-" + std::to_string(resize) + "-" + std::to_string(quality);
                const std::string percent = std::to_string(resize) + "%";
                std::string error;
                ASSERT_TRUE(CompressImageFile(input, At(tag + ".jpg"), resize, quality, error))
                    << tag << error;
                // what the same command gives from the full decode
                if (quality == 100)
                    Cli("convert " + input + " -auto-orient -resize " + percent + " " +
                        At(tag + "-full.jpg"));
                else
                    Cli("convert -resize " + percent + " -strip -quality 70 " + input + " -auto-orient " +
                        At(tag + "-full.jpg"));
                EXPECT_EQ(Cli("identify -format '%w %h %Q' " + At(tag + ".jpg")),
                          Cli("identify -format '%w %h %Q' " + At(tag + "-full.jpg")))
                    << tag;
                if (quality == 100 || resize > 25)
                    continue;
                // against the uncompressed full-decode resize: as close as the full-decode output
                Cli("convert " + input + " -auto-orient -resize " + percent + " " +
                    At(tag + "-reference.png"));
                EXPECT_GE(Psnr(At(tag + ".jpg"), At(tag + "-reference.png")),
                          Psnr(At(tag + "-full.jpg"), At(tag + "-reference.png")) - 0.1)
                    << tag;
                EXPECT_LE(Bytes(At(tag + ".jpg")), Bytes(At(tag + "-full.jpg")) * 101 / 100) << tag;
            }
        }
    }
}

TEST_F(EncoderSettings, PixelMemoryOfOneFileServesTheNextWithoutCarryingItsPixels)
{
    Make("-size 2000x1200 xc:gray -seed 3 +noise Random -quality 92", "first.jpg");
    Make("-size 2000x1200 gradient:'#a04020-#2040a0' -quality 92", "second.jpg");
    Make("-size 2400x1800 xc:'#204080' -fill white -draw 'circle 1200,900 1200,100'", "larger.png");
    constexpr size_t kFirstPixels = 2000u * 1200u * 8u; // 16 bits a channel, four channels
    constexpr size_t kLargerPixels = 2400u * 1800u * 8u;
    MagickReleaseMemory();
    ASSERT_EQ(PixelBlocks::ParkedBytes(), 0u);
    std::vector<size_t> parked;
    for (const std::string input : {"first.jpg", "second.jpg", "larger.png", "first.jpg"})
    {
        const std::string output = At(input + "-" + std::to_string(parked.size()) + ".png");
        std::string error;
        ASSERT_TRUE(ConvertImageFile(At(input), output, error)) << input << ": " << error;
        parked.push_back(PixelBlocks::ParkedBytes());
        // every pixel as a fresh command line makes it, whatever the memory held before
        Cli("convert " + At(input) + " -auto-orient " + At("plain.png"));
        EXPECT_EQ(Cli("identify -format '%w %h %#' " + output),
                  Cli("identify -format '%w %h %#' " + At("plain.png")))
            << input;
    }
    // The first file's blocks wait for the next one, which takes them instead of new ones; they
    // are no more than the command held at once (its pixel cache and a coder's buffer).
    EXPECT_GE(parked[0], kFirstPixels);
    EXPECT_LT(parked[0], 3 * kFirstPixels);
    EXPECT_EQ(parked[1], parked[0]);
    // A larger picture's block replaces them rather than standing beside them, and serves a
    // smaller file after it.
    EXPECT_GE(parked[2], kLargerPixels);
    EXPECT_LT(parked[2], kFirstPixels + kLargerPixels);
    EXPECT_GE(parked[3], kLargerPixels);
    EXPECT_LT(parked[3], kLargerPixels + parked[0]);
    // Ordinary pages: on a virtual machine a huge page is one the host may have taken back and
    // faults in again, which cost more than the whole conversion.
    void* block = AcquireAlignedMemory(1, kLargerPixels);
    ASSERT_NE(block, nullptr);
    EXPECT_NE(testsupport::MappingOf(block).second, "");
    EXPECT_FALSE(testsupport::AdvisedForHugePages(block));
    RelinquishAlignedMemory(block);
    MagickReleaseMemory();
    EXPECT_EQ(PixelBlocks::ParkedBytes(), 0u);
}

TEST_F(EncoderSettings, HeicDecodesWithAWorkerForEachCoreToTheSamePixels)
{
    Make("-size 1200x800 -seed 5 plasma:fractal -blur 0x1", "photo.png");
    Cli("heif-enc -q 80 -o " + At("photo.heic") + " " + At("photo.png"));
    ASSERT_TRUE(Exists(At("photo.heic")));
    const int raisedBefore = HevcThreads::RaisedStarts();
    std::string error;
    ASSERT_TRUE(ConvertImageFile(At("photo.heic"), At("photo-out.png"), error)) << error;
    // libheif's own tool decodes with a single worker
    Cli("heif-convert " + At("photo.heic") + " " + At("plain.png"));
    // the same picture; the 10 bits of this HEIC are scaled to 16 a little more exactly
    EXPECT_EQ(Cli("identify -format '%w %h %z' " + At("photo-out.png")),
              Cli("identify -format '%w %h %z' " + At("plain.png")));
    EXPECT_GT(Psnr(At("photo-out.png"), At("plain.png")), 60.0);
    if (HevcThreads::PerDecoder() > 1)
    {
        EXPECT_GT(HevcThreads::RaisedStarts(), raisedBefore);
    }
}
