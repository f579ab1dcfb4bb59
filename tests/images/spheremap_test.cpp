// Sphere maps against OpenGL's own GL_SPHERE_MAP generation (OSMesa): the
// texel our geometry assigns to a reflection is the one GL samples, with the
// image uploaded as the show's loader does it (GL_RGB, top row first).
#include "images/generators.h"
#include "images/images.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "offscreen.h"

namespace {

using imagegen::Direction;

const int kSize = 128;
const double kNear = 1.0, kHalf = 0.3;  // frustum: +-kHalf at the near plane
const double kSphereZ = -4.0;

// Draws a finely tessellated unit sphere at (0, 0, kSphereZ), sphere-mapped
// with the given image, and answers the frame as RGB rows, bottom row first.
std::vector<unsigned char> DrawMirrorBall(const std::vector<unsigned char> &rgb, int w, int h)
{
    glViewport(0, 0, kSize, kSize);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-kHalf, kHalf, -kHalf, kHalf, kNear, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, float(kSphereZ));

    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, w, h, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glEnable(GL_TEXTURE_2D);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);

    const int stacks = 96, slices = 192;
    for (int i = 0; i < stacks; ++i) {
        glBegin(GL_TRIANGLE_STRIP);
        for (int j = 0; j <= slices; ++j) {
            for (int k = 1; k >= 0; --k) {
                double theta = M_PI * (i + k) / stacks, phi = 2 * M_PI * j / slices;
                float x = float(std::sin(theta) * std::cos(phi)), y = float(std::cos(theta));
                float z = float(std::sin(theta) * std::sin(phi));
                glNormal3f(x, y, z);
                glVertex3f(x, y, z);
            }
        }
        glEnd();
    }
    glFinish();
    std::vector<unsigned char> frame(size_t(kSize) * kSize * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, frame.data());
    glDeleteTextures(1, &texture);
    return frame;
}

// The eye-space reflection seen at window pixel (px, py), py counted from the
// bottom; false when the pixel misses the inner part of the sphere.
bool ReflectionAt(int px, int py, Direction *r)
{
    double dx = ((px + 0.5) / kSize * 2 - 1) * kHalf, dy = ((py + 0.5) / kSize * 2 - 1) * kHalf,
           dz = -kNear;
    double len = std::sqrt(dx * dx + dy * dy + dz * dz);
    dx /= len, dy /= len, dz /= len;
    // Ray from the eye against the unit sphere at (0, 0, kSphereZ).
    double b = dz * kSphereZ, c = kSphereZ * kSphereZ - 1, disc = b * b - c;
    if (disc <= 0) return false;
    double t = b - std::sqrt(disc);
    double nx = dx * t, ny = dy * t, nz = dz * t - kSphereZ;
    if (nz < 0.5) return false;  // near the silhouette per-vertex interpolation is coarse
    double dot = dx * nx + dy * ny + dz * nz;
    *r = {dx - 2 * dot * nx, dy - 2 * dot * ny, dz - 2 * dot * nz};
    return true;
}

TEST(SphereMap, DirectionsAndCoordinatesAreInverse)
{
    for (int i = 0; i <= 40; ++i) {
        for (int j = 0; j <= 40; ++j) {
            double s = i / 40.0, t = j / 40.0;
            if (std::fabs(std::hypot(s - 0.5, t - 0.5) - 0.5) < 1e-9)
                continue;  // on the rim, rounding decides
            Direction d;
            bool inDisc = imagegen::SphereMapDirection(s, t, &d);
            EXPECT_EQ(inDisc, std::hypot(s - 0.5, t - 0.5) <= 0.5);
            if (!inDisc) continue;
            EXPECT_NEAR(std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z), 1.0, 1e-9);
            if (d.z < -0.999) continue;  // the rim: every point there means "straight away"
            double s2, t2;
            imagegen::SphereMapCoords(d, &s2, &t2);
            EXPECT_NEAR(s2, s, 1e-9);
            EXPECT_NEAR(t2, t, 1e-9);
        }
    }
    Direction centre;
    ASSERT_TRUE(imagegen::SphereMapDirection(0.5, 0.5, &centre));
    EXPECT_NEAR(centre.z, 1.0, 1e-12) << "the disc's centre reflects what is behind the viewer";
}

TEST(SphereMap, OpenGlSamplesTheTexelOurGeometryPredicts)
{
    headless::OffscreenGl gl(kSize, kSize);
    ASSERT_TRUE(gl.ok()) << "no OSMesa context";
    // Red encodes s and green encodes t, so the frame tells which texel GL used.
    const int n = 256;
    std::vector<unsigned char> coords(size_t(n) * n * 3);
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            coords[(size_t(y) * n + x) * 3 + 0] = static_cast<unsigned char>(x);
            coords[(size_t(y) * n + x) * 3 + 1] = static_cast<unsigned char>(y);
        }
    }
    std::vector<unsigned char> frame = DrawMirrorBall(coords, n, n);
    int checked = 0;
    for (int py = 0; py < kSize; py += 3) {
        for (int px = 0; px < kSize; px += 3) {
            Direction r;
            if (!ReflectionAt(px, py, &r)) continue;
            double s, t;
            imagegen::SphereMapCoords(r, &s, &t);
            const unsigned char *p = &frame[(size_t(py) * kSize + px) * 3];
            EXPECT_NEAR((p[0] + 0.5) / n, s, 0.02) << "pixel " << px << "," << py;
            EXPECT_NEAR((p[1] + 0.5) / n, t, 0.02) << "pixel " << px << "," << py;
            checked++;
        }
    }
    EXPECT_GT(checked, 200);
}

TEST(SphereMap, ChromeShowsSkyAboveAndGroundBelowOnAMirrorBall)
{
    headless::OffscreenGl gl(kSize, kSize);
    ASSERT_TRUE(gl.ok()) << "no OSMesa context";
    int w = 0, h = 0;
    std::vector<unsigned char> chrome = RenderImage("chrome_env.png", &w, &h);
    ASSERT_FALSE(chrome.empty());
    std::vector<unsigned char> frame = DrawMirrorBall(chrome, w, h);

    // Average colour of a band of the ball's image, upper or lower half.
    auto average = [&](bool upper, double *r, double *g, double *b) {
        double sum[3] = {0, 0, 0};
        int count = 0;
        for (int py = 0; py < kSize; ++py) {
            for (int px = 0; px < kSize; ++px) {
                Direction d;
                if (!ReflectionAt(px, py, &d) || (d.y > 0.2) != upper || std::fabs(d.y) < 0.2)
                    continue;
                const unsigned char *p = &frame[(size_t(py) * kSize + px) * 3];
                for (int c = 0; c < 3; ++c) sum[c] += p[c];
                count++;
            }
        }
        ASSERT_GT(count, 50);
        *r = sum[0] / count, *g = sum[1] / count, *b = sum[2] / count;
    };
    double r, g, b;
    average(true, &r, &g, &b);
    EXPECT_GT(b, r + 40) << "upward reflections should be blue sky: " << r << "," << g << "," << b;
    double r2, g2, b2;
    average(false, &r2, &g2, &b2);
    EXPECT_GE(r2, b2) << "downward reflections should be brown ground: " << r2 << "," << g2 << ","
                      << b2;
    EXPECT_LT(r2 + g2 + b2, r + g + b) << "the ground is darker than the sky";
}

}  // namespace
