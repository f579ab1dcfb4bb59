// The show's scene sequence: the fifteen files it loads in order, the GL
// state it sets, and which scene plays at which moment of the show.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effect_3dsplay.h"
#include "effectsmanager.h"
#include "main.h"
#include "primitives.h"
#include "scenes.h"
#include "showplan.h"
#include "texturemanager.h"

namespace {

using coretest::Rgb;
using coretest::SceneTest;
using coretest::Vec3;
using scenekit::operator*;
using scenekit::Material;
using scenekit::Motion;
using scenekit::Scene;

const int SceneCount = showplan::SceneCount;

std::string ImageOf(int scene)
{
    return "scene" + std::to_string(scene) + ".png";
}
Rgb ColourOf(int scene)
{
    return {30 + 15 * scene, 240 - 15 * scene, scene % 2 ? 200 : 40};
}

class SequenceTest : public SceneTest {
protected:
    // Scene i shows a square in its own colour; a dummy's x position counts
    // animation frames, so its matrix tells the scene-local time of the last
    // Play.
    void WriteShow(const std::string &missingFile = "", const std::string &bloc = "")
    {
        for (int i = 0; i < SceneCount; i++) {
            const std::string file = showplan::Scenes[i].file;
            if (file == missingFile) continue;
            WriteSolidImage(ImageOf(i), ColourOf(i));
            Scene scene;
            coretest::AddCamera(&scene, {0, -100, 0}, {0, 0, 0});
            scene.AddMaterial(Material::Textured(
                "Paint", file == "bloc.3ds" && !bloc.empty() ? bloc : ImageOf(i)));
            scene.AddObject(coretest::FacingSquare("Square", {0, 0, 0}, 40, "Paint"));
            scene.AddDummy(Motion::Path({{0, {0, 0, 0}}, {5000, {5000, 0, 0}}}));
            SaveScene(scene, file);
        }
    }
    Effect_3DSPlay *StartShow()
    {
        effectsManager = new EffectsManager(showplan::ShowLengthMs);
        effectsManager->startTime = 0;
        Effect_3DSPlay *play = new Effect_3DSPlay;
        effectsManager->AddEffect(play, 0, showplan::EffectEndMs);
        return play;
    }
    static Lib3dsNode *Clock(Effect_3DSPlay *play, int scene)
    {
        return coretest::FindNode(play->scenes[scene]->file, scenekit::kDummyName,
                                  LIB3DS_OBJECT_NODE);
    }
    // Runs the frame and answers which scene played and at what local time
    // (ms), or -1 when none or several did.
    void PlayedAt(Effect_3DSPlay *play, int showMs, int *scene, float *localMs, int spanStart = 0)
    {
        for (int i = 0; i < SceneCount; i++) Clock(play, i)->matrix[3][0] = -1;
        play->Do(showMs, spanStart);
        *scene = -1;
        for (int i = 0; i < SceneCount; i++) {
            if (Clock(play, i)->matrix[3][0] == -1) continue;
            if (*scene != -1) {
                *scene = -1;
                return;
            }
            *scene = i;
            *localMs = Clock(play, i)->matrix[3][0] * 100;
        }
    }
};

TEST_F(SequenceTest, InitLoadsTheFifteenScenesInOrder)
{
    WriteShow();
    Effect_3DSPlay *play = StartShow();
    EXPECT_EQ(1, effectsManager->effectCount);
    EXPECT_EQ(14, play->sceneCount);
    for (int i = 0; i < SceneCount; i++) {
        ASSERT_NE(nullptr, play->scenes[i]) << i;
        EXPECT_EQ("data/" + std::string(showplan::Scenes[i].file), play->scenes[i]->fileName);
        // Each scene's image was loaded while that scene was opened.
        EXPECT_EQ(ImageOf(i), textureManager->textureNames[i]);
    }
    EXPECT_EQ(15, textureManager->textureCount);
}

// What Init's GL state does to the pictures of a scene: the picture is
// cleared to black, textured, lit by the head light and the first scene light
// (and no other), nearer faces hide farther ones and the later of two at the
// same depth wins, back faces are culled and normals are used as the scene's
// scale leaves them. Every picture switches lighting, depth test and culling
// on by itself; the shade model and the polygon offset values change nothing
// that this renderer draws.
TEST_F(SequenceTest, InitSetsTheStateTheScenesPicturesRelyOn)
{
    WriteShow();
    WriteSolidImage("grey.png", {128, 128, 128});
    WriteSolidImage("red.png", {255, 0, 0});
    WriteSolidImage("green.png", {0, 255, 0});
    Scene scene;
    const Vec3 eye{0, -100, 0};
    coretest::AddCamera(&scene, eye, {0, 0, 0});
    scene.AddMaterial(Material::Textured("Grey", "grey.png"));
    scene.AddMaterial(Material::Textured("Red", "red.png"));
    scene.AddMaterial(Material::Textured("Green", "green.png"));
    const Vec3 grey{-30, 0, 15}, same{0, 0, 15}, back{30, 0, 15}, scaled{0, 0, -20};
    scene.AddObject(coretest::FacingSquare("A", grey, 16, "Grey"));
    // Drawn in name order, at the same depth.
    scene.AddObject(coretest::FacingSquare("B1", same, 16, "Red"));
    scene.AddObject(coretest::FacingSquare("B2", same, 16, "Green"));
    scenekit::Mesh away = coretest::FacingSquare("C", {0, 0, 0}, 16, "Red");
    away.Transform(scenekit::Translation(back) * scenekit::Rotation({0, 0, 1}, 180));
    scene.AddObject(away);
    // Half the size, scaled twice by its node: its normals come out half as long.
    Motion twice = Motion::Still(scaled);
    twice.scale = {{0, {2, 2, 2}}};
    scene.AddObject(coretest::FacingSquare("D", {0, 0, 0}, 8, "Red"), twice);
    scene.AddLight({"L1", eye});
    scene.AddLight({"L2", eye});
    SaveScene(scene, showplan::Scenes[0].file);

    // The opposite of what Init is to set, and colours for the scene lights.
    glClearColor(0.5f, 0.25f, 0.75f, 0);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHT0);
    glDisable(GL_LIGHT1);
    glDisable(GL_LIGHT2);
    glDepthFunc(GL_LESS);
    glCullFace(GL_FRONT);
    glEnable(GL_NORMALIZE);
    const GLfloat blue[4] = {0, 0, 0.1f, 1}, green[4] = {0, 0.1f, 0, 1};
    glLightfv(GL_LIGHT1, GL_DIFFUSE, blue);
    glLightfv(GL_LIGHT2, GL_DIFFUSE, green);
    Effect_3DSPlay *play = StartShow();
    play->Do(0, 0);
    const showtest::Image picture = gl_->Read();

    auto at = [&](Vec3 p) {
        const coretest::ScreenPoint s =
            coretest::Project(p, eye, {0, 0, 0}, 45, picture.width, picture.height);
        return picture.At(int(s.x), int(s.y));
    };
    // Head light: ambient 0.2 x 0.2 plus diffuse 0.8; the first scene light
    // adds 0.8 x its own diffuse colour.
    const struct {
        const char *what;
        Vec3 where;
        Rgb expected;
    } checks[] = {
        {"background", {0, 0, 35}, {0, 0, 0}},
        {"textured and lit", grey, {108, 108, 118}},
        {"the later of two at one depth", same, {0, 214, 0}},
        {"a back face", back, {0, 0, 0}},
        {"a face scaled twice", scaled, {112, 0, 0}},
    };
    for (const auto &c : checks)
        EXPECT_LE(showtest::ColourDistance(c.expected, at(c.where)), 2)
            << c.what << ": expected " << c.expected << ", saw " << at(c.where);
}

struct Moment {
    int showMs;
    int scene;
    int localMs;
};

TEST_F(SequenceTest, EachMomentPlaysTheSceneOfItsSlotFromTheSlotsStart)
{
    WriteShow();
    Effect_3DSPlay *play = StartShow();
    const Moment moments[] = {
        {0, 0, 0},           {7999, 0, 7999},     {8000, 1, 0},    {15999, 1, 7999},
        {16000, 2, 0},       {19999, 2, 3999},    {20000, 3, 0},   {24000, 4, 0},
        {96000, 13, 0},      {111999, 13, 15999}, {112000, 14, 0}, {120000, 14, 8000},
        {130000, 14, 18000},
    };
    for (const Moment &m : moments) {
        int scene = -1;
        float localMs = -1;
        PlayedAt(play, m.showMs, &scene, &localMs);
        EXPECT_EQ(m.scene, scene) << "at show clock " << m.showMs;
        if (scene == m.scene) {
            EXPECT_NEAR(m.localMs, localMs, 0.05) << "at show clock " << m.showMs;
        }
    }
}

TEST_F(SequenceTest, TheManagerPlaysTheLastSceneUpToTheShowsEnd)
{
    WriteShow();
    Effect_3DSPlay *play = StartShow();
    Clock(play, 14)->matrix[3][0] = -1;
    EXPECT_EQ(1, effectsManager->Do(120000));
    EXPECT_NEAR(80, Clock(play, 14)->matrix[3][0], 1e-3);
    EXPECT_EQ(0, effectsManager->Do(120001));
}

TEST_F(SequenceTest, EveryFrameIsClearedAndShowsItsScenesColour)
{
    WriteShow();
    Effect_3DSPlay *play = StartShow();
    for (int scene : {0, 3, 14}) {
        int showMs = 0;
        for (int i = 0; i < scene; i++) showMs += play->sceneDurations[i];
        // Leave colour and a depth that would hide everything.
        glClearColor(1, 1, 1, 1);
        glClearDepth(0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glClearColor(0, 0, 0, 1);
        glClearDepth(1);
        play->Do(showMs, 0);
        const showtest::Image picture = gl_->Read();
        EXPECT_EQ((Rgb{0, 0, 0}), picture.At(2, 2)) << "scene " << scene;
        const Rgb c = ColourOf(scene);
        const float k = 0.84f;
        EXPECT_LE(showtest::ColourDistance(
                      {int(c.r * k + 0.5f), int(c.g * k + 0.5f), int(c.b * k + 0.5f)},
                      picture.At(picture.width / 2, picture.height / 2)),
                  2)
            << "scene " << scene << " shows " << picture.At(picture.width / 2, picture.height / 2);
    }
}

TEST_F(SequenceTest, TheSecondArgumentMakesNoDifference)
{
    WriteShow();
    Effect_3DSPlay *play = StartShow();
    for (int spanStart : {0, 8000, -5, 123456}) {
        int scene = -1;
        float localMs = -1;
        PlayedAt(play, 9000, &scene, &localMs, spanStart);
        EXPECT_EQ(1, scene) << "span start " << spanStart;
        EXPECT_NEAR(1000, localMs, 0.05) << "span start " << spanStart;
    }
}

TEST_F(SequenceTest, MissingSceneEndsLoadingThereWithStatusOne)
{
    // Opening bloc.3ds, which comes next, would end with a texture error instead.
    WriteShow("tor.3ds", "notthere.png");
    EXPECT_QUITS(StartShow(), 1, "Load3ds error : Can't load 3ds file data/tor.3ds\n");
}

TEST_F(SequenceTest, ImageMissingFromALaterSceneEndsLoadingWithStatusTwo)
{
    WriteShow("", "notthere.png");
    EXPECT_QUITS(StartShow(), 2, "Error : Can't load texture data/notthere.png\n\n");
}

}  // namespace
