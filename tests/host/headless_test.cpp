// The headless host as the tools and the fuzzer use it: Quit without and with
// a handler, and the show built from data/ as main builds it.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif

#include "effect.h"
#include "effect_3dsplay.h"
#include "effectsmanager.h"
#include "headless.h"
#include "main.h"
#include "offscreen.h"
#include "primitives.h"
#include "scenekit.h"
#include "showplan.h"
#include "texturemanager.h"

namespace {

// Death-test children print their standard output into what EXPECT_EXIT matches.
void StdoutToStderr()
{
    fflush(stdout);
    dup2(2, 1);
}

class SayDeleted : public Effect {
public:
    ~SayDeleted() override { printf("effect deleted\n"); }
};

void SayAtExit()
{
    printf("atexit ran\n");
}

TEST(Quit, PrintsReleasesTheManagersAndExitsThroughExit)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            StdoutToStderr();
            atexit(SayAtExit);
            effectsManager = new EffectsManager(1000);
            effectsManager->AddEffect(new SayDeleted, 0, 10);
            textureManager = new TextureManager;
            Quit(3, "bye");
        },
        ::testing::ExitedWithCode(3), "bye\neffect deleted\natexit ran\n");
}

struct Thrown {
    int status;
};

TEST(Quit, AHandlerThatThrowsUnwindsBeforeAnythingIsReleased)
{
    headless::SetQuitHandler([](int status, const char *) { throw Thrown{status}; });
    textureManager = new TextureManager;
    int status = 0;
    try {
        Quit(2, "unseen");
    } catch (const Thrown &thrown) {
        status = thrown.status;
    }
    headless::SetQuitHandler(nullptr);
    EXPECT_EQ(status, 2);
    EXPECT_NE(textureManager, nullptr);
    delete textureManager;
    textureManager = nullptr;
}

// A fresh directory with data/, current for the test's life.
class InDataDir : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_ = std::filesystem::current_path();
        char dir[] = "/tmp/host-test-XXXXXX";
        ASSERT_TRUE(mkdtemp(dir));
        dir_ = dir;
        std::filesystem::create_directory(dir_ / "data");
        std::filesystem::current_path(dir_);
    }
    void TearDown() override
    {
        std::filesystem::current_path(previous_);
        std::filesystem::remove_all(dir_);
    }

    std::filesystem::path previous_, dir_;
};

TEST_F(InDataDir, BuildShowEndsLikeTheShowOnAMissingScene)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            StdoutToStderr();
#ifdef __SANITIZE_ADDRESS__
            // The effect whose Init quits is not held yet: the show leaves it too.
            __lsan_disable();
#endif
            headless::OffscreenGl gl(32, 24);
            headless::BuildShow();
        },
        ::testing::ExitedWithCode(1),
        std::string("^Load3ds error : Can't load 3ds file data/") + showplan::Scenes[0].file +
            "\n$");
}

TEST_F(InDataDir, BuildShowHoldsTheSceneEffectOverTheShowAsMainDoes)
{
    for (const showplan::SceneSlot &slot : showplan::Scenes) {
        scenekit::Scene scene;
        scene.AddMaterial(scenekit::Material::Plain("Grey", {0.5f, 0.5f, 0.5f}));
        scene.AddObject(scenekit::Box("Box", {0, 0, 0}, {10, 10, 10}, "Grey"));
        scene.AddAnimatedCamera("Camera01", {{0, {0, -100, 0}}}, {{0, {0, 0, 0}}}, 45);
        std::string error;
        ASSERT_TRUE(scene.Save(std::string("data/") + slot.file, &error)) << error;
    }
    headless::OffscreenGl gl(32, 24);
    ASSERT_TRUE(gl.ok());
    Effect_3DSPlay *show = headless::BuildShow();
    ASSERT_TRUE(effectsManager && textureManager);
    EXPECT_EQ(effectsManager->duration, showplan::ShowLengthMs);
    ASSERT_EQ(effectsManager->effectCount, 1);
    EXPECT_EQ(effectsManager->effects[0], show);
    EXPECT_EQ(effectsManager->effectStarts[0], 0);
    EXPECT_EQ(effectsManager->effectEnds[0], showplan::EffectEndMs);
    EXPECT_EQ(show->sceneCount + 1, showplan::SceneCount) << "every scene loaded";
    // Show time from tick 0: the last picture at the show's length, none after.
    EXPECT_EQ(effectsManager->Do(showplan::ShowLengthMs), 1);
    EXPECT_EQ(effectsManager->Do(showplan::ShowLengthMs + 1), 0);
    delete effectsManager;
    effectsManager = nullptr;
    delete textureManager;
    textureManager = nullptr;
}

}  // namespace
