#include "motion.h"

#include <algorithm>
#include <cmath>

#include "scenelimits.h"

namespace scenes::kit {

float Clamp01(float t)
{
    return t < 0 ? 0 : (t > 1 ? 1 : t);
}
float EaseIn(float t)
{
    t = Clamp01(t);
    return t * t;
}
float EaseOut(float t)
{
    t = Clamp01(t);
    return 1 - (1 - t) * (1 - t);
}
float EaseInOut(float t)
{
    t = Clamp01(t);
    return t * t * (3 - 2 * t);
}
float BeatPulse(float frame, int period)
{
    if (period <= 0) return 0;
    float phase = std::fmod(frame, static_cast<float>(period)) / period;
    if (phase < 0) phase += 1;
    return (1 - phase) * (1 - phase);
}
float Lerp(float a, float b, float t)
{
    return a + (b - a) * t;
}
Vec3 Lerp(Vec3 a, Vec3 b, float t)
{
    return a + (b - a) * t;
}

namespace {
// Frames 0, step, ... and `frames` itself.
std::vector<int> KeyFrames(int frames, int step)
{
    std::vector<int> out;
    if (step < 1) step = 1;
    if (frames < 0) frames = 0;
    for (int f = 0; f < frames; f += step) out.push_back(f);
    out.push_back(frames);
    return out;
}
float Norm(int frame, int frames)
{
    return frames > 0 ? static_cast<float>(frame) / frames : 0;
}
}  // namespace

std::vector<Vec3Key> SamplePath(int frames, int step, const std::function<Vec3(float)> &path)
{
    std::vector<Vec3Key> keys;
    for (int f : KeyFrames(frames, step)) keys.push_back({f, path(Norm(f, frames))});
    return keys;
}

std::vector<Vec3Key> SampleFrames(int frames, int step, const std::function<Vec3(float)> &path)
{
    std::vector<Vec3Key> keys;
    for (int f : KeyFrames(frames, step)) keys.push_back({f, path(static_cast<float>(f))});
    return keys;
}

std::vector<RotationKey> SampleAngle(int frames, int step, Vec3 axis,
                                     const std::function<float(float)> &angleDeg)
{
    std::vector<RotationKey> keys;
    for (int f : KeyFrames(frames, step)) keys.push_back({f, axis, angleDeg(Norm(f, frames))});
    return keys;
}

std::vector<Vec3Key> SampleScale(int frames, int step, const std::function<float(float)> &scale)
{
    std::vector<Vec3Key> keys;
    for (int f : KeyFrames(frames, step)) {
        const float s = scale(Norm(f, frames));
        keys.push_back({f, {s, s, s}});
    }
    return keys;
}

std::vector<Vec3Key> Flash(int start, int top, int end, float peak)
{
    const Vec3 hidden{kHidden, kHidden, kHidden};
    return {{0, hidden}, {start, hidden}, {top, {peak, peak, peak}}, {end, hidden}};
}

Vec3 OnCircle(Vec3 center, float radius, float deg, float height)
{
    const float r = deg * kPi / 180;
    return {center.x + radius * std::cos(r), center.y + radius * std::sin(r), center.z + height};
}

std::vector<Vec3> Ring(int n, Vec3 center, float radius, float phaseDeg)
{
    std::vector<Vec3> out;
    for (int i = 0; i < n; ++i) out.push_back(OnCircle(center, radius, phaseDeg + 360.0f * i / n));
    return out;
}

PathFn Dolly(Vec3 a, Vec3 b, std::function<float(float)> ease)
{
    return [=](float t) { return Lerp(a, b, ease ? ease(t) : t); };
}

PathFn Spline(const std::vector<Vec3> &points)
{
    return [points](float t) -> Vec3 {
        if (points.empty()) return {};
        if (points.size() == 1) return points[0];
        const int segments = static_cast<int>(points.size()) - 1;
        const float s = Clamp01(t) * segments;
        const int i = std::min(static_cast<int>(s), segments - 1);
        const float u = s - i;
        const Vec3 p0 = points[std::max(i - 1, 0)], p1 = points[i], p2 = points[i + 1];
        const Vec3 p3 = points[std::min(i + 2, segments)];
        const float u2 = u * u, u3 = u2 * u;
        return 0.5f * ((2 * p1) + (p2 - p0) * u + (2 * p0 - 5 * p1 + 4 * p2 - p3) * u2 +
                       (3 * p1 - p0 - 3 * p2 + p3) * u3);
    };
}

PathFn Fixed(Vec3 p)
{
    return [p](float) { return p; };
}

int AddShowCamera(scenekit::Scene &scene, int frames, int step, const PathFn &position,
                  const PathFn &target, float fovDeg)
{
    return scene.AddAnimatedCamera(scenelimits::TargetNodeName, SamplePath(frames, step, position),
                                   SamplePath(frames, step, target), fovDeg);
}

RotationKey TurnOnto(int frame, Vec3 from, Vec3 direction)
{
    const Vec3 d = scenekit::Normalize(direction);
    const Vec3 axis = scenekit::Cross(from, d);
    const float len = scenekit::Length(axis);
    const float dot = scenekit::Dot(from, d);
    if (len < 1e-6f) {
        // Parallel: any axis across `from` serves.
        Vec3 across = scenekit::Cross(from, {1, 0, 0});
        if (scenekit::Length(across) < 1e-3f) across = scenekit::Cross(from, {0, 1, 0});
        return {frame, across, dot < 0 ? 180.0f : 0.0f};
    }
    return {frame, axis, std::atan2(len, dot) * 180.0f / kPi};
}

std::vector<RotationKey> FaceCamera(int frames, int step, const PathFn &camera,
                                    const PathFn &position)
{
    std::vector<RotationKey> keys;
    for (const Vec3Key &k : SamplePath(frames, step, camera)) {
        const float t = frames > 0 ? float(k.frame) / frames : 0;
        keys.push_back(TurnOnto(k.frame, {0, -1, 0}, k.value - position(t)));
    }
    return keys;
}

}  // namespace scenes::kit
