// Helpers shared by the show's scene builders: timing constants, easing,
// key sampling, camera paths, a fixed-seed random generator, arrangements
// and backdrops. Everything is deterministic.
//
// Time: scene-local frames, ten per second. The music runs at 120 BPM, so a
// beat is 5 frames and a bar 20; an 8 s slot is 80 frames (4 bars).
//
// Backdrops (sky spheres, tunnels, boxes seen from inside) wind their faces
// towards the inside; the content tests recognise such meshes by their
// negative enclosed volume and let the camera sit inside them, while it must
// stay out of every outward-facing closed mesh.
#ifndef SHOW_SCENECOMMON_H
#define SHOW_SCENECOMMON_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "primitives.h"
#include "scenekit.h"

namespace scenecommon {

using scenekit::Vec3;
using scenekit::Vec3Key;

constexpr int kBeat = 5;    // frames per beat at 120 BPM
constexpr int kBar = 20;    // frames per bar (4 beats)
constexpr int kSlot8 = 80;  // frames of an 8 s slot
constexpr int kSlot4 = 40;
constexpr int kSlot16 = 160;
constexpr float kPi = 3.14159265358979323846f;

// ---- Easing: t in [0,1] (clamped) to [0,1] ---------------------------------
float Clamp01(float t);
float EaseIn(float t);     // quadratic, starts slowly
float EaseOut(float t);    // quadratic, ends slowly
float EaseInOut(float t);  // smoothstep
// A pulse for each beat: 1 on every multiple of `period` frames, decaying
// quadratically to 0 just before the next one.
float BeatPulse(float frame, int period = kBeat);
float Lerp(float a, float b, float t);
Vec3 Lerp(Vec3 a, Vec3 b, float t);
// Point at `deg` degrees on a circle of `radius` in the XY plane around
// `center` (0 deg = +X, counter-clockwise seen from +Z), lifted by `height`.
Vec3 OnCircle(Vec3 center, float radius, float deg, float height = 0);

// ---- Key sampling ----------------------------------------------------------
// Keys at frames 0, step, 2*step, ... and always at `frames`, each holding
// path(frame / frames): the path is a function of normalised time t in [0,1].
std::vector<Vec3Key> SamplePath(int frames, int step, const std::function<Vec3(float t)>& path);
// The same with the path a function of the frame number itself.
std::vector<Vec3Key> SampleFrames(int frames, int step, const std::function<Vec3(float frame)>& path);
// Rotation keys about one fixed axis, angle(t) in degrees, t in [0,1]. Keep
// step small enough that no step turns more than 120 degrees.
std::vector<scenekit::RotationKey> SampleAngle(int frames, int step, Vec3 axis,
                                               const std::function<float(float t)>& angleDeg);
// Uniform scale keys scale(t), t in [0,1].
std::vector<Vec3Key> SampleScale(int frames, int step, const std::function<float(float t)>& scale);

// ---- Camera paths (functions of t in [0,1]) --------------------------------
using PathFn = std::function<Vec3(float t)>;
// Circles `center` at `radius`, from startDeg to endDeg, at height center.z +
// height; the angle follows ease(t) (identity when null).
PathFn Orbit(Vec3 center, float radius, float height, float startDeg, float endDeg,
             std::function<float(float)> ease = nullptr);
// Straight move from a to b with easing (identity when null).
PathFn Dolly(Vec3 a, Vec3 b, std::function<float(float)> ease = nullptr);
// Smooth curve through the points (Catmull-Rom, uniform in t, passing every
// point; the first and last are the ends).
PathFn Spline(const std::vector<Vec3>& points);
// Fixed point.
PathFn Fixed(Vec3 p);

// Adds the show camera "Camera01" with position and target keys sampled every
// `step` frames over [0, frames] (linear between keys: use step 2..5 for
// smooth motion).
int AddShowCamera(scenekit::Scene& scene, int frames, int step, const PathFn& position,
                  const PathFn& target, float fovDeg);

// ---- Deterministic random numbers (xorshift*; same sequence everywhere) ----
class Rng {
public:
    explicit Rng(std::uint64_t seed);
    std::uint32_t Next();
    float Uniform();                   // [0, 1)
    float Range(float lo, float hi);   // [lo, hi)
    int Int(int n);                    // [0, n), n > 0
    Vec3 InBox(Vec3 lo, Vec3 hi);

private:
    std::uint64_t state_;
};

// ---- Arrangements ----------------------------------------------------------
// n points evenly on a circle in the XY plane, the first at phaseDeg.
std::vector<Vec3> Ring(int n, Vec3 center, float radius, float phaseDeg = 0);
// nx by ny points in the XY plane centred on `center`, `spacing` apart.
std::vector<Vec3> GridPoints(int nx, int ny, Vec3 center, float spacing);

// ---- Mesh helpers and backdrops --------------------------------------------
// Reverses every face's winding, so a solid is seen from inside.
void FlipFaces(scenekit::Mesh& mesh);
// Drops the texture coordinates (for reflective or flat-coloured meshes).
void ClearTexels(scenekit::Mesh& mesh);
// Repeats the image uTimes across and vTimes up the mesh's texture coordinates.
void RepeatTexels(scenekit::Mesh& mesh, float uTimes, float vTimes);
// A sphere seen from inside, for a sky around the whole scene. The image
// wraps once around; v runs from the bottom pole (0) to the top (1).
scenekit::Mesh SkySphere(const std::string& name, Vec3 center, float radius, int segments,
                         int rings, const std::string& material);
// A box seen from inside (a room).
scenekit::Mesh Room(const std::string& name, Vec3 center, Vec3 size, const std::string& material);
// A floor: an upward-facing grid of size x size, `repeat` image tiles per side.
scenekit::Mesh Floor(const std::string& name, Vec3 center, float size, int divisions,
                     float repeat, const std::string& material);

}  // namespace scenecommon

#endif
