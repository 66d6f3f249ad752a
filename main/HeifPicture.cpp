#include "main/HeifPicture.h"

#include "main/NclxProfile.h"

#include <libheif/heif.h>

#include <memory>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
// The file mapped into memory for libheif, which reads it without a copy.
class MappedFile
{
public:
    explicit MappedFile(int fd)
    {
        struct stat st = {};
        if (::fstat(fd, &st) != 0 || st.st_size <= 0)
            return;
        void* data = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
        if (data == MAP_FAILED)
            return;
        m_data = data;
        m_size = static_cast<size_t>(st.st_size);
    }
    ~MappedFile()
    {
        if (m_data != nullptr)
            ::munmap(m_data, m_size);
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    const void* Data() const { return m_data; }
    size_t Size() const { return m_size; }

private:
    void* m_data = nullptr;
    size_t m_size = 0;
};

struct ContextFree
{
    void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HandleFree
{
    void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct PictureFree
{
    void operator()(heif_image* picture) const { heif_image_release(picture); }
};
struct OptionsFree
{
    void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};
struct ImageFree
{
    void operator()(Image* image) const { DestroyImage(image); }
};
using ImagePtr = std::unique_ptr<Image, ImageFree>;

std::string ReadError(const std::string& path, const std::string& reason)
{
    return "unable to read image `" + path + "': " + reason;
}

// The profile the file gives: its ICC profile, else one made from its colour numbers.
std::string ColourProfile(const heif_image_handle* handle)
{
    const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle);
    if (type == heif_color_profile_type_prof || type == heif_color_profile_type_rICC)
    {
        std::string profile(heif_image_handle_get_raw_color_profile_size(handle), '\0');
        if (!profile.empty() &&
            heif_image_handle_get_raw_color_profile(handle, profile.data()).code == heif_error_Ok)
            return profile;
        return std::string();
    }
    heif_color_profile_nclx* nclx = nullptr;
    // asked for directly: the profile type names only an ICC profile when there is one
    if (heif_image_handle_get_nclx_color_profile(handle, &nclx).code != heif_error_Ok || nclx == nullptr)
        return std::string();
    const NclxColours colours{{nclx->color_primary_red_x, nclx->color_primary_red_y},
                              {nclx->color_primary_green_x, nclx->color_primary_green_y},
                              {nclx->color_primary_blue_x, nclx->color_primary_blue_y},
                              {nclx->color_primary_white_x, nclx->color_primary_white_y},
                              static_cast<int>(nclx->color_primaries),
                              static_cast<int>(nclx->transfer_characteristics)};
    heif_nclx_color_profile_free(nclx);
    return ProfileForNclx(colours);
}

// An image of the picture's size whose pixel cache is already had, so that a picture past
// the resource limits is refused before it is decoded.
ImagePtr SizedImage(const ImageInfo* info, size_t width, size_t height, bool alpha, ExceptionInfo* exception)
{
    ImagePtr image(AcquireImage(info));
    if (SetImageExtent(image.get(), width, height) == MagickFalse)
    {
        InheritException(exception, &image->exception);
        return nullptr;
    }
    image->matte = alpha ? MagickTrue : MagickFalse;
    if (QueueAuthenticPixels(image.get(), 0, 0, 1, 1, exception) == nullptr)
        return nullptr;
    return image;
}

// The decoded rows into the image; values above 8 bits are scaled to ImageMagick's 16.
bool ImportRows(Image* image, const heif_image* picture, int bits, bool alpha, ExceptionInfo* exception)
{
    int stride = 0;
    const uint8_t* plane = heif_image_get_plane_readonly(picture, heif_channel_interleaved, &stride);
    if (plane == nullptr)
        return false;
    const char* map = alpha ? "RGBA" : "RGB";
    const size_t samples = image->columns * (alpha ? 4 : 3);
    std::vector<uint16_t> wide(bits > 8 ? samples : 0);
    for (size_t y = 0; y < image->rows; ++y)
    {
        const uint8_t* row = plane + y * static_cast<size_t>(stride);
        const void* pixels = row;
        StorageType storage = CharPixel;
        if (bits > 8)
        {
            const auto* values = reinterpret_cast<const uint16_t*>(row);
            for (size_t i = 0; i < samples; ++i)
                wide[i] = static_cast<uint16_t>((values[i] << (16 - bits)) | (values[i] >> (2 * bits - 16)));
            pixels = wide.data();
            storage = ShortPixel;
        }
        if (ImportImagePixels(image, 0, static_cast<ssize_t>(y), image->columns, 1, map, storage, pixels) ==
            MagickFalse)
        {
            InheritException(exception, &image->exception);
            return false;
        }
    }
    return true;
}

std::string MagickReason(const ExceptionInfo* exception)
{
    return exception->reason != nullptr ? exception->reason : "cannot allocate the image";
}

using PicturePtr = std::unique_ptr<heif_image, PictureFree>;

// The picture as interleaved RGB(A), 8 bits or, for deeper pictures, 16-bit containers of
// their own depth; libheif's rotation, mirroring and crop applied.
PicturePtr DecodePixels(const heif_image_handle* handle, bool deep, bool alpha, std::string& reason)
{
    std::unique_ptr<heif_decoding_options, OptionsFree> options(heif_decoding_options_alloc());
    options->convert_hdr_to_8bit = 0;
    const heif_chroma chroma =
        deep ? (alpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE)
             : (alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
    heif_image* decoded = nullptr;
    const heif_error result = heif_decode_image(handle, &decoded, heif_colorspace_RGB, chroma, options.get());
    PicturePtr picture(decoded);
    if (result.code != heif_error_Ok || decoded == nullptr)
    {
        reason = result.message;
        return nullptr;
    }
    return picture;
}

// The decoded pixels into the image, resized first when the transformations changed the size.
bool FillImage(Image* image, const heif_image* picture, bool deep, bool alpha, ExceptionInfo* exception)
{
    const auto width = static_cast<size_t>(heif_image_get_width(picture, heif_channel_interleaved));
    const auto height = static_cast<size_t>(heif_image_get_height(picture, heif_channel_interleaved));
    if ((width != image->columns || height != image->rows) &&
        SetImageExtent(image, width, height) == MagickFalse)
    {
        InheritException(exception, &image->exception);
        return false;
    }
    const int bits = deep ? heif_image_get_bits_per_pixel_range(picture, heif_channel_interleaved) : 8;
    return ImportRows(image, picture, bits, alpha, exception);
}

void AttachProfile(Image* image, const heif_image_handle* handle)
{
    const std::string profile = ColourProfile(handle);
    if (profile.empty())
        return;
    StringInfo* bytes = BlobToStringInfo(profile.data(), profile.size());
    (void)SetImageProfile(image, "icc", bytes);
    DestroyStringInfo(bytes);
}

Image* DecodePrimary(const heif_image_handle* handle, const std::string& path, const ImageInfo* info,
                     std::string& error)
{
    const bool alpha = heif_image_handle_has_alpha_channel(handle) != 0;
    const bool deep = heif_image_handle_get_luma_bits_per_pixel(handle) > 8;
    ExceptionInfo* exception = AcquireExceptionInfo();
    ImagePtr image = SizedImage(info, static_cast<size_t>(heif_image_handle_get_width(handle)),
                                static_cast<size_t>(heif_image_handle_get_height(handle)), alpha, exception);
    std::string reason;
    PicturePtr picture = image != nullptr ? DecodePixels(handle, deep, alpha, reason) : nullptr;
    if (image == nullptr ||
        (picture != nullptr && !FillImage(image.get(), picture.get(), deep, alpha, exception)))
        reason = MagickReason(exception);
    DestroyExceptionInfo(exception);
    if (!reason.empty() || picture == nullptr)
    {
        error = ReadError(path, reason);
        return nullptr;
    }
    image->depth = deep ? 16 : 8;
    AttachProfile(image.get(), handle);
    return image.release();
}
} // namespace

bool HeifPicture::IsHeif(int fd)
{
    uint8_t head[32] = {};
    const ssize_t got = ::pread(fd, head, sizeof head, 0);
    return got >= 12 && heif_check_filetype(head, static_cast<int>(got)) == heif_filetype_yes_supported;
}

Image* HeifPicture::Decode(int fd, const std::string& path, const ImageInfo* info, std::string& error)
{
    const MappedFile file(fd);
    if (file.Data() == nullptr)
    {
        error = ReadError(path, "the file cannot be mapped");
        return nullptr;
    }
    std::unique_ptr<heif_context, ContextFree> context(heif_context_alloc());
    heif_error result =
        heif_context_read_from_memory_without_copy(context.get(), file.Data(), file.Size(), nullptr);
    heif_image_handle* primary = nullptr;
    if (result.code == heif_error_Ok)
        result = heif_context_get_primary_image_handle(context.get(), &primary);
    if (result.code != heif_error_Ok)
    {
        error = ReadError(path, result.message);
        return nullptr;
    }
    std::unique_ptr<heif_image_handle, HandleFree> handle(primary);
    return DecodePrimary(handle.get(), path, info, error);
}
