// The generated show played through the player's own scene effect on an
// offscreen context: no picture of any scene is black or nearly empty.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "effect_3dsplay.h"
#include "main.h"
#include "offscreengl.h"
#include "showdata.h"
#include "texturemanager.h"

namespace contenttest {
namespace {

struct Exposure {
    double dark = 0;  // share of pixels whose brightest channel is below 24
    double mean = 0;  // mean of the brightest channel, 0..255
};

Exposure Measure(const showtest::Image &image)
{
    Exposure e;
    const size_t pixels = size_t(image.width) * image.height;
    for (size_t i = 0; i < pixels; ++i) {
        const unsigned char *p = &image.rgb[i * 3];
        const int top = std::max({p[0], p[1], p[2]});
        e.dark += top < 24;
        e.mean += top;
    }
    e.dark /= pixels;
    e.mean /= pixels;
    return e;
}

TEST(Frames, EveryScenePicturesAFullFrameThroughoutItsSlot)
{
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(
        std::filesystem::path(DataDir()).parent_path());  // the player opens data/...
    {
        showtest::OffscreenGl gl(160, 120);
        ASSERT_TRUE(gl.ok());
        textureManager = new TextureManager;
        Effect_3DSPlay *show = new Effect_3DSPlay;
        show->Init();
        int slotStartMs = 0;
        for (const SceneSlot &slot : ShowScenes()) {
            const int slotMs = slot.frames * 100;
            for (int tenth = 1; tenth <= 9; tenth += 2) {
                const int ms = slotStartMs + slotMs * tenth / 10;
                show->Do(ms, 0);  // a picture shows what the call before it evaluated
                show->Do(ms, 0);
                const Exposure e = Measure(gl.Read());
                // Space scenes are half black by design; a camera that looks at
                // nothing, or through a backdrop from outside, is nearly all black.
                EXPECT_LT(e.dark, 0.85)
                    << slot.file << " at " << (ms - slotStartMs) << " ms: mostly black";
                EXPECT_GT(e.mean, 15)
                    << slot.file << " at " << (ms - slotStartMs) << " ms: too dim";
                if (std::getenv("CONTENT_PRINT_EXPOSURE"))
                    std::printf("%-11s %5d ms  dark %.2f  mean %.0f\n", slot.file, ms - slotStartMs,
                                e.dark, e.mean);
            }
            slotStartMs += slotMs;
        }
        delete show;
        delete textureManager;
        textureManager = nullptr;
    }
    std::filesystem::current_path(previous);
}

}  // namespace
}  // namespace contenttest
