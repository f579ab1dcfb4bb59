// Whole pictures of three small scenes compared with stored references
// (SHOW_UPDATE_REFERENCES=1 rewrites them; look at them before committing).
#include <gtest/gtest.h>
#include <math.h>

#include <string>
#include <vector>

#include "primitives.h"
#include "scenes.h"

namespace {

using coretest::Rgb;
using coretest::SceneTest;
using scenekit::Material;
using scenekit::Motion;
using scenekit::Scene;

class ReferenceTest : public SceneTest {
protected:
    void WriteImage(const std::string &name, int size, Rgb (*shade)(float u, float v))
    {
        std::vector<Rgb> pixels;
        for (int y = 0; y < size; y++)
            for (int x = 0; x < size; x++)
                pixels.push_back(shade((x + 0.5f) / size, (y + 0.5f) / size));
        ASSERT_TRUE(
            showtest::WriteRgbPng(workDir_.DataPath(name), size, size, showtest::RgbFrom(pixels)));
    }
    static Rgb Checker(float u, float v)
    {
        const bool odd = (int(u * 4) + int(v * 4)) % 2;
        const Rgb tile = odd ? Rgb{230, 200, 40} : Rgb{180, 30, 30};
        return v < 0.125f ? Rgb{30, 60, 220} : tile;  // a blue band along the top
    }
    // Brown ground in the top half, sky in the bottom half: uploaded top row
    // first, sphere mapping shows the sky in upward reflections.
    static Rgb Surroundings(float u, float v)
    {
        if (v >= 0.5f) return {int(180 - 120 * (v - 0.5f)), int(220 - 200 * (v - 0.5f)), 250};
        return {int(90 + 60 * v), int(80 + 40 * u), 40};
    }
    static Rgb Halo(float u, float v)
    {
        const float d = hypotf(u - 0.5f, v - 0.5f) * 2;
        const float k = d < 1 ? (1 - d) * (1 - d) : 0;
        return {int(250 * k), int(160 * k), int(60 * k)};
    }
    static Rgb Cool(float u, float v)
    {
        const Rgb warm = Halo(u, v);
        return {warm.b, warm.g, warm.r};
    }
    std::unique_ptr<Load3ds> SaveAndOpen(const Scene &scene, const std::string &file)
    {
        SaveScene(scene, file);
        return Open(file);
    }
};

TEST_F(ReferenceTest, TexturedBox)
{
    WriteImage("checker.png", 32, Checker);
    Scene scene;
    coretest::AddCamera(&scene, {40, -90, 50}, {0, 0, 0}, 45);
    scene.AddMaterial(Material::Textured("Checker", "checker.png"));
    scene.AddObject(scenekit::Box("Box", {0, 0, 0}, {40, 40, 40}, "Checker"),
                    Motion::Spin({0, 0, 0}, {0, 0, 1}, 0, 10, 90));
    scene.AddObject(scenekit::Grid("Floor", {0, 0, -20}, 120, 120, 4, 4, 3, "Checker"));
    auto opened = SaveAndOpen(scene, "textured.3ds");
    opened->Play(300);  // turned by 27 degrees for the next picture
    EXPECT_TRUE(showtest::MatchesReference(Draw(opened.get(), 300), coretest::References(),
                                           "textured_box"));
}

TEST_F(ReferenceTest, ReflectiveSphereOnATexturedFloor)
{
    WriteImage("surroundings.png", 64, Surroundings);
    WriteImage("checker.png", 32, Checker);
    Scene scene;
    coretest::AddCamera(&scene, {0, -110, 35}, {0, 0, 5}, 45);
    scene.AddMaterial(Material::Reflective("Chrome", "surroundings.png"));
    scene.AddMaterial(Material::Textured("Checker", "checker.png"));
    scene.AddObject(scenekit::Sphere("Ball", {0, 0, 10}, 28, 24, 16, "Chrome"));
    scene.AddObject(scenekit::Torus("Ring", {0, 0, 10}, 40, 5, 24, 8, "Chrome"));
    scene.AddObject(scenekit::Grid("Floor", {0, 0, -20}, 160, 160, 4, 4, 4, "Checker"));
    auto opened = SaveAndOpen(scene, "reflective.3ds");
    EXPECT_TRUE(showtest::MatchesReference(Draw(opened.get(), 0), coretest::References(),
                                           "reflective_sphere"));
}

TEST_F(ReferenceTest, TransparentGlowsOverAnOpaqueWall)
{
    WriteImage("halo.png", 32, Halo);
    WriteImage("cool.png", 32, Cool);
    WriteImage("checker.png", 32, Checker);
    Scene scene;
    coretest::AddCamera(&scene, {0, -100, 0}, {0, 0, 0}, 45);
    scene.AddMaterial(Material::Glow("Halo", "halo.png"));
    scene.AddMaterial(Material::Glow("Cool", "cool.png"));
    scene.AddMaterial(Material::Textured("Checker", "checker.png"));
    scene.AddObject(coretest::FacingSquare("A_Wall", {0, 40, 0}, 80, "Checker"));
    scene.AddObject(coretest::FacingSquare("B_Halo", {-12, 0, 5}, 50, "Halo"));
    scene.AddObject(coretest::FacingSquare("C_Cool", {12, 0, -5}, 50, "Cool"));
    scene.AddObject(scenekit::Box("D_Block", {0, 0, 0}, {14, 14, 14}, "Checker"),
                    Motion::Spin({30, -20, 20}, {1, 1, 0}, 0, 10, 45));
    auto opened = SaveAndOpen(scene, "transparent.3ds");
    opened->Play(1000);
    EXPECT_TRUE(showtest::MatchesReference(Draw(opened.get(), 1000), coretest::References(),
                                           "transparent_glows"));
}

}  // namespace
