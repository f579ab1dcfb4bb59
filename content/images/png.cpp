#include "png.h"

#include <png.h>
#include <jpeglib.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>

namespace {

void SetError(std::string *error, const std::string &message)
{
    if (error) {
        *error = message;
    }
}

bool CheckSize(const std::string &path, int width, int height,
               const std::vector<unsigned char> &rgb, std::string *error)
{
    if (width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide) {
        SetError(error,
                 path + ": bad image size " + std::to_string(width) + "x" + std::to_string(height));
        return false;
    }
    size_t expected = size_t(width) * size_t(height) * 3;
    if (rgb.size() != expected) {
        SetError(error, path + ": expected " + std::to_string(expected) + " bytes of RGB, got " +
                            std::to_string(rgb.size()));
        return false;
    }
    return true;
}

FILE *OpenForWriting(const std::string &path, std::string *error)
{
    FILE *file = std::fopen(path.c_str(), "wb");
    if (!file) {
        SetError(error, path + ": cannot create file: " + std::strerror(errno));
    }
    return file;
}

// Closes the file and reports whether every byte reached it; removes it otherwise.
bool FinishFile(FILE *file, bool ok, const std::string &path, const char *libraryMessage,
                std::string *error)
{
    bool streamOk = !std::ferror(file);
    bool closeOk = std::fclose(file) == 0;
    if (ok && streamOk && closeOk) {
        return true;
    }
    // Only a regular file is ours to delete; a device such as /dev/full is not.
    struct stat info;
    if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        std::remove(path.c_str());
    }
    if (!ok && libraryMessage[0]) {
        SetError(error, path + ": " + libraryMessage);
    } else {
        SetError(error, path + ": write failed");
    }
    return false;
}

// The libraries report errors by longjmp, so the code between setjmp and the
// jump holds no C++ objects with destructors; messages land in a fixed buffer.
struct PngErrorContext {
    char message[256];
};

void PngError(png_structp png, png_const_charp message)
{
    auto *context = static_cast<PngErrorContext *>(png_get_error_ptr(png));
    std::snprintf(context->message, sizeof context->message, "%s", message);
    png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

bool EncodePng(FILE *file, int width, int height, const unsigned char *rgb,
               PngErrorContext *context)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, context, PngError, PngWarning);
    if (!png) {
        std::snprintf(context->message, sizeof context->message, "out of memory");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        png_write_row(png, rgb + size_t(y) * width * 3);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

struct JpegErrorContext {
    jpeg_error_mgr manager;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void JpegError(j_common_ptr cinfo)
{
    auto *context = reinterpret_cast<JpegErrorContext *>(cinfo->err);
    cinfo->err->format_message(cinfo, context->message);
    std::longjmp(context->jump, 1);
}

void JpegSilence(j_common_ptr, int) {}

bool EncodeJpeg(FILE *file, int width, int height, const unsigned char *rgb, int quality,
                JpegErrorContext *context)
{
    jpeg_compress_struct cinfo;
    cinfo.err = jpeg_std_error(&context->manager);
    context->manager.error_exit = JpegError;
    context->manager.emit_message = JpegSilence;
    if (setjmp(context->jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    for (int i = 0; i < cinfo.num_components; ++i) {
        cinfo.comp_info[i].h_samp_factor = 1;
        cinfo.comp_info[i].v_samp_factor = 1;
    }
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<unsigned char *>(rgb + size_t(cinfo.next_scanline) * width * 3);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

}  // namespace

bool WritePng(const std::string &path, int width, int height, const std::vector<unsigned char> &rgb,
              std::string *error)
{
    if (!CheckSize(path, width, height, rgb, error)) {
        return false;
    }
    FILE *file = OpenForWriting(path, error);
    if (!file) {
        return false;
    }
    PngErrorContext context{};
    bool ok = EncodePng(file, width, height, rgb.data(), &context);
    return FinishFile(file, ok, path, context.message, error);
}

bool WriteJpeg(const std::string &path, int width, int height,
               const std::vector<unsigned char> &rgb, int quality, std::string *error)
{
    if (quality < 1 || quality > 100) {
        SetError(error, path + ": JPEG quality " + std::to_string(quality) + " is not in 1..100");
        return false;
    }
    if (!CheckSize(path, width, height, rgb, error)) {
        return false;
    }
    FILE *file = OpenForWriting(path, error);
    if (!file) {
        return false;
    }
    JpegErrorContext context{};
    bool ok = EncodeJpeg(file, width, height, rgb.data(), quality, &context);
    return FinishFile(file, ok, path, context.message, error);
}
