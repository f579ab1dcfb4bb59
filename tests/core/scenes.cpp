#include "scenes.h"

#include <GL/gl.h>
#include <math.h>

#include "primitives.h"

namespace coretest {

showtest::ReferenceDirs References()
{
    return {SHOW_REFERENCE_DIR, SHOW_FAILED_IMAGE_DIR};
}

void AddCamera(scenekit::Scene *scene, Vec3 eye, Vec3 target, float fovDeg)
{
    scene->AddAnimatedCamera("Camera01", {{0, eye}}, {{0, target}}, fovDeg);
}

scenekit::Mesh FacingSquare(const std::string &name, Vec3 center, float size,
                            const std::string &material)
{
    scenekit::Mesh mesh = scenekit::Grid(name, {0, 0, 0}, size, size, 1, 1, 1, material);
    mesh.Transform(scenekit::Translation(center) * scenekit::Rotation({1, 0, 0}, 90));
    return mesh;
}

ScreenPoint Project(Vec3 point, Vec3 eye, Vec3 target, float fovDeg, int width, int height)
{
    const Vec3 forward = scenekit::Normalize(target - eye);
    const Vec3 right = scenekit::Normalize(scenekit::Cross(forward, {0, 0, 1}));
    const Vec3 up = scenekit::Cross(right, forward);
    const Vec3 d = point - eye;
    const float depth = scenekit::Dot(d, forward);
    const float halfHeight = depth * tanf(fovDeg * float(M_PI) / 360.0f);
    const float ndcX = scenekit::Dot(d, right) / (halfHeight * 1.333f);
    const float ndcY = scenekit::Dot(d, up) / halfHeight;
    return {(ndcX + 1) / 2 * width, (1 - ndcY) / 2 * height};
}

Lib3dsNode *FindNode(Lib3dsFile *file, const char *name, Lib3dsNodeTypes type)
{
    return lib3ds_file_node_by_name(file, name, type);
}

void SceneTest::SetUp()
{
    ShowCoreTest::SetUp();
    SetShowGlState();
}

void SceneTest::WriteSolidImage(const std::string &name, Rgb colour)
{
    ASSERT_TRUE(
        showtest::WriteRgbPng(workDir_.DataPath(name), 4, 4, showtest::SolidRgb(4, 4, colour)));
}

void SceneTest::SaveScene(const scenekit::Scene &scene, const std::string &file, bool playable)
{
    scenekit::SaveOptions options;
    options.checkPlayable = playable;
    std::string error;
    ASSERT_TRUE(scene.Save(workDir_.DataPath(file), &error, options)) << file << ": " << error;
}

std::unique_ptr<Load3ds> SceneTest::Open(const std::string &file)
{
    std::unique_ptr<Load3ds> scene(new Load3ds);
    scene->Open(file.c_str());
    return scene;
}

showtest::Image SceneTest::Draw(Load3ds *scene, int ms)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    scene->Play(ms);
    return gl_->Read();
}

}  // namespace coretest
