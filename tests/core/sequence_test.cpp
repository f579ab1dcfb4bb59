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
using scenekit::Material;
using scenekit::Motion;
using scenekit::Scene;

const int SceneCount = showplan::SceneCount;

std::string ImageOf(int scene) { return "scene" + std::to_string(scene) + ".png"; }
Rgb ColourOf(int scene) { return {30 + 15 * scene, 240 - 15 * scene, scene % 2 ? 200 : 40}; }

class SequenceTest : public SceneTest {
protected:
    // Scene i shows a square in its own colour; a dummy's x position counts
    // animation frames, so its matrix tells the scene-local time of the last
    // Play.
    void WriteShow(const std::string &missingFile = "", const std::string &bloc = "")
    {
        for (int i = 0; i < SceneCount; i++) {
            const std::string file = showplan::Scenes[i].file;
            if (file == missingFile)
                continue;
            WriteSolidImage(ImageOf(i), ColourOf(i));
            Scene scene;
            coretest::AddCamera(&scene, {0, -100, 0}, {0, 0, 0});
            scene.AddMaterial(Material::Textured("Paint", file == "bloc.3ds" && !bloc.empty() ? bloc : ImageOf(i)));
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
        return coretest::FindNode(play->scenes[scene]->file, scenekit::kDummyName, LIB3DS_OBJECT_NODE);
    }
    // Runs the frame and answers which scene played and at what local time
    // (ms), or -1 when none or several did.
    void PlayedAt(Effect_3DSPlay *play, int showMs, int *scene, float *localMs, int spanStart = 0)
    {
        for (int i = 0; i < SceneCount; i++)
            Clock(play, i)->matrix[3][0] = -1;
        play->Do(showMs, spanStart);
        *scene = -1;
        for (int i = 0; i < SceneCount; i++) {
            if (Clock(play, i)->matrix[3][0] == -1)
                continue;
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

TEST_F(SequenceTest, InitSetsTheShowsGlState)
{
    WriteShow();
    // The opposite of everything Init is to set.
    glClearColor(0.5f, 0.25f, 0.75f, 0);
    glDisable(GL_TEXTURE_2D);
    glShadeModel(GL_FLAT);
    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT0);
    glDisable(GL_LIGHT1);
    glDepthFunc(GL_ALWAYS);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    glEnable(GL_NORMALIZE);
    glPolygonOffset(7, 9);
    StartShow();

    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(0, clear[0]);
    EXPECT_EQ(0, clear[1]);
    EXPECT_EQ(0, clear[2]);
    EXPECT_EQ(1, clear[3]);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLint value = 0;
    glGetIntegerv(GL_SHADE_MODEL, &value);
    EXPECT_EQ(GL_SMOOTH, value);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT2));
    glGetIntegerv(GL_DEPTH_FUNC, &value);
    EXPECT_EQ(GL_LEQUAL, value);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    glGetIntegerv(GL_CULL_FACE_MODE, &value);
    EXPECT_EQ(GL_BACK, value);
    EXPECT_FALSE(glIsEnabled(GL_NORMALIZE));
    GLfloat offset = 0;
    glGetFloatv(GL_POLYGON_OFFSET_FACTOR, &offset);
    EXPECT_EQ(1, offset);
    glGetFloatv(GL_POLYGON_OFFSET_UNITS, &offset);
    EXPECT_EQ(2, offset);
    EXPECT_FALSE(glIsEnabled(GL_POLYGON_OFFSET_FILL));
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
        {0, 0, 0},          {7999, 0, 7999},     {8000, 1, 0},       {15999, 1, 7999},
        {16000, 2, 0},      {19999, 2, 3999},    {20000, 3, 0},      {24000, 4, 0},
        {96000, 13, 0},     {111999, 13, 15999}, {112000, 14, 0},    {120000, 14, 8000},
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
        for (int i = 0; i < scene; i++)
            showMs += play->sceneDurations[i];
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
        EXPECT_LE(showtest::ColourDistance({int(c.r * k + 0.5f), int(c.g * k + 0.5f), int(c.b * k + 0.5f)},
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

} // namespace
