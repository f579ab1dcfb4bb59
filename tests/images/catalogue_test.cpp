// The image catalogue as written by makeimages (the CTest fixture
// images.write_all fills IMAGES_WRITTEN_DIR), read back with SDL_image.
#include "images/images.h"
#include "images/png.h"

#include "imagetest_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <regex>
#include <set>

namespace {

const std::string kWrittenDir = IMAGES_WRITTEN_DIR;

bool IsJpeg(const std::string &file)
{
    return file.size() > 4 && file.substr(file.size() - 4) == ".jpg";
}

bool PowerOfTwoInRange(int v)
{
    return v >= 128 && v <= 512 && (v & (v - 1)) == 0;
}

double Luminance(const unsigned char *p)
{
    return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
}

// Decodes every written image once per test process.
const std::map<std::string, Decoded> &Written()
{
    static const std::map<std::string, Decoded> decoded = [] {
        std::map<std::string, Decoded> m;
        for (const ImageInfo &info : ImageCatalogue()) {
            m[info.file] = DecodeWithSdlImage(kWrittenDir + "/" + info.file);
        }
        return m;
    }();
    return decoded;
}

const unsigned char *Pixel(const Decoded &d, int x, int y)
{
    return &d.rgb[(size_t(y) * d.width + x) * 3];
}

TEST(ImageCatalogue, EntriesAreWellFormed)
{
    const auto &all = ImageCatalogue();
    ASSERT_GE(all.size(), 24u);
    const std::regex name("[a-z0-9_]+\\.(png|jpg)");
    std::set<std::string> files;
    std::map<std::string, int> perKind;
    for (const ImageInfo &info : all) {
        SCOPED_TRACE(info.file);
        EXPECT_TRUE(std::regex_match(info.file, name));
        EXPECT_TRUE(files.insert(info.file).second) << "duplicate name";
        EXPECT_LE(info.file.size(), 63u) << "a material's map name holds at most 63 characters";
        EXPECT_TRUE(PowerOfTwoInRange(info.width)) << info.width;
        EXPECT_TRUE(PowerOfTwoInRange(info.height)) << info.height;
        EXPECT_FALSE(info.description.empty());
        perKind[info.kind]++;
        if (info.kind == "envmap") {
            EXPECT_EQ(info.width, info.height) << "a sphere map is a disc in a square";
        }
        if (info.kind != "texture") {
            EXPECT_FALSE(info.tileable);
        }
    }
    EXPECT_EQ(perKind.size(), 3u) << "only texture, envmap and glow";
    EXPECT_GE(perKind["texture"], 15);
    EXPECT_GE(perKind["envmap"], 5);
    EXPECT_GE(perKind["glow"], 5);
}

TEST(ImageCatalogue, RenderImageAnswersNothingForUnknownNames)
{
    for (const char *file : {"no_such_image.png", "MARBLE.PNG", "", "marble"}) {
        int w = -1, h = -1;
        EXPECT_TRUE(RenderImage(file, &w, &h).empty()) << file;
        EXPECT_EQ(w, 0);
        EXPECT_EQ(h, 0);
    }
}

TEST(WrittenImages, EveryImageIsThereAndDecodesAs24BitRgbOfItsSize)
{
    for (const ImageInfo &info : ImageCatalogue()) {
        SCOPED_TRACE(info.file);
        const Decoded &d = Written().at(info.file);
        ASSERT_TRUE(d.ok) << "IMG_Load failed for " << kWrittenDir << "/" << info.file;
        EXPECT_EQ(d.bitsPerPixel, 24);
        EXPECT_TRUE(d.rgbByteOrder);
        EXPECT_EQ(d.width, info.width);
        EXPECT_EQ(d.height, info.height);
        EXPECT_EQ(d.width * 3 % 4, 0) << "rows must suit OpenGL's default unpack alignment";
    }
}

TEST(WrittenImages, DecodedPixelsAreTheRenderedPixels)
{
    for (const ImageInfo &info : ImageCatalogue()) {
        SCOPED_TRACE(info.file);
        const Decoded &d = Written().at(info.file);
        ASSERT_TRUE(d.ok);
        int w = 0, h = 0;
        std::vector<unsigned char> rendered = RenderImage(info.file, &w, &h);
        ASSERT_EQ(rendered.size(), d.rgb.size());
        if (IsJpeg(info.file)) {
            EXPECT_LT(MeanAbsDiff(rendered, d.rgb), 3.0);
        } else {
            EXPECT_TRUE(rendered == d.rgb);
        }
    }
}

TEST(WrittenImages, WritingAgainGivesTheSameBytes)
{
    ScratchDir again("again");
    std::string error;
    ASSERT_TRUE(WriteAllImages(again.Path(), &error)) << error;
    for (const ImageInfo &info : ImageCatalogue()) {
        std::vector<unsigned char> first = ReadFileBytes(kWrittenDir + "/" + info.file);
        std::vector<unsigned char> second = ReadFileBytes(again.Path() + "/" + info.file);
        EXPECT_FALSE(first.empty()) << info.file;
        EXPECT_TRUE(first == second) << info.file << " differs between two runs";
    }
}

TEST(WrittenImages, WriteAllImagesReportsAnUnwritableFolder)
{
    ScratchDir dir("blocked");
    std::string blocker = dir.Path() + "/file";
    std::string error;
    ASSERT_TRUE(WritePng(blocker, 1, 1, {0, 0, 0}, &error)) << error;
    EXPECT_FALSE(WriteAllImages(blocker + "/images", &error));
    EXPECT_NE(error.find(blocker), std::string::npos) << error;
}

TEST(WrittenImages, NoTwoImagesLookAlike)
{
    const auto &all = ImageCatalogue();
    for (size_t i = 0; i < all.size(); ++i) {
        for (size_t j = i + 1; j < all.size(); ++j) {
            const Decoded &a = Written().at(all[i].file);
            const Decoded &b = Written().at(all[j].file);
            if (a.rgb.size() != b.rgb.size()) continue;
            EXPECT_GT(MeanAbsDiff(a.rgb, b.rgb), 6.0) << all[i].file << " and " << all[j].file;
        }
    }
}

TEST(WrittenImages, ImagesHaveDetailAndTexturesAreNeitherDarkNorWashedOut)
{
    for (const ImageInfo &info : ImageCatalogue()) {
        SCOPED_TRACE(info.file);
        const Decoded &d = Written().at(info.file);
        ASSERT_TRUE(d.ok);
        double sum = 0, sumSq = 0;
        const size_t n = size_t(d.width) * d.height;
        for (size_t i = 0; i < n; ++i) {
            double l = Luminance(&d.rgb[i * 3]);
            sum += l;
            sumSq += l * l;
        }
        double mean = sum / n, spread = std::sqrt(sumSq / n - mean * mean);
        EXPECT_GT(spread, 8.0);
        if (info.kind == "texture") {
            EXPECT_GT(mean, 12.0) << "space backdrops are dark, but not that dark";
            EXPECT_LT(mean, 230.0);
        }
    }
}

// Distance of a pixel centre from the image centre, with the ellipse
// inscribed in the image scaled to radius 1.
double NormalisedRadius(const Decoded &d, int x, int y)
{
    double nx = (x + 0.5) / d.width * 2 - 1, ny = (y + 0.5) / d.height * 2 - 1;
    return std::hypot(nx, ny);
}

TEST(WrittenImages, GlowsAreBrightInTheMiddleAndBlackFromTheInscribedCircleOut)
{
    for (const ImageInfo &info : ImageCatalogue()) {
        if (info.kind != "glow") continue;
        SCOPED_TRACE(info.file);
        const Decoded &d = Written().at(info.file);
        ASSERT_TRUE(d.ok);
        // A pixel is wholly outside once its centre is half a pixel diagonal beyond the rim.
        const double margin = 2.0 / std::min(d.width, d.height);
        int lit = 0, brightest = 0;
        for (int y = 0; y < d.height; ++y) {
            for (int x = 0; x < d.width; ++x) {
                const unsigned char *p = Pixel(d, x, y);
                int top = std::max({p[0], p[1], p[2]});
                brightest = std::max(brightest, top);
                if (NormalisedRadius(d, x, y) >= 1 + margin) {
                    ASSERT_EQ(top, 0) << "lit pixel outside the circle at " << x << "," << y;
                }
                lit += top > 0;
            }
        }
        for (int corner = 0; corner < 4; ++corner) {
            const unsigned char *p =
                Pixel(d, (corner & 1) * (d.width - 1), (corner >> 1) * (d.height - 1));
            EXPECT_EQ(p[0] + p[1] + p[2], 0) << "corner " << corner;
        }
        EXPECT_GE(brightest, 200) << "a glow must be bright somewhere";
        EXPECT_GT(lit, d.width * d.height / 50) << "a glow must cover more than a speck";
    }
}

TEST(WrittenImages, EnvmapsFillTheirDiscAndAreBlackOutside)
{
    for (const ImageInfo &info : ImageCatalogue()) {
        if (info.kind != "envmap") continue;
        SCOPED_TRACE(info.file);
        const Decoded &d = Written().at(info.file);
        ASSERT_TRUE(d.ok);
        const int outsideTolerance = IsJpeg(info.file) ? 20 : 0;  // JPEG rings a little at the rim
        const double radiusPx = d.width / 2.0;
        int inside = 0, blackInside = 0;
        double insideLuminance = 0;
        for (int y = 0; y < d.height; ++y) {
            for (int x = 0; x < d.width; ++x) {
                const unsigned char *p = Pixel(d, x, y);
                double r = NormalisedRadius(d, x, y) * radiusPx;
                if (r >= radiusPx + 3) {
                    ASSERT_LE(std::max({p[0], p[1], p[2]}), outsideTolerance)
                        << "outside the disc at " << x << "," << y;
                } else if (r <= radiusPx - 2) {
                    inside++;
                    blackInside += (p[0] | p[1] | p[2]) == 0;
                    insideLuminance += Luminance(p);
                }
            }
        }
        EXPECT_LT(blackInside, inside / 200) << "the disc must be filled";
        EXPECT_GT(insideLuminance / inside, 25.0);
    }
}

// Mean absolute difference between column a and column b (or rows, when byRows).
double LineDiff(const Decoded &d, int a, int b, bool byRows)
{
    int count = byRows ? d.width : d.height;
    double sum = 0;
    for (int i = 0; i < count; ++i) {
        const unsigned char *p = byRows ? Pixel(d, i, a) : Pixel(d, a, i);
        const unsigned char *q = byRows ? Pixel(d, i, b) : Pixel(d, b, i);
        for (int c = 0; c < 3; ++c) sum += std::abs(int(p[c]) - int(q[c]));
    }
    return sum / (count * 3);
}

TEST(WrittenImages, TileableTexturesContinueAcrossTheirEdges)
{
    // The step from the last column to the first must look like any step
    // between neighbouring columns inside the image; likewise for rows.
    for (const ImageInfo &info : ImageCatalogue()) {
        if (!info.tileable) continue;
        SCOPED_TRACE(info.file);
        const Decoded &d = Written().at(info.file);
        ASSERT_TRUE(d.ok);
        for (bool byRows : {false, true}) {
            int lines = byRows ? d.height : d.width;
            double worstInside = 0;
            for (int i = 0; i + 1 < lines; ++i) {
                worstInside = std::max(worstInside, LineDiff(d, i, i + 1, byRows));
            }
            double seam = LineDiff(d, lines - 1, 0, byRows);
            EXPECT_LE(seam, worstInside + 1.0)
                << (byRows ? "bottom-to-top" : "right-to-left") << " seam " << seam
                << " vs worst inside step " << worstInside;
        }
    }
}

}  // namespace
