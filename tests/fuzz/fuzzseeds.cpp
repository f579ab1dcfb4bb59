// Writes the scene fuzzer's seed inputs into a directory: small playable
// scenes written by scenekit whose materials name the fuzzer's images
// (a.bmp, b.bmp, c.bmp), and lib3ds's own richest output.
#include <stdio.h>

#include <string>

#include "lib3dsprobe.h"
#include "primitives.h"
#include "scenekit.h"

using namespace scenekit;

namespace {

bool Save(const Scene &scene, const std::string &path)
{
    std::string error;
    if (scene.Save(path, &error)) return true;
    fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
    return false;
}

Scene Base()
{
    Scene scene;
    scene.AddMaterial(Material::Textured("Wood", "a.bmp"));
    scene.AddMaterial(Material::Reflective("Chrome", "b.bmp"));
    scene.AddMaterial(Material::Glow("Glow", "c.bmp"));
    scene.AddMaterial(Material::Plain("Red", {1, 0, 0}));
    scene.AddAnimatedCamera("Camera01", {{0, {0, -120, 30}}, {40, {30, -100, 40}}},
                            {{0, {0, 0, 0}}}, 50);
    return scene;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    bool ok = true;

    Scene box = Base();
    box.AddObject(Box("Crate", {0, 0, 0}, {20, 20, 20}, "Wood"),
                  Motion::Spin({0, 0, 0}, {0, 0, 1}, 0, 30, 360));
    ok &= Save(box, dir + "/box.3ds");

    Scene family = Base();
    const int dummy = family.AddDummy(Motion::Spin({0, 0, 0}, {0, 1, 0}, 0, 50, 180));
    const int ball = family.AddObject(Sphere("Ball", {0, 0, 0}, 10, 8, 5, "Chrome"),
                                      Motion::Still({15, 0, 0}), dummy);
    family.AddObject(Torus("Ring", {0, 0, 0}, 12, 3, 10, 5, "Glow"), Motion::Still({0, 0, 10}),
                     ball);
    Mesh plain = Cone("Cone", {0, 0, 0}, 8, 12, 6, "Red");
    plain.texels.clear();
    family.AddObject(plain, Motion::Path({{0, {-20, 0, 0}}, {20, {-20, 0, 20}}}));
    for (int i = 0; i < 9; i++)
        family.AddLight(Light{"Light" + std::to_string(i), {float(i * 10), -50, 40}, {1, 1, 1}},
                        {});
    ok &= Save(family, dir + "/family.3ds");

    Scene mixed = Base();
    Mesh strip = Grid("Strip", {0, 0, 0}, 40, 10, 3, 1, 2, "Wood");
    for (size_t i = 0; i < strip.faces.size(); i++)
        strip.faces[i].material = i % 2 ? "" : (i % 3 ? "Chrome" : "Glow");
    mixed.AddObject(strip);
    ok &= Save(mixed, dir + "/mixed.3ds");

    ok &= robust::WriteBytes(dir + "/rich.3ds", robust::RichSceneBytes());
    return ok ? 0 : 1;
}
