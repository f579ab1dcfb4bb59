#include "rotation.h"

#include <cmath>

#include "failure.h"

namespace scenekit {
namespace {

constexpr double kMaxStepDeg = 120;
constexpr double kDegToRad = M_PI / 180.0;

struct Quat {
    double w, x, y, z;
};

Quat FromAxisAngle(Vec3 unitAxis, double angleDeg)
{
    const double half = angleDeg * kDegToRad * 0.5;
    const double s = std::sin(half);
    return {std::cos(half), unitAxis.x * s, unitAxis.y * s, unitAxis.z * s};
}

Quat Mul(const Quat &a, const Quat &b)
{
    return {a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z,
            a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
            a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
            a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w};
}

Quat Conjugate(const Quat &q)
{
    return {q.w, -q.x, -q.y, -q.z};
}

// The shortest turn that q describes: angle in [0, 180].
void ToAxisAngle(Quat q, Vec3 *axis, double *angleDeg)
{
    if (q.w < 0) q = {-q.w, -q.x, -q.y, -q.z};
    const double s = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z);
    *angleDeg = 2 * std::atan2(s, q.w) / kDegToRad;
    if (s < 1e-12) {
        *axis = {0, 0, 1};
        *angleDeg = 0;
        return;
    }
    *axis = {static_cast<float>(q.x / s), static_cast<float>(q.y / s), static_cast<float>(q.z / s)};
}

// The turn that takes orientation `from` to orientation `to`, about an axis
// in world space (lib3ds applies each key's turn after the previous ones).
// About a shared axis (or when either key is unrotated) the angles' plain
// difference, so that keys can ask for more than half a turn.
void TurnBetween(const RotationKey &from, const RotationKey &to, Vec3 *axis, double *angleDeg)
{
    const Vec3 a = Normalize(from.axis);
    const Vec3 b = Normalize(to.axis);
    const float alignment = Dot(a, b);
    if (from.angleDeg == 0) {
        *axis = b;
        *angleDeg = to.angleDeg;
    } else if (to.angleDeg == 0) {
        *axis = a;
        *angleDeg = -static_cast<double>(from.angleDeg);
    } else if (alignment > 1 - 1e-6f) {
        *axis = a;
        *angleDeg = static_cast<double>(to.angleDeg) - from.angleDeg;
    } else if (alignment < -(1 - 1e-6f)) {
        *axis = a;
        *angleDeg = -static_cast<double>(to.angleDeg) - from.angleDeg;
    } else {
        const Quat relative =
            Mul(FromAxisAngle(b, to.angleDeg), Conjugate(FromAxisAngle(a, from.angleDeg)));
        ToAxisAngle(relative, axis, angleDeg);
    }
}

// lib3ds turns the other way round from Rotation(): its keys carry the
// negated angle.
LibRotationKey LibKey(int frame, Vec3 axis, double angleDeg)
{
    return {frame, axis, static_cast<float>(-angleDeg * kDegToRad)};
}

}  // namespace

bool ExpandRotationKeys(const std::vector<RotationKey> &keys, std::vector<LibRotationKey> *out,
                        std::string *error, const std::string &what)
{
    out->clear();
    std::vector<RotationKey> absolute = keys;
    if (absolute.empty()) absolute.push_back(RotationKey());
    if (absolute.front().frame > 0) {
        RotationKey first = absolute.front();
        first.frame = 0;
        absolute.insert(absolute.begin(), first);
    }
    for (const RotationKey &k : absolute) {
        const std::string at = what + " rotation key at frame " + std::to_string(k.frame);
        if (!std::isfinite(k.angleDeg) || !std::isfinite(Length(k.axis)))
            return Fail(error, at + " is not finite");
        if (Length(k.axis) < 1e-12f) return Fail(error, at + " has a zero axis");
    }

    // The first key turns from the unrotated pose; only its orientation
    // matters, so whole turns are dropped.
    const RotationKey &first = absolute.front();
    out->push_back(
        LibKey(first.frame, Normalize(first.axis), std::remainder(first.angleDeg, 360.0)));

    for (size_t i = 1; i < absolute.size(); ++i) {
        const RotationKey &from = absolute[i - 1];
        const RotationKey &to = absolute[i];
        Vec3 axis;
        double angleDeg;
        TurnBetween(from, to, &axis, &angleDeg);
        const int gap = to.frame - from.frame;
        // Compared as a double first: an absurd angle must not overflow the int.
        const double neededSteps =
            std::max(1.0, std::ceil(std::fabs(angleDeg) / kMaxStepDeg - 1e-9));
        if (!(neededSteps <= gap))
            return Fail(error, what + " rotation keys at frames " + std::to_string(from.frame) +
                                   " and " + std::to_string(to.frame) + " turn by " +
                                   std::to_string(std::fabs(angleDeg)) +
                                   " degrees; allow at least one frame per 120 degrees");
        // Splitting at whole frames, each step proportional to its frames:
        // the turn keeps a constant speed across the added keys.
        const int steps = static_cast<int>(neededSteps);
        int previous = from.frame;
        for (int k = 1; k <= steps; ++k) {
            const int frame =
                from.frame + static_cast<int>(std::llround(static_cast<double>(k) * gap / steps));
            out->push_back(LibKey(frame, axis, angleDeg * (frame - previous) / gap));
            previous = frame;
        }
    }
    return true;
}

}  // namespace scenekit
