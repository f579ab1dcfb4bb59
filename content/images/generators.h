// The individual image generators. Each one paints a canvas of the given size
// from constant seeds; the catalogue in images.cpp decides names and sizes.
#pragma once

#include "canvas.h"

namespace imagegen {

// Tileable texture maps.
Canvas Marble(int w, int h);
Canvas MarbleGreen(int w, int h);
Canvas Wood(int w, int h);
Canvas BrushedMetal(int w, int h);
Canvas Rust(int w, int h);
Canvas Tiles(int w, int h);
Canvas Circuit(int w, int h);
Canvas TechPanel(int w, int h);
Canvas HexGrid(int w, int h);
Canvas Checker(int w, int h);
Canvas CandyStripes(int w, int h);
Canvas Brick(int w, int h);
Canvas Flagstones(int w, int h);
Canvas Concrete(int w, int h);
Canvas TunnelPanel(int w, int h);
Canvas NeonGrid(int w, int h);
Canvas Sky(int w, int h);
Canvas Lava(int w, int h);
Canvas Plasma(int w, int h);
Canvas CarbonFibre(int w, int h);
Canvas Nebula(int w, int h);
Canvas Caustics(int w, int h);

// Sphere maps: a disc of the world as reflected by a mirror ball.
Canvas ChromeEnv(int w, int h);
Canvas GoldEnv(int w, int h);
Canvas StudioEnv(int w, int h);
Canvas SunsetEnv(int w, int h);
Canvas NeonEnv(int w, int h);
Canvas IceEnv(int w, int h);
Canvas FireEnv(int w, int h);

// Glows for additive drawing.
Canvas GlowWhite(int w, int h);
Canvas GlowBlue(int w, int h);
Canvas GlowOrange(int w, int h);
Canvas GlowMagenta(int w, int h);
Canvas Beam(int w, int h);
Canvas FlareRing(int w, int h);
Canvas Particle(int w, int h);
Canvas Sparkle(int w, int h);
Canvas FlareHex(int w, int h);

// Sphere-map geometry, shared by the envmap generators and their tests.
struct Direction {
    double x, y, z;  // eye space: x right, y up, z towards the viewer
};
// The reflection direction that GL_SPHERE_MAP maps to texture coordinates
// (s, t), where t = 0 is the image's top row. Answers false outside the disc.
bool SphereMapDirection(double s, double t, Direction *d);
// The (s, t) that GL_SPHERE_MAP generates for the eye-space reflection r.
void SphereMapCoords(const Direction &r, double *s, double *t);

}  // namespace imagegen
