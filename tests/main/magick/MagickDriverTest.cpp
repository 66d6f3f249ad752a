#include "main/MagickDriver.h"
#include "main/MagickLeftovers.h"
#include "main/OutputNames.h"
#include "tests/main/magick/ExifKit.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/TestSupport.h"

#include <wand/MagickWand.h>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <future>
#include <set>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <tuple>
#include <unistd.h>
#include <vector>
#include <zlib.h>

using testsupport::Exists;
using testsupport::TempDir;

namespace
{
std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += (c == '\'') ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs a shell command of the test itself (making inputs, reading results with the CLI).
std::string Shell(const std::string& command)
{
    return testsupport::CommandOutput(command + " 2>/dev/null");
}

void MakeImage(const std::string& spec, const std::string& path)
{
    Shell("convert " + spec + " " + Quote(path));
    ASSERT_TRUE(Exists(path)) << path;
}

// "<format> <width>x<height>" of the first image of a file, read by the CLI from a copy
// under a plain name (the CLI would read an awkward name as syntax).
std::string Describe(const std::string& path)
{
    const std::string probe = testsupport::TestRoot() + "/probe";
    testsupport::WriteFile(probe, testsupport::ReadFile(path));
    return Shell("identify -format '%m %wx%h\\n' " + Quote(probe) + " | head -n 1");
}

std::set<std::string> Names(const std::string& folder)
{
    std::set<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str()))
    {
        while (dirent* entry = ::readdir(dir))
        {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.insert(name);
        }
        ::closedir(dir);
    }
    return names;
}

// One PNG chunk: length, type, data and CRC.
std::string PngChunk(const std::string& type, const std::string& data)
{
    std::string bytes;
    for (int shift : {24, 16, 8, 0})
        bytes += char((data.size() >> shift) & 0xff);
    bytes += type + data;
    const uLong crc = ::crc32(::crc32(0, reinterpret_cast<const Bytef*>(type.data()), 4),
                              reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
    for (int shift : {24, 16, 8, 0})
        bytes += char((crc >> shift) & 0xff);
    return bytes;
}

// The IHDR data of a square 8-bit RGB picture.
std::string RgbPngHeader(uint32_t side)
{
    std::string header;
    for (int i = 0; i < 2; ++i)
        for (int shift : {24, 16, 8, 0})
            header += char((side >> shift) & 0xff);
    return header + std::string("\x08\x02\0\0\0", 5);
}

class MagickDriver : public ::testing::Test
{
protected:
    void SetUp() override { MagickStartup(PICTAVO_MAGICK_CONFIG_DIR); }
    TempDir m_dir{"magick"};
    std::string In(const std::string& name) const { return m_dir / name; }
};
} // namespace

TEST_F(MagickDriver, ConvertsEveryInputTypeToEveryOutputType)
{
    const std::vector<std::string> inputs = {"png", "jpg", "jpeg", "bmp", "psd", "gif", "tif", "tiff"};
    for (const std::string& type : inputs)
        MakeImage("-size 32x24 gradient:red-blue", In("in." + type));
    Shell("heif-enc -q 90 -o " + Quote(In("in.heic")) + " " + Quote(In("in.png")));
    ASSERT_TRUE(Exists(In("in.heic")));

    const std::vector<std::pair<std::string, std::string>> outputs = {
        {"png", "PNG"}, {"jpg", "JPEG"}, {"bmp", "BMP"}};
    for (const std::string type : {"png", "jpg", "jpeg", "bmp", "psd", "gif", "tif", "tiff", "heic"})
    {
        for (const auto& [ext, format] : outputs)
        {
            const std::string out = m_dir / ("out-" + std::string(type) + "." + ext);
            std::string error;
            EXPECT_TRUE(ConvertImageFile(In(std::string("in.") + type), out, error)) << type << " " << error;
            EXPECT_EQ(Describe(out), format + " 32x24\n") << type << " -> " << ext;
        }
    }
}

TEST_F(MagickDriver, CompressionResizesAndStripsByQuality)
{
    MakeImage("-size 200x100 plasma:fractal -set comment keepme", In("photo.jpg"));
    std::string error = "untouched";
    ASSERT_TRUE(CompressImageFile(In("photo.jpg"), In("q100.jpg"), 100, 100, error));
    EXPECT_EQ(error, "untouched"); // no reason from ImageMagick leaves the caller's text
    EXPECT_EQ(Describe(In("q100.jpg")), "JPEG 200x100\n");
    EXPECT_EQ(Shell("identify -format '%c' " + Quote(In("q100.jpg"))), "keepme");

    ASSERT_TRUE(CompressImageFile(In("photo.jpg"), In("q99.jpg"), 10, 99, error));
    EXPECT_EQ(Describe(In("q99.jpg")), "JPEG 20x10\n");
    EXPECT_EQ(Shell("identify -format '%Q %c' " + Quote(In("q99.jpg"))), "99 ");

    ASSERT_TRUE(CompressImageFile(In("photo.jpg"), In("half.png"), 50, 80, error));
    EXPECT_EQ(Describe(In("half.png")), "PNG 100x50\n");
}

TEST_F(MagickDriver, SizeQueryReadsOneImageAndLeavesSeveralAlone)
{
    MakeImage("-size 640x480 xc:white", In("a.png"));
    int width = 0;
    int height = 0;
    std::string error;
    EXPECT_TRUE(GetImageSize(In("a.png"), width, height, error));
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);

    MakeImage("-size 10x10 xc:red xc:blue xc:green", In("three.gif"));
    width = height = 7;
    EXPECT_TRUE(GetImageSize(In("three.gif"), width, height, error));
    EXPECT_EQ(width, 7);
    EXPECT_EQ(height, 7);

    EXPECT_FALSE(GetImageSize(In("missing.png"), width, height, error));
    EXPECT_NE(error.find("missing.png"), std::string::npos) << error;
}

TEST_F(MagickDriver, MultiImageInputsWriteExactlyOneFile)
{
    MakeImage("-size 10x10 xc:red xc:blue xc:green", In("anim.gif"));
    MakeImage("-size 12x8 xc:red -size 30x30 xc:blue -adjoin", In("pages.tif"));
    MakeImage("-size 16x16 xc:red \\( -size 8x8 xc:blue \\) -adjoin", In("layers.psd"));
    std::string error;
    ASSERT_TRUE(ConvertImageFile(In("anim.gif"), In("anim.png"), error)) << error;
    ASSERT_TRUE(ConvertImageFile(In("pages.tif"), In("pages.jpg"), error)) << error;
    ASSERT_TRUE(ConvertImageFile(In("layers.psd"), In("layers.bmp"), error)) << error;
    EXPECT_EQ(Describe(In("pages.jpg")), "JPEG 12x8\n");
    EXPECT_EQ(Names(m_dir.path()), (std::set<std::string>{"anim.gif", "pages.tif", "layers.psd", "anim.png",
                                                          "pages.jpg", "layers.bmp"}));
}

TEST_F(MagickDriver, FileNamesAreDataNeverSyntax)
{
    const std::vector<std::string> names = {"a[1].png", "b%d.png", "c*.png",   "d?.png",    "png:e.png",
                                            "-f.png",   "g h.png", "图片.png", "@list.png", "j]k[.png"};
    MakeImage("-size 9x7 xc:red", In("cX.png")); // what "c*" or "c?" would expand to
    MakeImage("-size 9x7 xc:red", In("dX.png"));
    for (const std::string& name : names)
    {
        // made under a plain name: the CLI would read the name as syntax
        MakeImage("-size 9x7 xc:orange", In("plain.png"));
        ASSERT_EQ(std::rename(In("plain.png").c_str(), (m_dir / name).c_str()), 0) << name;
    }
    for (const std::string& name : names)
    {
        const std::string out = m_dir / ("out " + name + ".jpg");
        std::string error;
        ASSERT_TRUE(ConvertImageFile(m_dir / name, out, error)) << name << ": " << error;
        EXPECT_EQ(Describe(out), "JPEG 9x7\n") << name;
    }
    // one output per input and nothing else (no -0/-1 siblings, no glob fan-out)
    EXPECT_EQ(Names(m_dir.path()).size(), 2 + names.size() * 2);
}

TEST_F(MagickDriver, BadInputsFailWithTheRootReasonAndLeaveNoOutput)
{
    testsupport::WriteFile(In("garbage.jpg"), "this is not an image");
    testsupport::WriteFile(In("empty.png"), "");
    MakeImage("-size 300x300 plasma:", In("big.jpg"));
    const std::string whole = testsupport::ReadFile(In("big.jpg"));
    testsupport::WriteFile(In("cut.jpg"), whole.substr(0, 200));
    // Ends in the middle of its pixels: libjpeg only warns and fills the rest with grey.
    testsupport::WriteFile(In("half.jpg"), whole.substr(0, whole.size() * 6 / 10));
    for (const std::string name : {"garbage.jpg", "empty.png", "cut.jpg", "half.jpg", "missing.png"})
    {
        std::string error;
        EXPECT_FALSE(ConvertImageFile(In(name), In("out.png"), error)) << name;
        EXPECT_FALSE(error.empty()) << name;
        EXPECT_EQ(error.find(" @ "), std::string::npos) << error;
        EXPECT_EQ(error.find("fd:"), std::string::npos) << error;
        EXPECT_EQ(error.find(MagickTemporaryFolder()), std::string::npos) << error;
        EXPECT_FALSE(Exists(In("out.png"))) << name;
    }
    std::string error;
    EXPECT_FALSE(CompressImageFile(In("half.jpg"), In("half-small.jpg"), 50, 80, error));
    EXPECT_NE(error.find("Premature end of JPEG file `" + In("half.jpg") + "'"), std::string::npos) << error;
    EXPECT_FALSE(Exists(In("half-small.jpg")));

    // Stray bytes before a marker (common in camera files) are only a warning: it converts.
    const size_t afterApp0 =
        4 + ((static_cast<unsigned char>(whole[4]) << 8) | static_cast<unsigned char>(whole[5]));
    testsupport::WriteFile(In("stray.jpg"), whole.substr(0, afterApp0) + "abc" + whole.substr(afterApp0));
    error.clear();
    EXPECT_TRUE(ConvertImageFile(In("stray.jpg"), In("stray.png"), error)) << error;
    EXPECT_NE(error.find("extraneous bytes"), std::string::npos) << "the warning was there: " << error;
    EXPECT_EQ(Describe(In("stray.png")), "PNG 300x300\n");

    // a PNG named .jpg is still a picture: ImageMagick goes by its content
    MakeImage("-size 5x5 xc:blue", In("real.png"));
    std::rename(In("real.png").c_str(), In("named.jpg").c_str());
    EXPECT_TRUE(ConvertImageFile(In("named.jpg"), In("named.bmp"), error)) << error;
    // only the inputs and the good outputs are left: no temporary files
    for (const std::string& name : Names(m_dir.path()))
        EXPECT_NE(name.rfind(".~", 0), 0u) << name;
}

TEST_F(MagickDriver, FifosSocketsDevicesAndFoldersAreRefusedWithoutBlocking)
{
    ASSERT_EQ(::mkfifo(In("fifo.jpg").c_str(), 0600), 0);
    const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", In("socket.png").c_str());
    ASSERT_EQ(::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::symlink("/dev/zero", In("device.png").c_str()), 0);
    ASSERT_EQ(::mkdir(In("folder.png").c_str(), 0700), 0);
    MakeImage("-size 5x5 xc:blue", In("real.png"));

    using Call = std::function<bool(const std::string&, std::string&)>;
    const std::vector<std::pair<const char*, Call>> calls = {
        {"convert",
         [&](const std::string& in, std::string& e) { return ConvertImageFile(in, In("o.png"), e); }},
        {"compress", [&](const std::string& in,
                         std::string& e) { return CompressImageFile(in, In("o.jpg"), 50, 80, e); }},
        {"size",
         [](const std::string& in, std::string& e) {
             int w = 0, h = 0;
             return GetImageSize(in, w, h, e);
         }},
    };
    for (const std::string name : {"fifo.jpg", "socket.png", "device.png", "folder.png"})
    {
        for (const auto& [what, call] : calls)
        {
            std::string error;
            auto answer = std::async(std::launch::async, [&] { return call(In(name), error); });
            if (answer.wait_for(std::chrono::seconds(10)) != std::future_status::ready)
            {
                ADD_FAILURE() << what << " blocked on " << name;
                // a writer releases the blocked open, so the test ends instead of hanging
                ::close(::open(In("fifo.jpg").c_str(), O_WRONLY | O_NONBLOCK));
                answer.wait();
                continue;
            }
            EXPECT_FALSE(answer.get()) << what << " " << name;
            EXPECT_NE(error.find("`" + In(name) + "': not a regular file"), std::string::npos) << error;
        }
    }
    ::close(server);
    // the size query still answers for a real file
    int width = 0, height = 0;
    std::string error;
    EXPECT_TRUE(GetImageSize(In("real.png"), width, height, error));
    EXPECT_EQ(width, 5);
}

TEST_F(MagickDriver, ImagesPastTheSizeLimitsAreRefusedAtOnceAndA108MegapixelPhotoConverts)
{
    // A few dozen bytes that claim a huge picture: the header and one tiny compressed row.
    auto bomb = [this](const std::string& name, uint32_t side) {
        const std::string header = RgbPngHeader(side);
        const std::string row(16, '\0');
        std::string packed(64, '\0');
        uLongf packedSize = packed.size();
        ::compress(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                   reinterpret_cast<const Bytef*>(row.data()), row.size());
        packed.resize(packedSize);
        testsupport::WriteFile(In(name), std::string("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", header) +
                                             PngChunk("IDAT", packed) + PngChunk("IEND", ""));
    };
    bomb("claims-30000.png", 30000);
    bomb("claims-20000.png", 20000);
    ASSERT_LT(testsupport::ReadFile(In("claims-30000.png")).size(), 100u);
    for (const std::string name : {"claims-30000.png", "claims-20000.png"})
    {
        std::string error;
        EXPECT_FALSE(ConvertImageFile(In(name), In("bomb.jpg"), error));
        EXPECT_NE(error.find("image too large to convert `" + In(name) + "'"), std::string::npos) << error;
        EXPECT_FALSE(CompressImageFile(In(name), In("bomb.jpg"), 50, 80, error));
        EXPECT_NE(error.find("image too large to convert `" + In(name) + "'"), std::string::npos) << error;
        EXPECT_EQ(error.find(MagickTemporaryFolder()), std::string::npos) << error;
        EXPECT_FALSE(Exists(In("bomb.jpg")));
    }

    // Today's largest camera photos, 12000 x 9000, are well inside the limits.
    Shell("MAGICK_CONFIGURE_PATH=" + Quote(PICTAVO_MAGICK_CONFIG_DIR) +
          " convert -size 12000x9000 gradient:navy-orange -quality 85 " + Quote(In("photo108.jpg")));
    ASSERT_TRUE(Exists(In("photo108.jpg")));
    std::string error;
    ASSERT_TRUE(CompressImageFile(In("photo108.jpg"), In("photo108-half.jpg"), 50, 80, error)) << error;
    EXPECT_EQ(Shell("identify -ping -format '%wx%h' " + Quote(In("photo108-half.jpg"))), "6000x4500");
}

namespace
{
// A real 15000 x 15000 PNG of one colour (225 megapixels in 700 KB): its rows, deflated as
// they are made.
void WriteLargeFlatPng(const std::string& path)
{
    constexpr uint32_t kSide = 15000;
    const std::string header = RgbPngHeader(kSide);
    std::string row(1 + 3 * kSide, '\0');
    for (size_t i = 1; i < row.size(); i += 3)
        row.replace(i, 3, "\x20\x90\xd0");
    z_stream stream = {};
    ::deflateInit(&stream, 1);
    std::string packed;
    std::string buffer(1 << 16, '\0');
    for (uint32_t y = 0; y <= kSide; ++y)
    {
        stream.next_in = reinterpret_cast<Bytef*>(row.data());
        stream.avail_in = y < kSide ? static_cast<uInt>(row.size()) : 0;
        do
        {
            stream.next_out = reinterpret_cast<Bytef*>(buffer.data());
            stream.avail_out = static_cast<uInt>(buffer.size());
            ::deflate(&stream, y < kSide ? Z_NO_FLUSH : Z_FINISH);
            packed.append(buffer.data(), buffer.size() - stream.avail_out);
        } while (stream.avail_out == 0);
    }
    ::deflateEnd(&stream);
    testsupport::WriteFile(path, std::string("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", header) +
                                     PngChunk("IDAT", packed) + PngChunk("IEND", ""));
}
} // namespace

TEST_F(MagickDriver, AnImagePastTheCacheLimitsFailsWithItsReasonAndLeavesNoFile)
{
    WriteLargeFlatPng(In("real_225mp.png"));
    // Past the memory the policy keeps pixels in; a disk that can take no more than 1 GiB of
    // pixel cache (as when it is nearly full).
    const MagickSizeType disk = GetMagickResourceLimit(DiskResource);
    ASSERT_EQ(SetMagickResourceLimit(DiskResource, MagickSizeType{1} << 30), MagickTrue);
    std::string convertError, compressError;
    const bool converted = ConvertImageFile(In("real_225mp.png"), In("real_225mp.jpg"), convertError);
    const bool compressed = CompressImageFile(In("real_225mp.png"), In("small.jpg"), 50, 80, compressError);
    SetMagickResourceLimit(DiskResource, disk);
    for (const auto& [ok, error] : {std::pair{converted, convertError}, std::pair{compressed, compressError}})
    {
        EXPECT_FALSE(ok);
        EXPECT_NE(error.find("image too large to convert `" + In("real_225mp.png") +
                             "' (cache resources exhausted)"),
                  std::string::npos)
            << error;
    }
    EXPECT_EQ(Names(m_dir.path()), std::set<std::string>{"real_225mp.png"}) << "no output, empty or hidden";
}

TEST_F(MagickDriver, ATemporaryFolderWithoutRoomForThePixelsFailsTheFileAndTheProgramLives)
{
    WriteLargeFlatPng(In("real_225mp.png"));
    // The converter, in a mount namespace of its own, with its temporary folder on a file
    // system of 64 MiB, as on a nearly full disk: the 1.8 GB pixel cache, past the memory the
    // policy allows, has no room there. A cache file mapped with holes killed the program with
    // SIGBUS at the first page the disk could not hold.
    const std::string small = In("small-tmp");
    ASSERT_EQ(::mkdir(small.c_str(), 0700), 0);
    const std::string answer = Shell(
        "( unshare -rm true || exit 77 ) && "
        "unshare -rm sh -c 'mount -t tmpfs -o size=64m tmpfs \"$0\" || exit 77; TMPDIR=\"$0\" exec \"$@\"' " +
        Quote(small) + " " + Quote(testsupport::TestBinaryDir() + "/magick_convert") + " " +
        Quote(PICTAVO_MAGICK_CONFIG_DIR) + " " + Quote(In("real_225mp.png")) + " " +
        Quote(In("real_225mp.jpg")) + " 2>&1; echo \"status=$?\"");
    if (answer.find("status=77") != std::string::npos)
        GTEST_SKIP() << "no mount namespace here: " << answer;
    EXPECT_NE(answer.find("image too large to convert `" + In("real_225mp.png") +
                          "' (no room for its pixels in the temporary folder)\nstatus=1"),
              std::string::npos)
        << answer;
    EXPECT_EQ(Names(m_dir.path()), (std::set<std::string>{"real_225mp.png", "small-tmp"}))
        << "no output, empty or hidden";
}

TEST_F(MagickDriver, ErrorTextsNameTheUsersFilesNeverADescriptor)
{
    // A small file of a large picture, and a disk that fills up: every write past 8 KiB fails
    // as it would with no space left.
    MakeImage("-size 1200x1200 pattern:checkerboard", In("board.png"));
    ASSERT_LT(testsupport::ReadFile(In("board.png")).size(), 8192u);
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ::getrlimit(RLIMIT_FSIZE, &previous);
    rlimit small = previous;
    small.rlim_cur = 8192;
    ::setrlimit(RLIMIT_FSIZE, &small);
    std::string bmpError, pngError, jpgError;
    const bool bmp = ConvertImageFile(In("board.png"), In("full.bmp"), bmpError);
    const bool png = CompressImageFile(In("board.png"), In("full.png"), 150, 100, pngError);
    const bool jpg = CompressImageFile(In("board.png"), In("full.jpg"), 100, 95, jpgError);
    ::setrlimit(RLIMIT_FSIZE, &previous);
    for (const auto& [ok, error, out] :
         {std::tuple{bmp, bmpError, In("full.bmp")}, std::tuple{png, pngError, In("full.png")},
          std::tuple{jpg, jpgError, In("full.jpg")}})
    {
        EXPECT_FALSE(ok) << out;
        EXPECT_EQ(error.find("fd:"), std::string::npos) << error;
        EXPECT_NE(error.find("`" + out + "'"), std::string::npos) << error;
        EXPECT_FALSE(Exists(out));
    }
    for (const std::string& name : Names(m_dir.path()))
        EXPECT_NE(name.rfind(".~", 0), 0u) << name;
}

TEST_F(MagickDriver, ReadFailuresNameTheInputWithImageMagicksReason)
{
    MakeImage("-size 300x200 plasma:", In("good.png"));
    const std::string png = testsupport::ReadFile(In("good.png"));
    testsupport::WriteFile(In("cut.png"), png.substr(0, png.size() / 2));
    std::string damaged = png;
    damaged[png.size() / 2] = static_cast<char>(damaged[png.size() / 2] ^ 0x5a);
    testsupport::WriteFile(In("damaged.png"), damaged);
    // a directory past the end of the file: libtiff names ImageMagick's temporary copy
    testsupport::WriteFile(In("bad.tif"), std::string("II*\0\xff\xff\0\0", 8) + std::string(64, '\0'));
    testsupport::WriteFile(In("script.jpg"), "%!PS\n/Times findfont\nshowpage\n");
    testsupport::WriteFile(In("drawing.png"),
                           "push graphic-context\nviewbox 0 0 10 10\npop graphic-context\n");
    MakeImage("-size 64x48 plasma:", In("src.png"));
    Shell("heif-enc -q 80 -o " + Quote(In("photo.heic")) + " " + Quote(In("src.png")));
    const std::string heic = testsupport::ReadFile(In("photo.heic"));
    ASSERT_GT(heic.size(), 100u);
    testsupport::WriteFile(In("cut.heic"), heic.substr(0, heic.size() / 2));
    for (const std::string name :
         {"cut.png", "damaged.png", "bad.tif", "script.jpg", "drawing.png", "cut.heic"})
    {
        for (const std::string out : {"out.jpg", "out.png"})
        {
            std::string error;
            EXPECT_FALSE(ConvertImageFile(In(name), In(out), error)) << name;
            const std::string prefix = "unable to read image `" + In(name) + "': ";
            EXPECT_EQ(error.rfind(prefix, 0), 0u) << error;
            EXPECT_GT(error.size(), prefix.size()) << "ImageMagick's reason follows: " << error;
            for (const std::string& never :
                 {std::string("fd:"), std::string("mpr:"), MagickTemporaryFolder(), In(out)})
                EXPECT_EQ(error.find(never), std::string::npos) << never << " in " << error;
            EXPECT_FALSE(Exists(In(out)));
        }
    }
    std::string error;
    EXPECT_FALSE(CompressImageFile(In("script.jpg"), In("small.jpg"), 50, 80, error));
    EXPECT_NE(error.find("unable to read image `" + In("script.jpg") + "': "), std::string::npos) << error;
    EXPECT_NE(error.find("security policy"), std::string::npos) << error;
}

TEST_F(MagickDriver, LeavingStopsARunningCommandAndItsOutputNeverAppears)
{
    MakeImage("-size 2500x2500 xc:gray +noise Random", In("large.png"));
    std::string error;
    std::atomic<bool> done{false};
    bool ok = true;
    std::thread worker([&] {
        ok = CompressImageFile(In("large.png"), In("larger.png"), 400, 100, error);
        done = true;
    });
    // Once its hidden output exists the command has begun.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    auto started = [this] {
        for (const std::string& name : Names(m_dir.path()))
            if (name.rfind(".~larger.png.", 0) == 0)
                return true;
        return false;
    };
    while (!started() && !done && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(started() || done);
    MagickAbortCommands();
    worker.join();
    EXPECT_FALSE(ok);
    EXPECT_NE(error.find("the program is closing `" + In("large.png") + "'"), std::string::npos) << error;
    EXPECT_EQ(Names(m_dir.path()), std::set<std::string>{"large.png"}) << "no output, no hidden file";
    // nothing starts any more
    EXPECT_FALSE(ConvertImageFile(In("large.png"), In("late.png"), error));
    EXPECT_FALSE(Exists(In("late.png")));
}

TEST_F(MagickDriver, LeftoversOfAKilledConversionGoAtTheNextStartAndLiveOnesStay)
{
    MakeImage("-size 3000x3000 xc:gray +noise Random -quality 95", In("photo.jpg"));
    // ImageMagick of this process keeps its temporary files in a folder of its own.
    const std::string ownFolder = MagickTemporaryFolder();
    ASSERT_FALSE(ownFolder.empty());
    ASSERT_EQ(ownFolder, testsupport::TestRoot() + "/tmp/pictavo-magick-" + std::to_string(::getpid()));

    testsupport::ChildProcess converter;
    ASSERT_TRUE(
        converter.Start("magick_convert", {PICTAVO_MAGICK_CONFIG_DIR, In("photo.jpg"), In("photo.png")}));
    const std::string hidden = ".~photo.png." + std::to_string(converter.Pid()) + "-0.png";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!Exists(In(hidden)) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    converter.Kill(SIGKILL);
    converter.Wait();
    const std::string childFolder =
        testsupport::TestRoot() + "/tmp/pictavo-magick-" + std::to_string(converter.Pid());
    ASSERT_TRUE(Exists(In(hidden))) << "killed while writing";
    ASSERT_TRUE(Exists(childFolder));
    testsupport::WriteFile(childFolder + "/magick-copy", "what ImageMagick was working on");

    // A running conversion's files and the user's own files that merely look alike stay.
    const std::string live = HiddenOutputName("busy.png", 7, "png");
    for (const std::string& name : {live, std::string(".~notes.txt"), std::string("holiday.123-4.png"),
                                    std::string(".~x.png.abc-1.png")})
        testsupport::WriteFile(In(name), "keep");
    testsupport::WriteFile(ownFolder + "/magick-working", "in use");

    RemoveDeadHiddenOutputs(m_dir.path());
    RemoveDeadMagickFolders();
    EXPECT_FALSE(Exists(In(hidden)));
    EXPECT_FALSE(Exists(childFolder));
    EXPECT_EQ(Names(m_dir.path()), (std::set<std::string>{"photo.jpg", live, ".~notes.txt",
                                                          "holiday.123-4.png", ".~x.png.abc-1.png"}));
    EXPECT_TRUE(Exists(ownFolder + "/magick-working"));
    std::remove((ownFolder + "/magick-working").c_str());
}

TEST_F(MagickDriver, OutputFolderProblemsFailCleanly)
{
    MakeImage("-size 5x5 xc:blue", In("in.png"));
    std::string error;
    EXPECT_FALSE(ConvertImageFile(In("in.png"), m_dir / "no/such/folder/out.jpg", error));
    EXPECT_NE(error.find("out.jpg"), std::string::npos) << error;

    const std::string locked = m_dir / "locked";
    ::mkdir(locked.c_str(), 0500);
    if (::geteuid() != 0) // root writes anywhere
    {
        EXPECT_FALSE(ConvertImageFile(In("in.png"), locked + "/out.jpg", error));
        EXPECT_TRUE(Names(locked).empty());
    }
}

TEST_F(MagickDriver, AnExistingFileIsNeverReplacedAndRacingWritersEachKeepTheirOutput)
{
    // The user's own same.png, a different 16-bit picture, stands where same.bmp would go.
    MakeImage("-size 7x5 gradient:red-blue -depth 16", In("same.png"));
    MakeImage("-size 5x5 xc:blue", In("same.bmp"));
    const std::string users = testsupport::ReadFile(In("same.png"));
    std::string error;
    std::string written;
    ASSERT_TRUE(ConvertImageFile(In("same.bmp"), In("same.png"), error, &written)) << error;
    EXPECT_EQ(written, In("same (2).png"));
    EXPECT_EQ(Describe(written), "PNG 5x5\n");
    // the input itself is such a file; compression into its own folder takes the next name
    ASSERT_TRUE(ConvertImageFile(In("same.png"), In("same.png"), error, &written)) << error;
    EXPECT_EQ(written, In("same (3).png"));
    ASSERT_TRUE(CompressImageFile(In("same.png"), m_dir / "./same.png", 50, 80, error, &written)) << error;
    EXPECT_EQ(written, m_dir / "./same (4).png");
    EXPECT_EQ(testsupport::ReadFile(In("same.png")), users);

    // Eight writers of one name at once: eight complete files under eight names.
    MakeImage("-size 300x200 plasma:", In("src.jpg"));
    std::vector<std::string> names(8);
    std::vector<std::thread> writers;
    for (size_t i = 0; i < names.size(); ++i)
        writers.emplace_back([&, i] {
            std::string e;
            if (!ConvertImageFile(In("src.jpg"), In("race.png"), e, &names[i]))
                names[i] = "failed: " + e;
        });
    for (std::thread& writer : writers)
        writer.join();
    std::set<std::string> expected = {In("race.png")};
    for (int n = 2; n <= 8; ++n)
        expected.insert(In("race (" + std::to_string(n) + ").png"));
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), expected);
    for (const std::string& name : expected)
        EXPECT_EQ(Describe(name), "PNG 300x200\n") << name;

    // " (n)" goes before the extension of the file name, never into a folder's name
    EXPECT_EQ(NumberedName("/a.b/c", 2), "/a.b/c (2)");
    EXPECT_EQ(NumberedName("/a/odd.", 3), "/a/odd (3).");
    EXPECT_EQ(NumberedName("/a/x.tar.png", 2), "/a/x.tar (2).png");
}

TEST_F(MagickDriver, PhotosKeepOrientationAndJpegGetsWhiteBehindTransparency)
{
    // an 80x40 JPEG whose EXIF orientation says "rotate 90 degrees"
    MakeImage("-size 80x40 xc:red", In("rot.jpg"));
    AddExifOrientation(In("rot.jpg"), 6);
    std::string error;
    ASSERT_TRUE(CompressImageFile(In("rot.jpg"), In("rot-small.jpg"), 50, 90, error)) << error;
    EXPECT_EQ(Describe(In("rot-small.jpg")), "JPEG 20x40\n");
    ASSERT_TRUE(ConvertImageFile(In("rot.jpg"), In("rot.png"), error)) << error;
    EXPECT_EQ(Describe(In("rot.png")), "PNG 40x80\n");

    MakeImage("-size 10x10 xc:none", In("clear.png"));
    ASSERT_TRUE(ConvertImageFile(In("clear.png"), In("clear.jpg"), error)) << error;
    EXPECT_EQ(Shell("convert " + Quote(In("clear.jpg")) + " -format '%[fx:int(255*mean)]' info:"), "255");
}

TEST_F(MagickDriver, ThreeWorkersAndASizeQueryRunAtOnce)
{
    MakeImage("-size 300x200 plasma:", In("src.jpg"));
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int worker = 0; worker < 3; ++worker)
    {
        threads.emplace_back([&, worker] {
            for (int i = 0; i < 8; ++i)
            {
                std::string error;
                const std::string out =
                    m_dir / ("w" + std::to_string(worker) + "-" + std::to_string(i) + ".png");
                const bool ok = worker == 2 ? CompressImageFile(In("src.jpg"), out, 50, 70, error)
                                            : ConvertImageFile(In("src.jpg"), out, error);
                if (!ok)
                    ++failures;
            }
        });
    }
    threads.emplace_back([&] {
        for (int i = 0; i < 20; ++i)
        {
            int w = 0, h = 0;
            std::string error;
            if (!GetImageSize(In("src.jpg"), w, h, error) || w != 300 || h != 200)
                ++failures;
        }
    });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(Names(m_dir.path()).size(), 1u + 24u);
}

TEST_F(MagickDriver, CommandsAfterShutdownFail)
{
    MakeImage("-size 5x5 xc:blue", In("in.png"));
    MagickShutdown();
    std::string error;
    EXPECT_FALSE(ConvertImageFile(In("in.png"), In("out.png"), error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(Exists(In("out.png")));
    MagickShutdown(); // a second shutdown is harmless
}
