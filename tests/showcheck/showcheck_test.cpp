// The content checker run as a program on small data directories: a base
// that keeps every rule (checkdata.h), broken in each test in the ways the
// show cares about. Each test checks every line the checker prints.
#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "checkdata.h"
#include "command.h"
#include "primitives.h"
#include "showplan.h"
#include "testimages.h"
#include "workdir.h"

namespace {

namespace fs = std::filesystem;
using scenekit::NodeType;

struct Finding {
    std::string file;  // as the show names it in data/
    std::string kind;  // "error" or "warning"
    std::string text;  // a part of the message
};

struct Result {
    int status = -1;
    std::vector<std::string> lines;  // the findings, then the summary
};

// Runs showcheck with these arguments (and environment assignments before
// it), in the working directory.
Result RunChecker(const std::string &args, const std::string &environment = "")
{
    Result result;
    int status = -1;
    std::istringstream printed(
        showtest::RunCommand(environment + " " SHOWCHECK " " + args + " 2>/dev/null", &status));
    for (std::string line; std::getline(printed, line);) result.lines.push_back(line);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string Printed(const Result &result)
{
    std::string all;
    for (const std::string &line : result.lines) all += "\n  " + line;
    return all;
}

// The findings in order, one line each, then the summary.
::testing::AssertionResult Reports(const Result &result, const std::vector<Finding> &findings,
                                   const std::string &summary)
{
    if (result.lines.size() != findings.size() + 1)
        return ::testing::AssertionFailure() << "expected " << findings.size()
                                             << " findings and a summary, saw:" << Printed(result);
    for (size_t i = 0; i < findings.size(); i++) {
        const Finding &f = findings[i];
        const std::string head = "data/" + f.file + ": " + f.kind + ": ";
        const std::string &line = result.lines[i];
        if (line.compare(0, head.size(), head) != 0 ||
            line.find(f.text, head.size()) == std::string::npos)
            return ::testing::AssertionFailure()
                   << "line " << i + 1 << " should be \"" << head << "...\" with \"" << f.text
                   << "\", saw:" << Printed(result);
    }
    if (result.lines.back() != "showcheck: data: " + summary)
        return ::testing::AssertionFailure()
               << "summary should be \"" << summary << "\", saw:" << Printed(result);
    return ::testing::AssertionSuccess();
}

// sdl12-compat, SDL 1.2 on SDL 2, calls itself 1.2.50 or later.
bool LinkedToSdl12Compat()
{
    const SDL_version *v = SDL_Linked_Version();
    return SDL_VERSIONNUM(v->major, v->minor, v->patch) >= SDL_VERSIONNUM(1, 2, 50);
}

class ShowCheck : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const fs::directory_entry &entry : fs::directory_iterator(SHOWCHECK_BASE))
            fs::copy(entry.path(), Path(entry.path().filename().string()));
    }

    std::string Path(const std::string &name) const { return work_.DataPath(name); }
    void Write(const std::string &name, const std::string &bytes) const
    {
        ASSERT_TRUE(work_.WriteDataFile(name, bytes)) << name;
    }
    void Remove(const std::string &name) const { ASSERT_TRUE(work_.RemoveDataFile(name)) << name; }

    static scenekit::Scene SlotScene(int slot)
    {
        return checkdata::SlotScene(slot, checkdata::SlotImage(slot));
    }
    // Writes the scene of a plan slot, as broken as the options let it be.
    void Save(int slot, const scenekit::Scene &scene, bool playable = false,
              bool nameEveryFace = true) const
    {
        scenekit::SaveOptions options;
        options.checkPlayable = playable;
        options.nameEveryFace = nameEveryFace;
        std::string error;
        ASSERT_TRUE(scene.Save(Path(showplan::Scenes[slot].file), &error, options)) << error;
    }
    static scenekit::Node &NodeOf(scenekit::Scene &scene, NodeType type)
    {
        for (size_t i = 0;; i++)
            if (scene.nodes()[i].type == type) return scene.node(int(i));
    }

    showtest::ScopedWorkDir work_;
};

TEST_F(ShowCheck, ADirectoryThatKeepsTheRulesHasNoFindings)
{
    const Result byDefault = RunChecker("");
    EXPECT_EQ(0, byDefault.status);
    EXPECT_TRUE(Reports(byDefault, {}, "no errors, no warnings: the show can play it"));

    const Result named = RunChecker(work_.path() + "/data/");
    EXPECT_EQ(0, named.status);
    ASSERT_EQ(1u, named.lines.size()) << Printed(named);
    EXPECT_EQ("showcheck: " + work_.path() + "/data: no errors, no warnings: the show can play it",
              named.lines[0]);
}

TEST_F(ShowCheck, UsageErrorsAnswerTwoAndAMissingDirectoryOne)
{
    for (const char *args : {"data data", "-h", "''"}) {
        const Result result = RunChecker(args);
        EXPECT_EQ(2, result.status) << args;
        EXPECT_TRUE(result.lines.empty()) << args << Printed(result);
    }
    const Result missing = RunChecker("nowhere");
    EXPECT_EQ(1, missing.status);
    EXPECT_EQ((std::vector<std::string>{"nowhere: error: no such directory",
                                        "showcheck: nowhere: the show cannot play it"}),
              missing.lines);
}

TEST_F(ShowCheck, EverySceneFileTheShowCannotLoadIsReportedAtOnce)
{
    Remove("tor.3ds");
    const std::string whole = [&] {
        std::ifstream in(Path("c.3ds"), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();
    Write("c.3ds", whole.substr(0, whole.size() / 2));
    Remove("gl.3ds");
    fs::create_directory(Path("gl.3ds"));
    Write("bloc.3ds", "not a scene");
    const Result result = RunChecker("");
    EXPECT_EQ(1, result.status);
    EXPECT_TRUE(Reports(result,
                        {{"c.3ds", "error", "refused by the show's check of its chunks: "},
                         {"gl.3ds", "error",
                          "not a file (the show stops at start-up: Load3ds error : Can't "
                          "load 3ds file data/gl.3ds)"},
                         {"tor.3ds", "error",
                          "missing (the show stops at start-up: Load3ds error : Can't "
                          "load 3ds file data/tor.3ds)"},
                         {"bloc.3ds", "error", "refused by the show's check of its chunks: "}},
                        "4 errors, no warnings: the show cannot play it"));
}

TEST_F(ShowCheck, TheCameraTheShowLooksThrough)
{
    scenekit::Scene noCamera;
    noCamera.AddMaterial(scenekit::Material::Textured("Flat", checkdata::SlotImage(0)));
    noCamera.AddObject(scenekit::Box("Box", {}, {10, 10, 10}, "Flat"),
                       scenekit::Motion::Spin({}, {0, 0, 1}, 0, 80, 90));
    Save(0, noCamera);

    scenekit::Scene noCameraNode = SlotScene(1);
    NodeOf(noCameraNode, NodeType::Camera).name = "Other";
    Save(1, noCameraNode);

    scenekit::Scene noTargetNode = SlotScene(2);
    NodeOf(noTargetNode, NodeType::Target).name = "Camera02";
    Save(2, noTargetNode);

    scenekit::Scene closingLens = SlotScene(3);
    NodeOf(closingLens, NodeType::Camera).fov = {{0, 45}, {20, 0}};
    Save(3, closingLens);

    scenekit::Scene throughTarget = SlotScene(4);
    NodeOf(throughTarget, NodeType::Camera).motion.position = {
        {0, {0, -100, 0}}, {40, {0, 0, 0}}, {80, {0, -90, 0}}};
    Save(4, throughTarget);

    // The first camera by name is the one the show looks through.
    scenekit::Scene secondCamera = SlotScene(5);
    secondCamera.AddCamera({"Alpha", {0, -50, 0}, {0, 0, 0}, 45, 0});
    Save(5, secondCamera);

    const Result result = RunChecker("");
    EXPECT_EQ(1, result.status);
    EXPECT_TRUE(Reports(
        result,
        {{"_i2.3ds", "error", "no camera (the show stops at start-up: Load3ds error : no camera)"},
         {"c.3ds", "error",
          "no camera node named \"Camera01\", the first camera by name (the show stops at "
          "the scene's first picture: load3ds : No camera)"},
         {"gl.3ds", "error",
          "no target node named \"Camera01\" (the show stops at the scene's first "
          "picture: load3ds : No target)"},
         {"tor.3ds", "error", "the camera's field of view is 0 degrees at 2.00 s"},
         {"bloc.3ds", "error", "the camera node and the target node meet at 4.00 s"},
         {"puz.3ds", "error", "no camera node named \"Alpha\", the first camera by name"}},
        "6 errors, no warnings: the show cannot play it"));
}

TEST_F(ShowCheck, WhatIsDrawnAndHowLongItMoves)
{
    scenekit::Scene ghost = SlotScene(7);
    scenekit::Node node;
    node.name = "Ghost";
    ghost.AddNode(node);
    Save(7, ghost);

    scenekit::Scene unnamedFirst = SlotScene(8);
    unnamedFirst.mesh(0).faces[0].material = "";
    Save(8, unnamedFirst, false, false);

    scenekit::Scene unknown = SlotScene(9);
    unknown.mesh(0).SetMaterial("Nope");
    Save(9, unknown);

    scenekit::Scene stopsEarly = SlotScene(10);
    NodeOf(stopsEarly, NodeType::Camera).motion.position.back().frame = 60;
    Save(10, stopsEarly);

    scenekit::Scene still = SlotScene(11);
    NodeOf(still, NodeType::Camera).motion.position.pop_back();
    Save(11, still);

    const Result result = RunChecker("");
    EXPECT_EQ(0, result.status);
    EXPECT_TRUE(Reports(
        result,
        {{"c2.3ds", "warning",
          "object node \"Ghost\" has no mesh of its name: nothing is drawn for it"},
         {"capsul.3ds", "warning",
          "mesh \"Quad\": 1 of 2 faces have no material: the show draws them opaque "
          "with its first image"},
         {"tub2.3ds", "warning",
          "mesh \"Quad\": 2 of 2 faces have no material (the file has no material "
          "\"Nope\")"},
         {"tub.3ds", "warning",
          "its animation ends at 6.00 s: it stands still for the rest of its slot of 8.00 s"},
         {"_i.3ds", "warning", "nothing in it moves: it stands still for its slot of 8.00 s"}},
        "no errors, 5 warnings: the show can play it"));
}

TEST_F(ShowCheck, EachImageAsTheTextureStoreLoadsIt)
{
    auto renameImage = [&](int slot, const std::string &image) {
        scenekit::Scene scene = SlotScene(slot);
        scene.material(0).texture = image;
        Save(slot, scene, true);
    };
    Remove("img0.png");
    renameImage(1, "Img1.PNG");
    fs::rename(Path("img1.png"), Path("Img1.PNG"));
    Write("img2.png", "not an image");
    ASSERT_TRUE(
        showtest::WriteRgbaPng(Path("img3.png"), 4, 4, std::vector<unsigned char>(64, 200)));
    ASSERT_TRUE(
        showtest::WriteGreyPng(Path("img4.png"), 4, 4, std::vector<unsigned char>(16, 100)));
    renameImage(5, "img5.bmp");
    ASSERT_TRUE(showtest::WriteBmp(Path("img5.bmp"), 4, 4, std::vector<unsigned char>(48, 50)));
    ASSERT_TRUE(showtest::WriteRgbPng(Path("img6.png"), 12, 16,
                                      std::vector<unsigned char>(12 * 16 * 3, 9)));
    // One image under two casings: one file, loaded once.
    renameImage(7, "Shared.png");
    renameImage(8, "shared.PNG");
    ASSERT_TRUE(showtest::WriteRgbPng(Path("shared.png"), 4, 4, std::vector<unsigned char>(48, 9)));

    const Result result = RunChecker("");
    EXPECT_EQ(1, result.status);
    EXPECT_TRUE(Reports(
        result,
        {{"img0.png", "error",
          "missing; named \"img0.png\" by material \"Flat\" of _i2.3ds (the show stops at "
          "start-up: "
          "Error : Can't load texture data/img0.png)"},
         {"img1.png", "error",
          "missing; named \"Img1.PNG\" by material \"Flat\" of c.3ds; there is Img1.PNG, but the "
          "show "
          "opens the lower-cased name"},
         {"img2.png", "error", "SDL_image cannot decode it: "},
         {"img3.png", "warning",
          "it decodes to 32-bit pixels with alpha (dropped); the show converts them "
          "to 24-bit red, green, blue"},
         {"img4.png", "warning", "it decodes to 8-bit colour-indexed pixels"},
         {"img5.bmp", "warning",
          "it decodes to 24-bit pixels in another byte order than red, green, blue"},
         {"img6.png", "warning", "12x16: sides that are not powers of two are scaled by GLU"}},
        "3 errors, 4 warnings: the show cannot play it"));
}

// The first scene's image, 242 more and those of the next thirteen scenes
// fill the store's 256 slots: the last scene's own image has none, and nor
// has an image loaded long before, as a full store answers slot 0 to all.
TEST_F(ShowCheck, TheTextureStoresSlotsRunOut)
{
    scenekit::Scene crowded = SlotScene(0);
    for (int i = 0; i < 242; i++) {
        char name[16];
        snprintf(name, sizeof name, "t%03d.png", i);
        crowded.AddMaterial(scenekit::Material::Textured(std::string("M") + name, name));
        ASSERT_TRUE(showtest::WriteRgbPng(Path(name), 4, 4, std::vector<unsigned char>(48, 1)));
    }
    Save(0, crowded, true);
    scenekit::Scene last = SlotScene(14);
    last.AddMaterial(scenekit::Material::Textured("Zed", "t000.png"));
    Save(14, last, true);

    const Result result = RunChecker("");
    EXPECT_EQ(1, result.status);
    EXPECT_TRUE(
        Reports(result,
                {{"img14.png", "error",
                  "named after the texture store's 256 slots are full: the first "
                  "image is shown instead; named \"img14.png\" by material "
                  "\"Flat\" of end.3ds"},
                 {"t000.png", "error", "named after the texture store's 256 slots are full"}},
                "2 errors, no warnings: the show cannot play it"));
}

TEST_F(ShowCheck, TheMusic)
{
    const std::string music = showplan::MusicFile;
    // The decoder may keep the encoder's padding: a little over 4 s.
    const Finding shortMusic{music, "warning", "it lasts 4."};
    const Finding resampled{
        music, "warning",
        "44100 Hz stereo: classic SDL 1.2 resamples it to 22050 Hz stereo as it plays, "
        "dropping or repeating samples, which aliases (sdl12-compat refuses it)"};
    const Finding refused{music, "error", "44100 Hz stereo: the show on sdl12-compat "};
    const bool compat = LinkedToSdl12Compat();
    struct Case {
        const char *what;
        std::string bytes;  // written as the music when rate is 0; empty: no music
        int rate;           // else 4 s of music at this rate
        std::vector<Finding> findings;
        std::string summary;
    };
    const std::vector<Case> cases = {
        {"none",
         "",
         0,
         {{music, "error",
           "missing (the show stops at start-up: Couldn't load music : data/2minute.mp3)"}},
         "1 error, no warnings: the show cannot play it"},
        {"not music",
         "plain text, not music at all",
         0,
         {{music, "error",
           "it holds no MPEG audio: the show plays no music (on sdl12-compat it stops at "
           "start-up: Couldn't load music)"}},
         "1 error, no warnings: the show cannot play it"},
        {"short", "", 22050, {shortMusic}, "no errors, 1 warning: the show can play it"},
        {"44.1 kHz",
         "",
         44100,
         {compat ? refused : resampled, shortMusic},
         compat ? "1 error, 1 warning: the show cannot play it"
                : "no errors, 2 warnings: the show can play it"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(Path(music));
        std::string error;
        if (c.rate)
            ASSERT_TRUE(checkdata::WriteMusic(Path(music), c.rate, 4, &error)) << error;
        else if (!c.bytes.empty())
            Write(music, c.bytes);
        const Result result = RunChecker("");
        EXPECT_EQ(c.findings.front().kind == "error" ? 1 : 0, result.status);
        EXPECT_TRUE(Reports(result, c.findings, c.summary));
    }

    // Where sdl12-compat is installed beside classic SDL 1.2, the checker
    // run on it refuses the last case's music.
    if (std::string(SHOWTEST_COMPAT_SDL_DIR).empty()) return;
    const Result onCompat = RunChecker("", "LD_LIBRARY_PATH=" SHOWTEST_COMPAT_SDL_DIR);
    EXPECT_EQ(1, onCompat.status);
    EXPECT_TRUE(
        Reports(onCompat, {refused, shortMusic}, "1 error, 1 warning: the show cannot play it"));
}

}  // namespace
