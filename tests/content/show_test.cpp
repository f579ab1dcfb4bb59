// The show as a whole: its images, the variety the renderer's features need,
// the music, and a generator that writes the same bytes every time.
#include <SDL.h>
#include <SDL_image.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <lib3ds/material.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "showdata.h"
#include "showplan.h"

namespace contenttest {
namespace {

namespace fs = std::filesystem;

std::string Lower(std::string s)
{
    for (char &c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// What every scene contributes to the show-wide counts.
struct Census {
    std::set<std::string> images;  // lower-cased names of texture and reflection maps
    int scenesWithDummyParents = 0;
    int meshesWithoutTexels = 0;  // drawn ones
    int reflectiveMaterials = 0;
    int additiveMaterials = 0;
};

Census TakeCensus()
{
    Census c;
    for (const SceneSlot &slot : ShowScenes()) {
        std::string why;
        SceneFile file = LoadScene(slot.file, &why);
        EXPECT_TRUE(file) << why;
        if (!file) continue;
        for (Lib3dsMaterial *m = file->materials; m; m = m->next) {
            if (m->texture1_map.name[0]) c.images.insert(Lower(m->texture1_map.name));
            if (m->reflection_map.name[0]) c.images.insert(Lower(m->reflection_map.name));
            c.reflectiveMaterials += m->reflection_map.name[0] != '\0';
            c.additiveMaterials += m->transparency != 0;
        }
        bool dummyParent = false;
        ForEachNode(file.get(), [&](Lib3dsNode *n) {
            dummyParent |= std::string(n->name) == "$$$DUMMY" && n->childs != nullptr;
        });
        c.scenesWithDummyParents += dummyParent;
        for (Lib3dsNode *n : DrawnNodes(file.get()))
            c.meshesWithoutTexels += lib3ds_file_mesh_by_name(file.get(), n->name)->texels == 0;
    }
    return c;
}

class Show : public ::testing::Test {
protected:
    static void SetUpTestSuite() { census_ = new Census(TakeCensus()); }
    static void TearDownTestSuite()
    {
        delete census_;
        census_ = nullptr;
    }
    static Census *census_;
};
Census *Show::census_ = nullptr;

TEST_F(Show, UsesBetweenTwentyAndTheTextureStoresLimitOfImages)
{
    EXPECT_GE(census_->images.size(), 20u);
    EXPECT_LE(census_->images.size(), 256u);
}

TEST_F(Show, EveryImageDecodesToRgbInThatOrder)
{
    ASSERT_FALSE(census_->images.empty());
    for (const std::string &name : census_->images) {
        const std::string path = DataDir() + "/" + name;
        SDL_Surface *image = IMG_Load(path.c_str());
        ASSERT_NE(image, nullptr) << path << ": " << IMG_GetError();
        EXPECT_EQ(image->format->BytesPerPixel, 3) << name;
        // Three bytes red, green, blue in memory, as the texture store uploads them.
        const Uint32 red = SDL_BYTEORDER == SDL_LIL_ENDIAN ? 0x0000ffu : 0xff0000u;
        EXPECT_EQ(image->format->Rmask, red) << name;
        EXPECT_EQ(image->w & (image->w - 1), 0) << name << ": width not a power of two";
        EXPECT_EQ(image->h & (image->h - 1), 0) << name << ": height not a power of two";
        SDL_FreeSurface(image);
    }
}

TEST_F(Show, ExercisesEveryFeatureOfTheRenderer)
{
    EXPECT_GE(census_->meshesWithoutTexels, 1) << "a drawn mesh without texture coordinates";
    EXPECT_GE(census_->reflectiveMaterials, 3) << "sphere-mapped materials";
    EXPECT_GE(census_->additiveMaterials, 3) << "transparent (additive) materials";
    EXPECT_GE(census_->scenesWithDummyParents, 3)
        << "scenes animating children through $$$DUMMY nodes";
}

TEST_F(Show, MusicIsAnMp3ThatTheMixerLoads)
{
    const std::string path = DataDir() + "/" + showplan::MusicFile;
    ASSERT_TRUE(fs::is_regular_file(path));
    EXPECT_GT(fs::file_size(path), 100000u);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
    ASSERT_EQ(Mix_OpenAudio(showplan::MusicRateHz, AUDIO_S16SYS, showplan::MusicChannels,
                            showplan::MusicBufferFrames),
              0)
        << Mix_GetError();
    Mix_Music *music = Mix_LoadMUS(path.c_str());
    EXPECT_NE(music, nullptr) << Mix_GetError();
    if (music) {
        const Mix_MusicType type = Mix_GetMusicType(music);
        EXPECT_TRUE(type == MUS_MP3 || type == MUS_MP3_MAD) << "music type " << type;
        Mix_FreeMusic(music);
    }
    Mix_CloseAudio();
    SDL_Quit();
}

std::string Slurp(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_F(Show, TwoRunsOfTheGeneratorWriteTheSameBytes)
{
    std::map<std::string, fs::path> first, second;
    for (const auto &e : fs::directory_iterator(DataDir())) first[e.path().filename()] = e.path();
    for (const auto &e : fs::directory_iterator(SecondDataDir()))
        second[e.path().filename()] = e.path();
    ASSERT_EQ(first.size(), second.size());
    for (const auto &[name, path] : first) {
        ASSERT_TRUE(second.count(name)) << name << " only in the first run";
        EXPECT_TRUE(Slurp(path) == Slurp(second[name])) << name << " differs between runs";
    }
    for (const SceneSlot &slot : ShowScenes())
        EXPECT_TRUE(first.count(slot.file)) << slot.file << " not written";
}

}  // namespace
}  // namespace contenttest
