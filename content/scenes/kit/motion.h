// Time, keys and paths: how the scenes move with the music.
//
// Scene frames run ten per second from 0 at the start of the scene's slot.
// The music runs at 120 BPM, so a beat is 5 frames and a bar 20, and every
// slot starts on a bar line. Everything here is deterministic.
#ifndef SCENES_KIT_MOTION_H
#define SCENES_KIT_MOTION_H

#include <functional>
#include <vector>

#include "scenekit.h"

namespace scenes::kit {

using scenekit::RotationKey;
using scenekit::Vec3;
using scenekit::Vec3Key;

constexpr float kPi = 3.14159265358979323846f;
constexpr int kBeat = 5;  // frames per beat
constexpr int kBar = 20;  // frames per bar (4 beats)
// The lengths the scenes are composed for, in frames: 4, 8 and 16 seconds.
constexpr int kSlot4 = 40;
constexpr int kSlot8 = 80;
constexpr int kSlot16 = 160;
// A scale that hides a node and keeps its matrix invertible.
constexpr float kHidden = 0.01f;

// ---- Easing: t in [0,1] (clamped) to [0,1] ----------------------------------
float Clamp01(float t);
float EaseIn(float t);     // quadratic, starts slowly
float EaseOut(float t);    // quadratic, ends slowly
float EaseInOut(float t);  // smoothstep
// A pulse for each beat: 1 on every multiple of `period` frames, decaying
// quadratically to 0 just before the next one.
float BeatPulse(float frame, int period = kBeat);
float Lerp(float a, float b, float t);
Vec3 Lerp(Vec3 a, Vec3 b, float t);

// ---- Keys ------------------------------------------------------------------
// Keys at frames 0, step, 2*step, ... and always at `frames`, each holding
// path(frame / frames): the path is a function of normalised time t in [0,1].
std::vector<Vec3Key> SamplePath(int frames, int step, const std::function<Vec3(float t)> &path);
// The same with the path a function of the frame number itself.
std::vector<Vec3Key> SampleFrames(int frames, int step,
                                  const std::function<Vec3(float frame)> &path);
// Rotation keys about one fixed axis, angle(t) in degrees, t in [0,1]. Keep
// step small enough that no step turns more than 120 degrees.
std::vector<RotationKey> SampleAngle(int frames, int step, Vec3 axis,
                                     const std::function<float(float t)> &angleDeg);
// Uniform scale keys scale(t), t in [0,1].
std::vector<Vec3Key> SampleScale(int frames, int step, const std::function<float(float t)> &scale);
// Scale keys of a glint that flashes once: hidden until frame `start`, at
// `peak` size at frame `top`, hidden again from frame `end` (0 < start < top < end).
std::vector<Vec3Key> Flash(int start, int top, int end, float peak = 1);

// ---- Places and paths --------------------------------------------------------
// Point at `deg` degrees on a circle of `radius` in the XY plane around
// `center` (0 deg = +X, counter-clockwise seen from +Z), lifted by `height`.
Vec3 OnCircle(Vec3 center, float radius, float deg, float height = 0);
// n points evenly on a circle in the XY plane, the first at phaseDeg.
std::vector<Vec3> Ring(int n, Vec3 center, float radius, float phaseDeg = 0);

// Paths are functions of t in [0,1].
using PathFn = std::function<Vec3(float t)>;
// Straight move from a to b with easing (identity when null).
PathFn Dolly(Vec3 a, Vec3 b, std::function<float(float)> ease = nullptr);
// Smooth curve through the points (Catmull-Rom, uniform in t, passing every
// point; the first and last are the ends).
PathFn Spline(const std::vector<Vec3> &points);
// Fixed point.
PathFn Fixed(Vec3 p);

// Adds the show camera "Camera01" with position and target keys sampled every
// `step` frames over [0, frames] (linear between keys: use step 1..5 for
// smooth motion).
int AddShowCamera(scenekit::Scene &scene, int frames, int step, const PathFn &position,
                  const PathFn &target, float fovDeg);

// ---- Turns -------------------------------------------------------------------
// Absolute rotation key that turns the direction `from` onto `direction` by
// the shortest way (half a turn about an axis across `from` when they are
// opposite).
RotationKey TurnOnto(int frame, Vec3 from, Vec3 direction);
// Keys, every `step` frames over [0, frames], that keep a card facing -Y
// (a Card with normal {0,-1,0}) turned to the camera, for a node at
// position(t) seen from camera(t).
std::vector<RotationKey> FaceCamera(int frames, int step, const PathFn &camera,
                                    const PathFn &position);

}  // namespace scenes::kit

#endif
