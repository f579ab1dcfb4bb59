#include "scenecommon.h"

#include <algorithm>
#include <cmath>

namespace scenecommon {

using scenekit::Mesh;

float Clamp01(float t) { return t < 0 ? 0 : (t > 1 ? 1 : t); }
float EaseIn(float t) {
    t = Clamp01(t);
    return t * t;
}
float EaseOut(float t) {
    t = Clamp01(t);
    return 1 - (1 - t) * (1 - t);
}
float EaseInOut(float t) {
    t = Clamp01(t);
    return t * t * (3 - 2 * t);
}
float BeatPulse(float frame, int period) {
    if (period <= 0) return 0;
    float phase = std::fmod(frame, static_cast<float>(period)) / period;
    if (phase < 0) phase += 1;
    return (1 - phase) * (1 - phase);
}
float Lerp(float a, float b, float t) { return a + (b - a) * t; }
Vec3 Lerp(Vec3 a, Vec3 b, float t) { return a + (b - a) * t; }

Vec3 OnCircle(Vec3 center, float radius, float deg, float height) {
    const float r = deg * kPi / 180;
    return {center.x + radius * std::cos(r), center.y + radius * std::sin(r), center.z + height};
}

namespace {
// Frames 0, step, ... and `frames` itself.
std::vector<int> KeyFrames(int frames, int step) {
    std::vector<int> out;
    if (step < 1) step = 1;
    if (frames < 0) frames = 0;
    for (int f = 0; f < frames; f += step) out.push_back(f);
    out.push_back(frames);
    return out;
}
float Norm(int frame, int frames) { return frames > 0 ? static_cast<float>(frame) / frames : 0; }
}  // namespace

std::vector<Vec3Key> SamplePath(int frames, int step, const std::function<Vec3(float)>& path) {
    std::vector<Vec3Key> keys;
    for (int f : KeyFrames(frames, step)) keys.push_back({f, path(Norm(f, frames))});
    return keys;
}

std::vector<Vec3Key> SampleFrames(int frames, int step, const std::function<Vec3(float)>& path) {
    std::vector<Vec3Key> keys;
    for (int f : KeyFrames(frames, step)) keys.push_back({f, path(static_cast<float>(f))});
    return keys;
}

std::vector<scenekit::RotationKey> SampleAngle(int frames, int step, Vec3 axis,
                                               const std::function<float(float)>& angleDeg) {
    std::vector<scenekit::RotationKey> keys;
    for (int f : KeyFrames(frames, step)) keys.push_back({f, axis, angleDeg(Norm(f, frames))});
    return keys;
}

std::vector<Vec3Key> SampleScale(int frames, int step, const std::function<float(float)>& scale) {
    std::vector<Vec3Key> keys;
    for (int f : KeyFrames(frames, step)) {
        const float s = scale(Norm(f, frames));
        keys.push_back({f, {s, s, s}});
    }
    return keys;
}

PathFn Orbit(Vec3 center, float radius, float height, float startDeg, float endDeg,
             std::function<float(float)> ease) {
    return [=](float t) {
        const float e = ease ? ease(t) : t;
        return OnCircle(center, radius, Lerp(startDeg, endDeg, e), height);
    };
}

PathFn Dolly(Vec3 a, Vec3 b, std::function<float(float)> ease) {
    return [=](float t) { return Lerp(a, b, ease ? ease(t) : t); };
}

PathFn Spline(const std::vector<Vec3>& points) {
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

PathFn Fixed(Vec3 p) {
    return [p](float) { return p; };
}

int AddShowCamera(scenekit::Scene& scene, int frames, int step, const PathFn& position,
                  const PathFn& target, float fovDeg) {
    return scene.AddAnimatedCamera("Camera01", SamplePath(frames, step, position),
                                   SamplePath(frames, step, target), fovDeg);
}

Rng::Rng(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {
    if (state_ == 0) state_ = 1;
}
std::uint32_t Rng::Next() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return static_cast<std::uint32_t>((state_ * 0x2545F4914F6CDD1Dull) >> 32);
}
float Rng::Uniform() { return (Next() >> 8) * (1.0f / 16777216.0f); }
float Rng::Range(float lo, float hi) { return lo + (hi - lo) * Uniform(); }
int Rng::Int(int n) { return n > 0 ? static_cast<int>(Next() % static_cast<std::uint32_t>(n)) : 0; }
Vec3 Rng::InBox(Vec3 lo, Vec3 hi) {
    const float x = Range(lo.x, hi.x);
    const float y = Range(lo.y, hi.y);
    const float z = Range(lo.z, hi.z);
    return {x, y, z};
}

std::vector<Vec3> Ring(int n, Vec3 center, float radius, float phaseDeg) {
    std::vector<Vec3> out;
    for (int i = 0; i < n; ++i) out.push_back(OnCircle(center, radius, phaseDeg + 360.0f * i / n));
    return out;
}

std::vector<Vec3> GridPoints(int nx, int ny, Vec3 center, float spacing) {
    std::vector<Vec3> out;
    for (int j = 0; j < ny; ++j)
        for (int i = 0; i < nx; ++i)
            out.push_back({center.x + (i - (nx - 1) * 0.5f) * spacing,
                           center.y + (j - (ny - 1) * 0.5f) * spacing, center.z});
    return out;
}

void FlipFaces(Mesh& mesh) {
    for (auto& f : mesh.faces) std::swap(f.points[1], f.points[2]);
}

void ClearTexels(Mesh& mesh) { mesh.texels.clear(); }

void RepeatTexels(Mesh& mesh, float uTimes, float vTimes) {
    for (auto& t : mesh.texels) t = {t[0] * uTimes, t[1] * vTimes};
}

Mesh SkySphere(const std::string& name, Vec3 center, float radius, int segments, int rings,
               const std::string& material) {
    Mesh m = scenekit::Sphere(name, center, radius, segments, rings, material);
    FlipFaces(m);
    // Seen from inside, u would run right to left: mirror it so the image reads.
    for (auto& t : m.texels) t[0] = 1 - t[0];
    return m;
}

Mesh Room(const std::string& name, Vec3 center, Vec3 size, const std::string& material) {
    Mesh m = scenekit::Box(name, center, size, material);
    FlipFaces(m);
    for (auto& t : m.texels) t[0] = 1 - t[0];
    return m;
}

Mesh Floor(const std::string& name, Vec3 center, float size, int divisions, float repeat,
           const std::string& material) {
    return scenekit::Grid(name, center, size, size, divisions, divisions, repeat, material);
}

}  // namespace scenecommon
