// Sphere maps. Each texel holds the colour of the world in the direction that
// GL_SPHERE_MAP assigns to it, so a mirror-like object reflects a believable
// surrounding. The world is fixed in eye space: x right, y up, z towards the
// viewer; the disc's centre shows what lies behind the viewer.
#include "generators.h"
#include "noise.h"

#include <cmath>

namespace imagegen {

namespace {

constexpr double kTau = 2.0 * M_PI;
constexpr double kDeg = M_PI / 180.0;

double Sq(double v)
{
    return v * v;
}

Direction Normalised(double x, double y, double z)
{
    double l = std::sqrt(x * x + y * y + z * z);
    return {x / l, y / l, z / l};
}

double Dot(const Direction &a, const Direction &b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// Angle around the vertical axis, 0 towards the viewer, positive to the right.
double Azimuth(const Direction &d)
{
    return std::atan2(d.x, d.z);
}

// A sun: a hot disc with a wide halo around direction 'sun'.
double SunIntensity(const Direction &d, const Direction &sun, double discCos, double haloPower)
{
    double c = Dot(d, sun);
    if (c <= 0) return 0;
    return Smoothstep(discCos - 0.0004, discCos + 0.0004, c) * 3.0 + 0.5 * std::pow(c, haloPower);
}

// Paints the disc inscribed in the square. Texels up to 1.5 texels beyond the
// rim repeat the rim's colour, so bilinear filtering at silhouettes never
// blends in the black surround; further out is black.
template <class World> Canvas RenderSphereMap(int w, int h, World world)
{
    Canvas c(w, h);
    const double extend = 1.5 / (0.5 * w);
    c.Shade(2, [&](double s, double t) {
        double x = 2 * s - 1, y = 2 * t - 1;
        double r = std::hypot(x, y);
        if (r > 1 + extend) return Color();
        if (r > 0.9999) {
            x *= 0.9999 / r;
            y *= 0.9999 / r;
        }
        Direction d;
        SphereMapDirection((x + 1) / 2, (y + 1) / 2, &d);
        return world(d);
    });
    return c;
}

// Point where a ray from the origin meets the horizontal plane at height
// 'plane' (the same sign as d.y); answers its x and z.
void OnPlane(const Direction &d, double plane, double *px, double *pz)
{
    double k = plane / d.y;
    *px = d.x * k;
    *pz = d.z * k;
}

}  // namespace

bool SphereMapDirection(double s, double t, Direction *d)
{
    double x = 2 * s - 1, y = 2 * t - 1;
    double rr = x * x + y * y;
    if (rr > 1) return false;
    // (x, y, nz) is the mirror ball's normal; reflect the view ray (0, 0, -1) about it.
    double nz = std::sqrt(1 - rr);
    d->x = 2 * nz * x;
    d->y = 2 * nz * y;
    d->z = 2 * nz * nz - 1;
    return true;
}

void SphereMapCoords(const Direction &r, double *s, double *t)
{
    double m = 2 * std::sqrt(r.x * r.x + r.y * r.y + Sq(r.z + 1));
    if (m == 0) {
        // Straight away from the viewer: every point of the rim; pick one.
        *s = 1;
        *t = 0.5;
        return;
    }
    *s = r.x / m + 0.5;
    *t = r.y / m + 0.5;
}

Canvas ChromeEnv(int w, int h)
{
    const Direction sun = Normalised(-0.45, 0.55, 0.7);
    return RenderSphereMap(w, h, [&](const Direction &d) {
        Color col;
        if (d.y >= 0) {
            col = Ramp({{0.0, Hex(0xdfe9f2)},
                        {0.12, Hex(0xa9c6e6)},
                        {0.5, Hex(0x5b8fd0)},
                        {1.0, Hex(0x1f4c98)}},
                       d.y);
            if (d.y > 0.01) {
                double px, pz;
                OnPlane(d, 1.0, &px, &pz);
                double n = Fbm(px * 0.6 + 40, pz * 0.6 + 40, 4096, 4096, 5, 201);
                double cloud = Smoothstep(0.0, 0.45, n) * Smoothstep(0.02, 0.25, d.y);
                col = Mix(col, Hex(0xf5f7fa), cloud * 0.85);
            }
            col += Hex(0xfff3dc) * SunIntensity(d, sun, std::cos(2.5 * kDeg), 60);
        } else {
            double g = -d.y;
            col = Ramp({{0.0, Hex(0x8c8174)},
                        {0.1, Hex(0x6a5e50)},
                        {0.5, Hex(0x3c342b)},
                        {1.0, Hex(0x1d1915)}},
                       g);
            double px, pz;
            OnPlane(d, -1.0, &px, &pz);
            double check = (std::sin(px * 2.2) * std::sin(pz * 2.2) > 0) ? 1.0 : -1.0;
            col = col * (1.0 + 0.3 * check * Smoothstep(0.1, 0.45, g));
        }
        // The bright horizon line that makes chrome read as chrome.
        return Mix(col, Hex(0xfbfdff), std::exp(-Sq(d.y / 0.018)) * 0.9);
    });
}

Canvas GoldEnv(int w, int h)
{
    const Direction key = Normalised(0.5, 0.6, 0.6);
    const Color gold(1.0f, 0.78f, 0.36f);
    return RenderSphereMap(w, h, [&](const Direction &d) {
        Color col;
        if (d.y >= 0) {
            col = Ramp({{0.0, Hex(0xfff2cc)},
                        {0.15, Hex(0xe8c27a)},
                        {0.55, Hex(0x9a6a2c)},
                        {1.0, Hex(0x3c2610)}},
                       d.y);
            // Tall bright windows around the room.
            double a = Azimuth(d);
            double window =
                Smoothstep(0.4, 0.3, std::fabs(std::sin(a * 3))) * Smoothstep(0.75, 0.6, d.y);
            col += Hex(0xfff6e0) * (0.7 * window);
            col += Hex(0xffffff) * SunIntensity(d, key, std::cos(4 * kDeg), 30);
        } else {
            double g = -d.y;
            col = Ramp({{0.0, Hex(0xb08a50)}, {0.15, Hex(0x5a3c1a)}, {1.0, Hex(0x140c05)}}, g);
            double px, pz;
            OnPlane(d, -1.0, &px, &pz);
            col = col * (0.85 +
                         0.3 * (0.5 + 0.5 * Fbm(px * 0.8 + 20, pz * 0.8 + 20, 4096, 4096, 3, 211)));
        }
        col = Mix(col, Hex(0xfff8e8), std::exp(-Sq(d.y / 0.025)) * 0.8);
        return col * gold * 1.15;
    });
}

namespace {

struct Softbox {
    double azimuthDeg, elevationDeg, halfWidthDeg, halfHeightDeg;
    Color color;
};

double SoftboxCoverage(const Direction &d, const Softbox &box)
{
    double az = Azimuth(d) / kDeg, el = std::asin(d.y) / kDeg;
    double daz = std::remainder(az - box.azimuthDeg, 360.0);
    double fx = Smoothstep(box.halfWidthDeg, box.halfWidthDeg * 0.85, std::fabs(daz));
    double fy =
        Smoothstep(box.halfHeightDeg, box.halfHeightDeg * 0.85, std::fabs(el - box.elevationDeg));
    return fx * fy;
}

}  // namespace

Canvas StudioEnv(int w, int h)
{
    const Softbox boxes[] = {
        {-35, 28, 24, 16, Color(1.7f, 1.65f, 1.6f)},   // key, upper left
        {100, 8, 12, 30, Color(1.6f, 0.22f, 0.25f)},   // red rim, right
        {-115, 8, 12, 30, Color(0.25f, 0.45f, 1.7f)},  // blue rim, left behind
        {20, 70, 70, 6, Color(1.0f, 1.0f, 1.0f)},      // overhead strip
        {160, 20, 25, 12, Color(0.9f, 0.7f, 1.2f)},    // violet fill behind the object
    };
    return RenderSphereMap(w, h, [&](const Direction &d) {
        Color col = d.y >= 0 ? Mix(Hex(0x2c2e33), Hex(0x0d0e11), Smoothstep(0.0, 0.7, d.y))
                             : Mix(Hex(0x4a4b4f), Hex(0x18181a), Smoothstep(0.0, 0.6, -d.y));
        for (const Softbox &box : boxes) {
            col = Mix(col, box.color, SoftboxCoverage(d, box));
        }
        return col;
    });
}

Canvas SunsetEnv(int w, int h)
{
    const double sunAz = 20 * kDeg, sunEl = 7 * kDeg;
    const Direction sun = {std::sin(sunAz) * std::cos(sunEl), std::sin(sunEl),
                           std::cos(sunAz) * std::cos(sunEl)};
    auto skyAt = [](double y) {
        return Ramp({{0.0, Hex(0xffb347)},
                     {0.07, Hex(0xff7a55)},
                     {0.22, Hex(0xc8456e)},
                     {0.5, Hex(0x5a2a70)},
                     {1.0, Hex(0x12113a)}},
                    y);
    };
    return RenderSphereMap(w, h, [&](const Direction &d) {
        double az = Azimuth(d);
        if (d.y >= 0) {
            double ridge =
                0.05 + 0.16 * Smoothstep(-0.6, 0.8, Fbm(az / kTau * 6, 0.5, 6, 1, 5, 221));
            ridge *= 0.3 + 0.7 * Smoothstep(0.1, 0.7,
                                            std::fabs(std::remainder(
                                                az - sunAz, kTau)));  // a valley under the sun
            if (d.y < ridge) {
                return Mix(Hex(0x3a1f3c), Hex(0x22122a), d.y / ridge);
            }
            Color col = skyAt(d.y);
            double px, pz;
            OnPlane(d, 1.0, &px, &pz);
            double streak =
                Smoothstep(0.1, 0.6, Fbm(px * 0.25 + 9, pz * 1.5 + 9, 4096, 4096, 4, 222));
            col = Mix(col, Hex(0xff9a7a), streak * 0.45 * Smoothstep(0.05, 0.3, d.y));
            return col + Hex(0xfff0c0) * SunIntensity(d, sun, std::cos(5.0 * kDeg), 25);
        }
        // Sea: the sky mirrored and darkened, with a glittering path under the sun.
        double g = -d.y;
        Color col = skyAt(g) * 0.45;
        double px, pz;
        OnPlane(d, -1.0, &px, &pz);
        double ripple = 0.5 + 0.5 * Fbm(px * 2 + 3, pz * 6 + 3, 4096, 4096, 3, 223);
        double path = std::exp(-Sq(std::remainder(az - sunAz, kTau) / (0.05 + 0.3 * g)));
        col += Hex(0xffd08a) *
               (path * Smoothstep(0.45, 0.8, ripple) * 1.2 * (1 - Smoothstep(0.0, 0.5, g)));
        return col * (0.85 + 0.3 * ripple);
    });
}

Canvas NeonEnv(int w, int h)
{
    return RenderSphereMap(w, h, [&](const Direction &d) {
        Color col = Hex(0x06030c);
        col += Hex(0x6a1fb0) * (0.6 * std::exp(-std::fabs(d.y) / 0.07));  // haze at the horizon
        double ay = std::fabs(d.y);
        if (ay > 0.01) {
            double px, pz;
            OnPlane(d, d.y > 0 ? 1.0 : -1.0, &px, &pz);
            // Lines thin out with distance; far away only their average glow remains.
            double fade = Smoothstep(0.03, 0.25, ay);
            if (d.y < 0) {
                double lx = std::fabs(std::remainder(px, 1.0)),
                       lz = std::fabs(std::remainder(pz, 1.0));
                double width = 0.025 / ay;
                double line = std::exp(-Sq(std::min(lx, lz) / (0.04 + width * 0.2)));
                col += Hex(0xff2bd6) * (fade * line * 1.4 + (1 - fade) * 0.25);
            } else {
                double ring = std::fabs(std::remainder(std::hypot(px, pz), 2.0));
                col +=
                    Hex(0x2fd9ff) * (fade * std::exp(-Sq(ring / 0.08)) * 1.3 + (1 - fade) * 0.15);
            }
        }
        // Upright neon bars around the room.
        double az = Azimuth(d) / kDeg;
        const double bars[] = {-150, -60, 45, 130};
        for (int i = 0; i < 4; ++i) {
            double dist = std::fabs(std::remainder(az - bars[i], 360.0));
            if (d.y > -0.3 && d.y < 0.6) {
                Color c = (i & 1) ? Hex(0x2fd9ff) : Hex(0xffe04a);
                col += c * (1.5 * std::exp(-Sq(dist / 1.8)) + 0.2 * std::exp(-dist / 8));
            }
        }
        return Expose(col * 1.3);
    });
}

Canvas IceEnv(int w, int h)
{
    const Direction sun = Normalised(0.3, 0.35, 0.85);
    return RenderSphereMap(w, h, [&](const Direction &d) {
        if (d.y >= 0) {
            Color col =
                Ramp({{0.0, Hex(0xffffff)}, {0.18, Hex(0xd6ebf8)}, {1.0, Hex(0x7fb6e2)}}, d.y);
            return col + Hex(0xffffff) * SunIntensity(d, sun, std::cos(2 * kDeg), 80);
        }
        double g = -d.y;
        Color col = Ramp({{0.0, Hex(0xeef6fc)}, {0.3, Hex(0xa9cde8)}, {1.0, Hex(0x3f7fb0)}}, g);
        double px, pz;
        OnPlane(d, -1.0, &px, &pz);
        CellSample cell = Worley(px * 1.5 + 50, pz * 1.5 + 50, 4096, 4096, 231);
        double crack = std::exp(-(cell.f2 - cell.f1) / 0.03) * Smoothstep(0.05, 0.3, g);
        return Mix(col, Hex(0x1f5f96), crack * 0.6);
    });
}

Canvas FireEnv(int w, int h)
{
    return RenderSphereMap(w, h, [&](const Direction &d) {
        double ay = std::fabs(d.y);
        double px = 0, pz = 0;
        if (ay > 0.005) OnPlane(d, d.y > 0 ? 1.0 : -1.0, &px, &pz);
        if (d.y >= 0) {
            Color col = Ramp({{0.0, Hex(0xff9a2a)},
                              {0.1, Hex(0xc23c10)},
                              {0.4, Hex(0x5a1208)},
                              {1.0, Hex(0x180503)}},
                             d.y);
            double smoke = 0.5 + 0.5 * Fbm(px * 0.7 + 5, pz * 0.7 + 5, 4096, 4096, 5, 241);
            return col * (0.6 + 0.8 * smoke);
        }
        CellSample s = Worley(px * 0.8 + 30, pz * 0.8 + 30, 4096, 4096, 242);
        double crack = std::exp(-(s.f2 - s.f1) / 0.05);
        double far = 1 - Smoothstep(0.02, 0.3, ay);
        double heat = Clamp01(crack * (1 - far) + 0.55 * far);
        Color glow = Ramp({{0.0, Hex(0x120604)},
                           {0.4, Hex(0x8a1a04)},
                           {0.75, Hex(0xf06a10)},
                           {1.0, Hex(0xffe08a)}},
                          heat);
        return glow;
    });
}

}  // namespace imagegen
