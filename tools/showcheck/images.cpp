// The images the scenes' materials name, as the texture store loads them.
#include <SDL/SDL_image.h>
#include <dirent.h>
#include <string.h>
#include <sys/stat.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "checks.h"
#include "texturemanager.h"

namespace showcheck {
namespace {

bool PowerOfTwo(int n)
{
    return n > 0 && (n & (n - 1)) == 0;
}

// The store lower-cases a name before it opens the file.
std::string Lowered(const std::string &name)
{
    std::vector<char> text(name.begin(), name.end());
    text.push_back('\0');
    TextureManager::strToLower(text.data());
    return text.data();
}

// The directory's file names by their lower-cased form, for a hint when an
// image is there under another case.
std::map<std::string, std::string> NamesByLowered(const std::string &dir)
{
    std::map<std::string, std::string> names;
    if (DIR *d = opendir(dir.c_str())) {
        while (const dirent *entry = readdir(d))
            names.emplace(Lowered(entry->d_name), entry->d_name);
        closedir(d);
    }
    return names;
}

std::string PixelsOf(const SDL_PixelFormat *format)
{
    if (format->palette) return "8-bit colour-indexed pixels";
    const std::string bits = std::to_string(format->BitsPerPixel) + "-bit pixels";
    if (format->Amask) return bits + " with alpha (dropped)";
    if (format->BytesPerPixel == 3) return bits + " in another byte order than red, green, blue";
    return bits;
}

// Decoded by SDL_image as LoadTexture decodes it.
void CheckDecoded(Report *report, const std::string &file, const std::string &stops)
{
    SDL_Surface *image = IMG_Load(report->Path(file).c_str());
    if (!image) {
        report->Error(file, std::string("SDL_image cannot decode it: ") + IMG_GetError() + stops);
        return;
    }
    const int width = image->w, height = image->h;
    if (width <= 0 || height <= 0) {
        report->Error(file, "it decodes to no pixels" + stops);
    } else {
        if (!TextureManager::UploadsAsDecoded(image->format))
            report->Warning(file, "it decodes to " + PixelsOf(image->format) +
                                      "; the show converts them to 24-bit red, green, blue");
        if (!PowerOfTwo(width) || !PowerOfTwo(height))
            report->Warning(file, std::to_string(width) + "x" + std::to_string(height) +
                                      ": sides that are not powers of two are scaled by GLU, "
                                      "whose last row comes out black");
    }
    SDL_FreeSurface(image);
}

}  // namespace

void CheckImages(Report *report, const std::vector<ImageUse> &images)
{
    const std::map<std::string, std::string> present = NamesByLowered(report->dir());
    std::set<std::string> loaded, unloaded;
    for (const ImageUse &use : images) {
        const std::string file = Lowered(use.name);
        const std::string named =
            "named \"" + use.name + "\" by material \"" + use.material + "\" of " + use.scene;
        // A full store answers slot 0 to every request, even for an image it holds.
        if (loaded.size() == TextureManager::MaxTextures) {
            if (unloaded.insert(file).second)
                report->Error(file, "named after the texture store's " +
                                        std::to_string(TextureManager::MaxTextures) +
                                        " slots are full: the first image is shown instead; " +
                                        named);
            continue;
        }
        if (!loaded.insert(file).second) continue;
        const std::string stops =
            " (the show stops at start-up: Error : Can't load texture data/" + file + ")";
        if (file.size() >= TextureManager::NameSize) {
            report->Error(file, "the image name is " + std::to_string(file.size()) +
                                    " characters long, the texture store keeps at most " +
                                    std::to_string(TextureManager::NameSize - 1) + "; " + named +
                                    stops);
            continue;
        }
        struct stat info;
        if (stat(report->Path(file).c_str(), &info) != 0) {
            std::string text = "missing; " + named;
            const auto other = present.find(file);
            if (other != present.end() && other->second != file)
                text += "; there is " + other->second + ", but the show opens the lower-cased name";
            report->Error(file, text + stops);
            continue;
        }
        CheckDecoded(report, file, stops);
    }
}

}  // namespace showcheck
