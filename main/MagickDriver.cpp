#include "main/MagickDriver.h"

#include "common/base/StringHelper.h"
#include "main/HeifPicture.h"
#include "main/MagickLeftovers.h"
#include "main/OutputNames.h"
#include "main/PixelBlocks.h"
#include "main/PngProfile.h"
#include "platform/PathParts.h"
#include "platform/UniqueFd.h"

#include <wand/MagickWand.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <malloc.h>
#include <mutex>
#include <shared_mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
// Commands run under a shared lock; the shutdown takes it exclusively, so ImageMagick is
// never torn down under a running command.
std::shared_mutex g_magickLock;
std::once_flag g_startOnce;
bool g_stopped = false; // guarded by g_magickLock

constexpr const char* kShutDownText = "ImageMagick has been shut down";

// Set when the program leaves: a running command stops at its next progress report, so a
// large image never keeps a closing program alive.
std::atomic<bool> g_abort{false};

MagickBooleanType ContinueUnlessLeaving(const char*, const MagickOffsetType, const MagickSizeType, void*)
{
    return g_abort.load() ? MagickFalse : MagickTrue;
}

void StartOnce(const std::string& configDir)
{
    std::call_once(g_startOnce, [&configDir] {
        if (!configDir.empty())
            ::setenv("MAGICK_CONFIGURE_PATH", configDir.c_str(), 1);
        // Its temporary files go to a folder of this process, so that a later start can tell
        // what a killed one left behind.
        if (const std::string temp = MagickTemporaryFolder(); !temp.empty())
            ::setenv("MAGICK_TEMPORARY_PATH", temp.c_str(), 1);
        PixelBlocks::Install();
        MagickCoreGenesis("Pictavo", MagickFalse);
    });
}

std::string Basename(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// "png", "jpg", ... of a path, lower case; empty when there is none.
std::string LowerExtension(const std::string& path)
{
    const std::string name = Basename(path);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return std::string();
    std::string ext = name.substr(dot + 1);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

// The coder that writes an output extension; the output is named by descriptor, so the
// format has to be given explicitly.
std::string CoderFor(const std::string& ext)
{
    if (ext == "jpg" || ext == "jpeg")
        return "JPEG";
    std::string coder = ext;
    for (char& c : coder)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return coder;
}

std::string SystemReason(const char* what, const std::string& path)
{
    return std::string(what) + " `" + path + "': " + std::strerror(errno);
}

// A socket opens with ENXIO; FIFOs and devices open and are refused by their type.
std::string NotRegularReason(const std::string& path)
{
    return "unable to open image `" + path + "': not a regular file";
}

// ImageMagick reads an input named only "fd:N" from a copy: to find its format by the first
// bytes it needs a seekable file, and it never seeks a descriptor, so it first writes the whole
// input to its temporary folder and decodes that (a 16-bit photo PNG: 64 MB written and read
// back for every file). The coder named in front of the descriptor reads it directly. The
// coder is the one ImageMagick itself finds by the same first bytes, read through the
// descriptor's /proc name, so every file gets the decoder it would get anyway; only JPEG and
// PNG, which decode in one pass, are named (the other coders copy a descriptor all the same).
std::string DirectCoder(int fd)
{
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    ImageInfo* info = AcquireImageInfo();
    (void)CopyMagickString(info->filename, path.c_str(), MaxTextExtent);
    ExceptionInfo* exception = AcquireExceptionInfo();
    const bool found = SetImageInfo(info, 0, exception) != MagickFalse;
    const std::string coder = found ? info->magick : "";
    DestroyExceptionInfo(exception);
    DestroyImageInfo(info);
    return coder == "JPEG" || coder == "PNG" ? coder : std::string();
}

// The input image, opened by us and read by ImageMagick through its descriptor.
class InputImage
{
public:
    bool Open(const std::string& ansiPath, std::string& error)
    {
        const std::string path = AnsiToUtf8(ansiPath);
        m_path = path;
        // Non-blocking, so that a FIFO or a device named like an image is refused here instead
        // of blocking the open until a writer appears; a regular file is then read normally.
        m_fd.reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
        if (!m_fd)
        {
            error = errno == ENXIO ? NotRegularReason(path) : SystemReason("unable to open image", path);
            return false;
        }
        struct stat st = {};
        if (::fstat(m_fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        {
            error = NotRegularReason(path);
            return false;
        }
        const int flags = ::fcntl(m_fd.get(), F_GETFL);
        if (flags < 0 || ::fcntl(m_fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
        {
            error = SystemReason("unable to open image", path);
            return false;
        }
        m_coder = DirectCoder(m_fd.get());
        return true;
    }
    ~InputImage()
    {
        if (!m_memoryKey.empty())
            (void)DeleteImageRegistry(m_memoryKey.c_str());
    }
    // A HEIF input is decoded here, through libheif, and handed to the command in memory.
    bool DecodeHeif(std::string& error)
    {
        if (!HeifPicture::IsHeif(m_fd.get()))
            return true;
        ImageInfo* info = AcquireImageInfo();
        Image* image = HeifPicture::Decode(m_fd.get(), m_path, info, error);
        DestroyImageInfo(info);
        if (image == nullptr)
            return false;
        static std::atomic<unsigned> counter{0};
        m_memoryKey = "pictavo-heif-" + std::to_string(counter.fetch_add(1));
        ExceptionInfo* exception = AcquireExceptionInfo();
        const bool kept =
            SetImageRegistry(ImageRegistryType, m_memoryKey.c_str(), image, exception) != MagickFalse;
        DestroyExceptionInfo(exception);
        DestroyImage(image);
        if (!kept)
        {
            m_memoryKey.clear();
            error = "unable to read image `" + m_path + "': memory allocation failed";
        }
        return kept;
    }
    std::string Argument() const
    {
        if (!m_memoryKey.empty())
            return "mpr:" + m_memoryKey;
        return (m_coder.empty() ? "" : m_coder + ":") + "fd:" + std::to_string(m_fd.get());
    }
    // The name ImageMagick may use for a picture handed over in memory; empty otherwise.
    const std::string& MemoryKey() const { return m_memoryKey; }
    bool IsMemory() const { return !m_memoryKey.empty(); }
    int Descriptor() const { return m_fd.get(); }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
    std::string m_memoryKey;
    std::string m_coder; // read directly through the descriptor when set
    platform::UniqueFd m_fd;
};

// A hidden temporary file beside the final output, with the same extension. It becomes the
// output only through Commit, under the first free name, so a failed or interrupted
// conversion never leaves a partial or empty file and never replaces an existing one.
class OutputImage
{
public:
    bool Create(const std::string& ansiPath, std::string& error)
    {
        const std::string finalPath = AnsiToUtf8(ansiPath);
        static std::atomic<unsigned> counter{0};
        m_final = finalPath;
        const std::string ext = LowerExtension(finalPath);
        std::string stem = Basename(finalPath).substr(0, 64);
        for (int attempt = 0; attempt < 100; ++attempt)
        {
            m_temp =
                platform::ParentFolder(finalPath) + "/" + HiddenOutputName(stem, counter.fetch_add(1), ext);
            m_fd.reset(::open(m_temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
            if (m_fd || errno != EEXIST)
                break;
        }
        if (!m_fd)
        {
            error = SystemReason("unable to open image", finalPath);
            m_temp.clear();
            return false;
        }
        m_coder = CoderFor(ext);
        return true;
    }
    ~OutputImage()
    {
        m_fd.reset();
        if (!m_temp.empty())
            ::unlink(m_temp.c_str());
    }
    std::string Argument() const
    {
        const std::string fd = "fd:" + std::to_string(m_fd.get());
        return m_coder.empty() ? fd : m_coder + ":" + fd;
    }
    int Descriptor() const { return m_fd.get(); }
    bool IsJpeg() const { return m_coder == "JPEG"; }
    bool IsPng() const { return m_coder == "PNG"; }
    // A PNG written stripped gets this ICC profile back before it is committed.
    void KeepPngProfile(const std::string& profile) { m_pngProfile = profile; }
    // The name actually written, once committed.
    const std::string& Written() const { return m_written; }
    bool Commit(std::string& error)
    {
        if (!m_pngProfile.empty() && !InsertPngProfile(m_fd.get(), m_pngProfile))
        {
            error = SystemReason("unable to write image", m_final);
            return false;
        }
        struct stat st = {};
        if (::fstat(m_fd.get(), &st) == 0 && st.st_size == 0)
        {
            error = "unable to write image `" + m_final + "': no image data was written";
            return false;
        }
        // The close reports a late write error of the file system.
        if (!m_fd.Close() || !MoveToFreeName(m_temp, m_final, m_written))
        {
            error = SystemReason("unable to write image", m_final);
            return false;
        }
        m_temp.clear();
        return true;
    }

private:
    std::string m_final;
    std::string m_temp;
    std::string m_written;
    std::string m_coder;
    std::string m_pngProfile;
    platform::UniqueFd m_fd;
};

// One command's exception and image-info objects.
class CommandContext
{
public:
    explicit CommandContext(bool firstImageOnly)
        : m_exception(AcquireExceptionInfo()), m_info(AcquireImageInfo())
    {
        (void)SetImageInfoProgressMonitor(m_info, ContinueUnlessLeaving, nullptr);
        if (firstImageOnly)
        {
            // Read only the first image (the composite of a psd): one input, one output file.
            m_info->scene = 0;
            m_info->number_scenes = 1;
            (void)CloneString(&m_info->scenes, "0");
        }
    }
    ~CommandContext()
    {
        DestroyImageInfo(m_info);
        DestroyExceptionInfo(m_exception);
    }
    CommandContext(const CommandContext&) = delete;
    CommandContext& operator=(const CommandContext&) = delete;

    ImageInfo* Info() const { return m_info; }
    ExceptionInfo* Exception() const { return m_exception; }

private:
    ExceptionInfo* m_exception;
    ImageInfo* m_info;
};

void ReplaceAllText(std::string& text, const std::string& from, const std::string& to)
{
    for (size_t pos = text.find(from); pos != std::string::npos; pos = text.find(from, pos + to.size()))
        text.replace(pos, from.size(), to);
}

// The files of one command, to turn the descriptor names ImageMagick repeats back into the
// user's paths: every "fd:N" it writes, with or without its coder, names one of them.
struct CommandFiles
{
    const InputImage& input;
    std::string outputPath;
    std::string outputArgument;
    int outputDescriptor = -1;
};

void NameFiles(std::string& text, const CommandFiles& files)
{
    if (!files.outputArgument.empty())
        ReplaceAllText(text, files.outputArgument, files.outputPath);
    // the input as given, with its coder in front, goes whole; a bare "fd:N" below
    const std::string inputArgument = files.input.Argument();
    if (inputArgument.rfind("fd:", 0) != 0)
        ReplaceAllText(text, inputArgument, files.input.Path());
    if (files.input.IsMemory())
        ReplaceAllText(text, files.input.MemoryKey(), files.input.Path());
    for (size_t pos = text.find("fd:"); pos != std::string::npos; pos = text.find("fd:", pos))
    {
        size_t end = pos + 3;
        while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end])) != 0)
            ++end;
        if (end == pos + 3)
        {
            pos = end;
            continue;
        }
        const bool isOutput =
            files.outputDescriptor >= 0 && std::atoi(text.c_str() + pos + 3) == files.outputDescriptor;
        const std::string& path = isOutput ? files.outputPath : files.input.Path();
        text.replace(pos, end - pos, path);
        pos += path.size();
    }
    ReplaceAllText(text, "`'", "`" + files.input.Path() + "'");
    // ImageMagick reads from a copy of the input in its temporary folder ("magick-...") and
    // names that copy, or its disk cache, instead, quoted or (libtiff) at the start.
    const std::string own = MagickTemporaryFolder();
    const std::string folder = own.empty() ? std::string() : own + "/magick-";
    for (size_t at = folder.empty() ? std::string::npos : text.find(folder); at != std::string::npos;
         at = text.find(folder, at))
    {
        size_t end = at + folder.size();
        while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) != 0 ||
                                     text[end] == '_' || text[end] == '-'))
            ++end;
        text.replace(at, end - at, files.input.Path());
        at += files.input.Path().size();
    }
}

// ImageMagick's text of one exception, without its " @ file/line" suffix and with the user's
// file names.
std::string CleanReason(const char* reason, const CommandFiles& files)
{
    if (reason == nullptr || *reason == '\0')
        return std::string();
    std::string text = reason;
    const size_t at = text.find(" @ ");
    if (at != std::string::npos)
        text.erase(at);
    NameFiles(text, files);
    return text;
}

template <typename Visit> void ForEachException(const ExceptionInfo* exception, Visit visit)
{
    auto* chain = static_cast<LinkedListInfo*>(exception->exceptions);
    if (chain == nullptr)
        return;
    ResetLinkedListIterator(chain);
    while (const auto* link = static_cast<const ExceptionInfo*>(GetNextValueInLinkedList(chain)))
    {
        if (!visit(*link))
            return;
    }
}

// The policy's resource limits refuse an image before its pixels are read (or spilled to
// disk); the user is told what that means.
bool IsSizeRefusal(const ExceptionInfo& link)
{
    static constexpr const char* kLimits[] = {"cache resources exhausted", "width or height exceeds limit",
                                              "pixel cache allocation failed"};
    if (link.severity == ResourceLimitError || link.severity == ResourceLimitFatalError)
        return true;
    for (const char* limit : kLimits)
    {
        if (link.reason != nullptr && std::strncmp(link.reason, limit, std::strlen(limit)) == 0)
            return true;
    }
    return false;
}

// "unable to read image `<input>': <reason>", the reason without the name it may repeat.
std::string ReadFailure(std::string reason, const CommandFiles& files)
{
    const std::string& input = files.input.Path();
    if (reason.rfind(input + ": ", 0) == 0)
        reason.erase(0, input.size() + 2);
    const std::string quoted = " `" + input + "'";
    if (reason.size() >= quoted.size() &&
        reason.compare(reason.size() - quoted.size(), quoted.size(), quoted) == 0)
        reason.erase(reason.size() - quoted.size());
    return "unable to read image `" + input + "': " + reason;
}

// The root cause of a failed command: the first error of the exception chain (a writer's
// "WriteBlob Failed" follows the real reason), without ImageMagick's " @ file/line" suffix,
// with our descriptor names turned back into the user's paths. An error that is not about
// the output is about reading the input and says so with the input's name, also when
// ImageMagick only says that no image came out of it ("no images defined").
std::string ReasonText(const ExceptionInfo* exception, const CommandFiles& files)
{
    const ExceptionInfo* root = nullptr;
    const ExceptionInfo* warning = nullptr;
    ForEachException(exception, [&root, &warning](const ExceptionInfo& link) {
        if (link.severity >= ErrorException && link.reason != nullptr)
            root = &link;
        else if (warning == nullptr && link.reason != nullptr && *link.reason != '\0')
            warning = &link;
        return root == nullptr;
    });
    if (root == nullptr)
        return CleanReason(exception->reason, files);
    // The disk cache's space is taken when it is made; ImageMagick names the input and a stale
    // errno after it, so the user is told what failed instead.
    if (std::strncmp(root->reason, "unable to extend cache", 22) == 0)
        return "image too large to convert `" + files.input.Path() +
               "' (no room for its pixels in the temporary folder)";
    if (IsSizeRefusal(*root))
    {
        const std::string limit = CleanReason(root->reason, files);
        return "image too large to convert `" + files.input.Path() + "' (" +
               limit.substr(0, limit.find(" `")) + ")";
    }
    const bool nothingRead = std::strncmp(root->reason, "no images defined", 17) == 0;
    std::string text = CleanReason(nothingRead && warning != nullptr ? warning->reason : root->reason, files);
    if (nothingRead && warning == nullptr)
        return ReadFailure("no images defined", files);
    const bool aboutOutput =
        !files.outputPath.empty() && text.find("`" + files.outputPath + "'") != std::string::npos;
    return aboutOutput ? text : ReadFailure(text, files);
}

// Decoders report an input that ends before its pixels do only as a warning and fill the rest
// (libjpeg with grey); such an image is refused. Other warnings, such as stray bytes before a
// marker in a camera's file, leave a good picture and are not.
std::string TruncationText(const ExceptionInfo* exception, const CommandFiles& files)
{
    static constexpr const char* kEndsEarly[] = {"Premature end of JPEG file", "unexpected end-of-file",
                                                 "insufficient image data"};
    std::string text;
    ForEachException(exception, [&](const ExceptionInfo& link) {
        if (link.severity < WarningException || link.severity >= ErrorException || link.reason == nullptr)
            return true;
        for (const char* phrase : kEndsEarly)
        {
            if (std::strncmp(link.reason, phrase, std::strlen(phrase)) == 0)
                text = CleanReason(link.reason, files);
        }
        return text.empty();
    });
    return text;
}

using Arguments = std::vector<std::string>;

bool HasError(const ExceptionInfo* exception)
{
    bool found = exception->severity >= ErrorException;
    ForEachException(exception, [&found](const ExceptionInfo& link) {
        found = found || link.severity >= ErrorException;
        return !found;
    });
    return found;
}

// Runs ConvertImageCommand on the vector; the caller's error text is replaced only when
// ImageMagick gives a reason.
bool RunConvert(const Arguments& arguments, const InputImage& input, OutputImage& output,
                const std::string& outputPath, std::string& error)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    CommandContext context(true);
    const MagickBooleanType ok = ConvertImageCommand(context.Info(), static_cast<int>(arguments.size()),
                                                     argv.data(), nullptr, context.Exception());
    // A command stopped by its progress monitor may still report success with what it had.
    if (g_abort.load())
    {
        error = "conversion stopped, the program is closing `" + input.Path() + "'";
        return false;
    }
    const CommandFiles files{input, outputPath, output.Argument(), output.Descriptor()};
    const std::string reason = ReasonText(context.Exception(), files);
    if (!reason.empty())
        error = reason;
    // An error reported beside a "successful" command (a cache that could not be had, a
    // writer that gave up) leaves a broken or empty output: the file fails.
    if (ok == MagickFalse || HasError(context.Exception()))
        return false;
    const std::string truncated = TruncationText(context.Exception(), files);
    if (!truncated.empty())
    {
        error = truncated;
        return false;
    }
    return output.Commit(error);
}

// Opens input and temporary output. An output named like its input goes under the next free
// name, as beside any other existing file.
bool PrepareFiles(const std::string& inputPath, const std::string& outputPath, InputImage& input,
                  OutputImage& output, std::string& error)
{
    return input.Open(inputPath, error) && output.Create(outputPath, error) && input.DecodeHeif(error);
}

// Settings that make the written pixels right whatever the input: the EXIF orientation is
// applied (it would be lost with "-strip"), and a jpg, which has no alpha, gets white where
// the input was transparent.
void AppendOutputSettings(Arguments& arguments, const OutputImage& output)
{
    if (output.IsJpeg())
        arguments.insert(arguments.end(), {"-background", "white", "-alpha", "remove", "-alpha", "off"});
    arguments.push_back(output.Argument());
}

// What the input's headers say, read without decoding a pixel.
struct InputHeader
{
    std::string format; // ImageMagick's coder name: "JPEG", "PNG", ...
    size_t width = 0;   // as stored, before the EXIF orientation is applied
    size_t height = 0;
    bool transposed = false; // the orientation swaps width and height
    off_t bytes = 0;
    std::string profile; // the ICC profile, when there is one
};

// A JPEG starts with its SOI marker and a first segment; only JPEGs get the settings below, so
// other inputs are not pinged at all.
bool StartsLikeJpeg(const InputImage& input)
{
    unsigned char magic[3] = {};
    return ::pread(input.Descriptor(), magic, sizeof magic, 0) == sizeof magic && magic[0] == 0xff &&
           magic[1] == 0xd8 && magic[2] == 0xff;
}

// Pings the input through its descriptor and rewinds the descriptor for the command that
// follows. False leaves the header empty; the command then runs as if nothing was known.
bool PingInput(const InputImage& input, InputHeader& header)
{
    struct stat st = {};
    if (::fstat(input.Descriptor(), &st) != 0)
        return false;
    ExceptionInfo* exception = AcquireExceptionInfo();
    ImageInfo* info = AcquireImageInfo();
    (void)CopyMagickString(info->filename, input.Argument().c_str(), MaxTextExtent);
    Image* image = PingImage(info, exception);
    if (image != nullptr)
    {
        header.format = image->magick;
        header.width = image->columns;
        header.height = image->rows;
        header.transposed = image->orientation >= LeftTopOrientation;
        header.bytes = st.st_size;
        if (const StringInfo* icc = GetImageProfile(image, "icc"))
            header.profile.assign(reinterpret_cast<const char*>(GetStringInfoDatum(icc)),
                                  GetStringInfoLength(icc));
        DestroyImageList(image);
    }
    DestroyImageInfo(info);
    DestroyExceptionInfo(exception);
    return ::lseek(input.Descriptor(), 0, SEEK_SET) == 0 && image != nullptr;
}

// zlib's run-length strategy writes a decoded photo's PNG several times faster and no larger
// (its noise leaves the longer matches of the default strategy nothing to find), but makes
// graphics and screenshots a third to three quarters larger, and very smooth gradients a few
// per cent larger. Only JPEG inputs of at least one bit per pixel get it: those are photos.
bool PhotoForPng(const InputHeader& header)
{
    const double pixels = static_cast<double>(header.width) * static_cast<double>(header.height);
    return header.format == "JPEG" && pixels > 0 && static_cast<double>(header.bytes) * 8 >= pixels;
}

// The size ImageMagick gives "-resize N%" (each side rounded, at least one pixel).
size_t PercentOf(size_t side, int percent)
{
    const auto scaled = static_cast<size_t>(std::floor(static_cast<double>(side) * percent / 100.0 + 0.5));
    return scaled > 0 ? scaled : 1;
}

// Percent: with the hint of four times the target, libjpeg scales by 1/2 from 12.5 % down.
constexpr int kLargestReducedDecode = 12;

// A JPEG shrunk to an eighth or less is decoded at a reduced size (libjpeg scales by 1/2,
// 3/8, 1/4 or 1/8 while decoding) and then resized exactly. The hint asks for at least four
// times the target: with less, noisy photos came out up to 0.2 dB PSNR worse than from the
// full decode. The resize is then given in pixels, since a percentage would apply to the
// reduced decode; orientedResize is for a resize that follows "-auto-orient".
bool ReducedJpegDecode(const InputHeader& header, int resize, bool orientedResize, std::string& hint,
                       std::string& geometry)
{
    if (header.format != "JPEG" || resize <= 0 || resize > kLargestReducedDecode)
        return false;
    const size_t width = PercentOf(header.width, resize);
    const size_t height = PercentOf(header.height, resize);
    hint = "jpeg:size=" + std::to_string(4 * width) + "x" + std::to_string(4 * height);
    const bool swap = orientedResize && header.transposed;
    geometry = std::to_string(swap ? height : width) + "x" + std::to_string(swap ? width : height) + "!";
    return true;
}

// The input, with its EXIF orientation applied; libheif has already turned a HEIF picture.
void AppendInput(Arguments& arguments, const InputImage& input)
{
    arguments.push_back(input.Argument());
    if (!input.IsMemory())
        arguments.push_back("-auto-orient");
}

// Everything but the colour profile goes: EXIF (with its thumbnail and position), XMP, IPTC,
// comments and text. Without its profile a wide-gamut photo looks dull in every
// colour-managed viewer. ImageMagick writes a PNG's profile only with its text chunks, so a
// PNG is stripped whole and gets its profile back at the commit.
void AppendStripKeepingProfile(Arguments& arguments, const InputImage& input, OutputImage& output,
                               InputHeader& header)
{
    if (!output.IsPng())
    {
        arguments.insert(arguments.end(), {"+profile", "!icc,*", "+set", "comment"});
        return;
    }
    arguments.push_back("-strip");
    if (header.format.empty())
        PingInput(input, header);
    output.KeepPngProfile(header.profile);
}

bool Written(const OutputImage& output, std::string* written)
{
    if (written != nullptr)
        *written = output.Written();
    return true;
}

class CommandLock
{
public:
    CommandLock() : m_lock(g_magickLock) { PixelBlocks::CommandStarts(); }
    ~CommandLock() { PixelBlocks::CommandEnds(); }
    CommandLock(const CommandLock&) = delete;
    CommandLock& operator=(const CommandLock&) = delete;
    bool Usable(std::string& error) const
    {
        if (g_stopped || g_abort.load())
            error = kShutDownText;
        return !g_stopped && !g_abort.load();
    }

private:
    std::shared_lock<std::shared_mutex> m_lock;
};
} // namespace

void MagickStartup(const std::string& configDir)
{
    StartOnce(configDir);
}

void MagickAbortCommands()
{
    g_abort = true;
}

void MagickShutdown()
{
    MagickAbortCommands();
    std::unique_lock<std::shared_mutex> lock(g_magickLock);
    if (g_stopped)
        return;
    g_stopped = true;
    bool started = true;
    std::call_once(g_startOnce, [&started] { started = false; });
    if (started)
        MagickCoreTerminus();
    PixelBlocks::ReleaseParked();
    RemoveMagickTemporaryFolder();
}

void MagickReleaseMemory()
{
    PixelBlocks::ReleaseParked();
    ::malloc_trim(0); // what the conversions left free in the C heaps
}

bool ConvertImageFile(const std::string& inputPath, const std::string& outputPath, std::string& error,
                      std::string* written)
{
    StartOnce(std::string());
    CommandLock lock;
    InputImage input;
    OutputImage output;
    if (!lock.Usable(error) || !PrepareFiles(inputPath, outputPath, input, output, error))
        return false;
    Arguments arguments = {"Pictavo"};
    AppendInput(arguments, input);
    InputHeader header;
    if (output.IsPng() && StartsLikeJpeg(input) && PingInput(input, header) && PhotoForPng(header))
        arguments.insert(arguments.end(), {"-define", "png:compression-strategy=3"});
    AppendOutputSettings(arguments, output);
    return RunConvert(arguments, input, output, outputPath, error) && Written(output, written);
}

bool CompressImageFile(const std::string& inputPath, const std::string& outputPath, int resize, int quality,
                       std::string& error, std::string* written)
{
    StartOnce(std::string());
    CommandLock lock;
    InputImage input;
    OutputImage output;
    if (!lock.Usable(error) || !PrepareFiles(inputPath, outputPath, input, output, error))
        return false;
    std::string resizeText = std::to_string(resize) + "%";
    std::string hint;
    InputHeader header;
    if (resize <= kLargestReducedDecode && StartsLikeJpeg(input) && PingInput(input, header))
        ReducedJpegDecode(header, resize, quality == 100, hint, resizeText);
    Arguments arguments = {"convert"};
    if (quality == 100)
    {
        AppendInput(arguments, input);
        arguments.insert(arguments.end(), {"-resize", resizeText});
    }
    else
    {
        arguments.insert(arguments.end(), {"-resize", resizeText, "-quality", std::to_string(quality)});
        AppendInput(arguments, input);
        AppendStripKeepingProfile(arguments, input, output, header);
    }
    if (!hint.empty())
        arguments.insert(arguments.begin() + 1, {"-define", hint});
    AppendOutputSettings(arguments, output);
    return RunConvert(arguments, input, output, outputPath, error) && Written(output, written);
}

bool GetImageSize(const std::string& path, int& width, int& height, std::string& error)
{
    StartOnce(std::string());
    CommandLock lock;
    InputImage input;
    if (!lock.Usable(error) || !input.Open(path, error))
        return false;
    const std::string source = input.Argument();
    // "-ping" reads the headers only: the settings window asks on the UI thread.
    char* argv[] = {const_cast<char*>("identify"),     const_cast<char*>("-ping"),
                    const_cast<char*>("-format"),      const_cast<char*>("%wx%h"),
                    const_cast<char*>(source.c_str()), nullptr};
    char* text = nullptr;
    CommandContext context(false);
    const MagickBooleanType ok = IdentifyImageCommand(context.Info(), 5, argv, &text, context.Exception());
    std::vector<std::string> pieces;
    if (ok != MagickFalse && text != nullptr && SplitString(&pieces, text, "x") == 2)
    {
        width = std::atoi(pieces[0].c_str());
        height = std::atoi(pieces[1].c_str());
    }
    if (text != nullptr)
        DestroyString(text);
    const std::string reason =
        ReasonText(context.Exception(), CommandFiles{input, std::string(), std::string()});
    if (!reason.empty())
        error = reason;
    return ok != MagickFalse;
}
