// The texture store under a real GL context: names, slots, the 256 limit,
// binding, the missing-image exit, and what the uploaded texels hold.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <string.h>

#include <functional>
#include <string>
#include <vector>

#include "main.h"
#include "showfixture.h"
#include "testimages.h"
#include "texturemanager.h"

namespace {

using showtest::Rgb;

const Rgb Red{255, 0, 0}, Green{0, 255, 0}, Blue{0, 0, 255}, White{255, 255, 255};

class TextureManagerTest : public showtest::ShowCoreTest {
protected:
    // A small image of one colour in data/<name>.
    void WriteSolid(const std::string &name, Rgb colour)
    {
        ASSERT_TRUE(
            showtest::WriteRgbPng(workDir_.DataPath(name), 2, 2, showtest::SolidRgb(2, 2, colour)));
    }
    int Load(const char *name)
    {
        std::vector<char> text(name, name + strlen(name) + 1);
        return textureManager->LoadTexture(text.data());
    }
    static GLuint Bound()
    {
        GLint name = -1;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
        return GLuint(name);
    }
    // Level 0 of a slot's texture, top row first (as uploaded).
    showtest::Image Texels(int slot)
    {
        glBindTexture(GL_TEXTURE_2D, textureManager->textureIds[slot]);
        showtest::Image image;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &image.width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &image.height);
        image.rgb.resize(size_t(image.width) * image.height * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, image.rgb.data());
        return image;
    }
};

TEST_F(TextureManagerTest, StrToLowerChangesOnlyTheLettersAToZUpToTheEnd)
{
    char text[] = "AZaz@[`{\xC0\xDE"
                  "09 M\0KEEP";
    EXPECT_EQ(1, textureManager->strToLower(text));
    EXPECT_EQ(0, memcmp(text,
                        "azaz@[`{\xC0\xDE"
                        "09 m\0KEEP",
                        sizeof text));
}

TEST_F(TextureManagerTest, FirstRequestLowerCasesTheCallersNameAndLoadsThatFile)
{
    WriteSolid("wood.png", Red);
    char name[] = "Wood.PNG";
    EXPECT_EQ(0, textureManager->LoadTexture(name));
    EXPECT_STREQ("wood.png", name);
    EXPECT_EQ(1, textureManager->textureCount);
    EXPECT_STREQ("wood.png", textureManager->textureNames[0]);
    EXPECT_EQ(Red, Texels(0).At(1, 1));
}

TEST_F(TextureManagerTest, FileIsOpenedUnderItsLowerCasedName)
{
    WriteSolid("Wood.PNG", Red);  // only the name as the scene spells it
    EXPECT_QUITS(Load("Wood.PNG"), 2, "Error : Can't load texture data/wood.png\n\n");
}

TEST_F(TextureManagerTest, LaterRequestsInAnyCasingShareTheSlotWithoutLoading)
{
    WriteSolid("wood.png", Red);
    ASSERT_EQ(0, Load("wood.png"));
    // Another load would now end the process.
    ASSERT_TRUE(workDir_.RemoveDataFile("wood.png"));
    for (const char *casing : {"wood.png", "WOOD.PNG", "wOoD.pNg"}) {
        char name[16];
        strcpy(name, casing);
        EXPECT_EQ(0, textureManager->LoadTexture(name)) << casing;
        EXPECT_STREQ("wood.png", name);
    }
    EXPECT_EQ(1, textureManager->textureCount);
}

TEST_F(TextureManagerTest, NewNamesTakeTheNextSlots)
{
    WriteSolid("a.png", Red);
    WriteSolid("b.png", Green);
    WriteSolid("c.png", Blue);
    EXPECT_EQ(0, Load("a.png"));
    EXPECT_EQ(1, Load("B.png"));
    EXPECT_EQ(0, Load("A.PNG"));
    EXPECT_EQ(2, Load("c.png"));
    EXPECT_EQ(1, Load("b.png"));
    EXPECT_EQ(3, textureManager->textureCount);
    EXPECT_STREQ("b.png", textureManager->textureNames[1]);
    EXPECT_STREQ("c.png", textureManager->textureNames[2]);
    // Each slot has its own texture with its own image.
    EXPECT_EQ(Red, Texels(0).At(0, 0));
    EXPECT_EQ(Green, Texels(1).At(0, 0));
    EXPECT_EQ(Blue, Texels(2).At(0, 0));
}

TEST_F(TextureManagerTest, AfterTwoHundredFiftySixNamesEveryRequestAnswersZero)
{
    for (int i = 0; i < 256; i++) {
        const std::string name = "t" + std::to_string(i) + ".png";
        ASSERT_TRUE(
            showtest::WriteRgbPng(workDir_.DataPath(name), 1, 1, showtest::SolidRgb(1, 1, Red)));
        ASSERT_EQ(i, Load(name.c_str()));
    }
    ASSERT_EQ(256, textureManager->textureCount);

    // Neither loaded (the file does not exist), nor lower-cased.
    char missing[] = "Missing.PNG";
    EXPECT_EQ(0, textureManager->LoadTexture(missing));
    EXPECT_STREQ("Missing.PNG", missing);
    // Not even a name that is already held.
    char held[] = "T5.png";
    EXPECT_EQ(0, textureManager->LoadTexture(held));
    EXPECT_STREQ("T5.png", held);
    EXPECT_EQ(0, Load("t5.png"));
    EXPECT_EQ(256, textureManager->textureCount);
}

TEST_F(TextureManagerTest, BindsBySlot)
{
    WriteSolid("a.png", Red);
    WriteSolid("b.png", Green);
    Load("a.png");
    Load("b.png");
    EXPECT_EQ(1, textureManager->BindTexture(0));
    EXPECT_EQ(textureManager->textureIds[0], Bound());
    EXPECT_EQ(1, textureManager->BindTexture(1));
    EXPECT_EQ(textureManager->textureIds[1], Bound());
    EXPECT_NE(textureManager->textureIds[0], textureManager->textureIds[1]);
}

TEST_F(TextureManagerTest, BindsByExactLowerCaseNameOnly)
{
    WriteSolid("a.png", Red);
    WriteSolid("b.png", Green);
    Load("a.png");
    Load("b.png");
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(1, textureManager->BindTexture("b.png"));
    EXPECT_EQ(textureManager->textureIds[1], Bound());

    EXPECT_EQ(0, textureManager->BindTexture("A.png"));
    EXPECT_EQ(0, textureManager->BindTexture("a.pn"));
    EXPECT_EQ(0, textureManager->BindTexture("nothing.png"));
    EXPECT_EQ(textureManager->textureIds[1], Bound()) << "a failed bind changed the binding";
}

TEST_F(TextureManagerTest, NewTextureStaysBoundAndALookupLeavesTheBindingAlone)
{
    WriteSolid("a.png", Red);
    WriteSolid("b.png", Green);
    Load("a.png");
    EXPECT_EQ(textureManager->textureIds[0], Bound());
    Load("b.png");
    EXPECT_EQ(textureManager->textureIds[1], Bound());
    Load("a.png");
    EXPECT_EQ(textureManager->textureIds[1], Bound());
}

TEST_F(TextureManagerTest, MissingImageEndsTheProcessWithStatusTwo)
{
    EXPECT_QUITS(Load("X.png"), 2, "Error : Can't load texture data/x.png\n\n");
}

TEST_F(TextureManagerTest, FileThatIsNoImageEndsTheProcessWithStatusTwo)
{
    ASSERT_TRUE(workDir_.WriteDataFile("notes.png", "these are no pixels\n"));
    EXPECT_QUITS(Load("notes.png"), 2, "Error : Can't load texture data/notes.png\n\n");
}

TEST_F(TextureManagerTest, MissingImageAfterOthersEndsTheProcessTheSameWay)
{
    WriteSolid("a.png", Red);
    EXPECT_QUITS(
        {
            Load("a.png");
            Load("Sub/Gone.JPG");
        },
        2, "Error : Can't load texture data/sub/gone.jpg\n\n");
}

TEST_F(TextureManagerTest, NameFillingItsFieldIsHeldAndALongerOneRefused)
{
    const std::string longest(59, 'n');  // 63 characters with ".png"
    WriteSolid(longest + ".png", Blue);
    EXPECT_EQ(0, Load((longest + ".PNG").c_str()));
    EXPECT_EQ(0, Load((longest + ".png").c_str()));
    EXPECT_EQ(1, textureManager->BindTexture((longest + ".png").c_str()));

    // One more character could not be found again by its name.
    const std::string tooLong = longest + "n.png";
    WriteSolid(tooLong, Blue);
    EXPECT_QUITS(Load(tooLong.c_str()), 2, "Error : Can't load texture data/" + tooLong + "\n\n");
}

// Eight distinct colours in a 4 x 2 image.
const std::vector<Rgb> Pattern = {Red,          Green,          Blue,          White,
                                  {10, 20, 30}, {200, 100, 50}, {0, 128, 255}, {255, 255, 0}};

TEST_F(TextureManagerTest, TexelsAreTheImagesColoursTopRowFirst)
{
    ASSERT_TRUE(
        showtest::WriteRgbPng(workDir_.DataPath("p.png"), 4, 2, showtest::RgbFrom(Pattern)));
    const showtest::Image texels = Texels(Load("p.png"));
    ASSERT_EQ(4, texels.width);
    ASSERT_EQ(2, texels.height);
    for (int i = 0; i < 8; i++)
        EXPECT_EQ(Pattern[i], texels.At(i % 4, i / 4)) << "texel " << i % 4 << ", " << i / 4;
}

// Files in the other layouts SDL_image delivers; each must upload as RGB.
struct Format {
    const char *name;
    std::function<::testing::AssertionResult(const std::string &, int, int,
                                             const std::vector<Rgb> &)>
        write;
};

const Format Formats[] = {
    {"rgb_png",
     [](const std::string &p, int w, int h, const std::vector<Rgb> &c) {
         return showtest::WriteRgbPng(p, w, h, showtest::RgbFrom(c));
     }},
    {"bgr_bmp",
     [](const std::string &p, int w, int h, const std::vector<Rgb> &c) {
         return showtest::WriteBmp(p, w, h, showtest::RgbFrom(c));
     }},
    {"rgba_png",
     [](const std::string &p, int w, int h, const std::vector<Rgb> &c) {
         std::vector<unsigned char> rgba;
         for (size_t i = 0; i < c.size(); i++) {
             rgba.insert(rgba.end(),
                         {static_cast<unsigned char>(c[i].r), static_cast<unsigned char>(c[i].g),
                          static_cast<unsigned char>(c[i].b),
                          static_cast<unsigned char>(i % 2 ? 0 : 128)});
         }
         return showtest::WriteRgbaPng(p, w, h, rgba);
     }},
    {"palette_png",
     [](const std::string &p, int w, int h, const std::vector<Rgb> &c) {
         std::vector<Rgb> palette;
         std::vector<unsigned char> indices;
         for (Rgb colour : c) {
             size_t i = 0;
             while (i < palette.size() && palette[i] != colour) i++;
             if (i == palette.size()) palette.push_back(colour);
             indices.push_back(static_cast<unsigned char>(i));
         }
         return showtest::WritePalettePng(p, w, h, palette, indices);
     }},
};

void PrintTo(const Format &format, std::ostream *out)
{
    *out << format.name;
}

class TextureFormatTest : public TextureManagerTest,
                          public ::testing::WithParamInterface<Format> {};

TEST_P(TextureFormatTest, UploadsTheImagesColours)
{
    const Format &format = GetParam();
    std::vector<Rgb> pixels = Pattern;
    ASSERT_TRUE(format.write(workDir_.DataPath("p.img"), 4, 2, pixels));
    const showtest::Image texels = Texels(Load("p.img"));
    ASSERT_EQ(4, texels.width);
    ASSERT_EQ(2, texels.height);
    for (int i = 0; i < 8; i++)
        EXPECT_EQ(pixels[i], texels.At(i % 4, i / 4)) << "texel " << i % 4 << ", " << i / 4;
}

TEST_P(TextureFormatTest, OddWidthsKeepTheirRowsApart)
{
    // One colour per row: rows read with the wrong length would mix them.
    const std::vector<Rgb> rowColours = {Red, Green, Blue, White};
    for (int width : {1, 2, 3, 5, 7}) {
        std::vector<Rgb> pixels;
        for (Rgb colour : rowColours) pixels.insert(pixels.end(), width, colour);
        const std::string name = "odd" + std::to_string(width) + ".img";
        ASSERT_TRUE(GetParam().write(workDir_.DataPath(name), width, 4, pixels));
        const showtest::Image texels = Texels(Load(name.c_str()));
        ASSERT_EQ(4, texels.height);
        // GLU's own scaling of widths that are no power of two leaves the
        // last row black whatever it is given; the rows above still show
        // whether the rows were read apart.
        const bool scaled = (width & (width - 1)) != 0;
        for (int y = 0; y < (scaled ? 3 : 4); y++) {
            for (int x = 0; x < texels.width; x++) {
                EXPECT_LE(showtest::ColourDistance(rowColours[y], texels.At(x, y)), 1)
                    << "width " << width << ": texel " << x << ", " << y << " is "
                    << texels.At(x, y) << ", its row is " << rowColours[y];
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, TextureFormatTest, ::testing::ValuesIn(Formats),
                         [](const ::testing::TestParamInfo<Format> &info) {
                             return info.param.name;
                         });

TEST_F(TextureManagerTest, GreyImagesUploadAsGrey)
{
    const std::vector<unsigned char> grey = {0, 17, 128, 255, 64, 200, 1, 99};
    ASSERT_TRUE(showtest::WriteGreyPng(workDir_.DataPath("g.png"), 4, 2, grey));
    const showtest::Image texels = Texels(Load("g.png"));
    ASSERT_EQ(4, texels.width);
    for (int i = 0; i < 8; i++)
        EXPECT_EQ((Rgb{grey[i], grey[i], grey[i]}), texels.At(i % 4, i / 4)) << "texel " << i;
}

}  // namespace
