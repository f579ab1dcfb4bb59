// Scene files and pictures for the core's tests: tiny .3ds scenes written
// with scenekit, opened with the show's loader and drawn offscreen.
#ifndef CORETEST_SCENES_H
#define CORETEST_SCENES_H

#include <lib3ds/file.h>
#include <lib3ds/node.h>

#include <memory>
#include <string>

#include "effect_3dsplay.h"
#include "load3ds.h"
#include "scenekit.h"
#include "showfixture.h"
#include "testimages.h"

namespace coretest {

using scenekit::Vec3;
using scenekit::operator*;  // Matrix is a std::array: no argument-dependent lookup
using showtest::Rgb;

// The references of this folder and where mismatching pictures go.
showtest::ReferenceDirs References();

// Camera "Camera01" (camera and target nodes) standing at eye, looking at target.
void AddCamera(scenekit::Scene *scene, Vec3 eye, Vec3 target, float fovDeg = 45);
// A square of side size centred at center, upright in the XZ plane and seen
// from -Y; the image maps onto it once, upright.
scenekit::Mesh FacingSquare(const std::string &name, Vec3 center, float size,
                            const std::string &material);
// Where a world point lands in a width x height picture seen by a camera at
// eye looking at target (+Z up) with this vertical field of view and the
// show's 4:3 aspect; x to the right and y down from the top-left corner.
struct ScreenPoint {
    float x, y;
};
ScreenPoint Project(Vec3 point, Vec3 eye, Vec3 target, float fovDeg, int width, int height);

// The node of this name and type, or null.
Lib3dsNode *FindNode(Lib3dsFile *file, const char *name, Lib3dsNodeTypes type);

class SceneTest : public showtest::ShowCoreTest {
protected:
    void SetUp() override;

    // A 4x4 image of one colour in data/<name>.
    void WriteSolidImage(const std::string &name, Rgb colour);
    // Writes data/<file>; with playable false, also scenes the player must refuse.
    void SaveScene(const scenekit::Scene &scene, const std::string &file, bool playable = true);
    // A new scene opened from data/<file>.
    std::unique_ptr<Load3ds> Open(const std::string &file);
    // Clears, plays the scene at ms and reads the picture.
    showtest::Image Draw(Load3ds *scene, int ms);
};

}  // namespace coretest

#endif
