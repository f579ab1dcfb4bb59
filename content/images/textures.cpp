// Tileable texture maps. Every pattern is built from functions with period 1
// in u and v (noise with integer periods, sines of integer frequency, grids
// with an integer cell count), so the right edge continues into the left one.
#include "generators.h"
#include "noise.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace imagegen {

namespace {

constexpr double kTau = 2.0 * M_PI;

double Sq(double v)
{
    return v * v;
}

// 1 inside a band of half-width 'half' around 0, fading to 0 over 'soft'.
double Band(double distance, double half, double soft)
{
    return 1.0 - Smoothstep(half, half + soft, std::fabs(distance));
}

}  // namespace

Canvas Marble(int w, int h)
{
    Canvas c(w, h);
    c.Shade(1, [](double u, double v) {
        double warp = Fbm(u * 2, v * 2, 2, 2, 5, 11);
        double s = std::fabs(std::sin(kTau * (u + 2 * v) + 3.5 * warp));
        double soft = std::pow(1 - s, 3), sharp = std::pow(1 - s, 28);
        double fine = Fbm(u * 4, v * 4, 4, 4, 4, 12);
        double hair = std::pow(1 - std::fabs(std::sin(kTau * (3 * u - v) + 2.5 * fine)), 60);
        double cloud = 0.5 + 0.5 * Fbm(u * 2, v * 2, 2, 2, 5, 13);
        Color col = Mix(Hex(0xf5f2ed), Hex(0xd9d6d2), cloud);
        col = Mix(col, Hex(0xa3a7ae), soft * 0.4);
        col = Mix(col, Hex(0x5d626c), sharp * 0.8);
        return Mix(col, Hex(0x8d9098), hair * 0.45);
    });
    return c;
}

Canvas MarbleGreen(int w, int h)
{
    Canvas c(w, h);
    c.Shade(1, [](double u, double v) {
        double warp = Fbm(u * 2, v * 2, 2, 2, 5, 14);
        double bands = 0.5 + 0.5 * std::sin(kTau * (2 * u + v) * 2 + 4.0 * warp);
        double vein = std::pow(
            1 - std::fabs(std::sin(kTau * (u - 2 * v) + 3.5 * Fbm(u * 3, v * 3, 3, 3, 4, 15))), 24);
        double speck = Turbulence(u * 16, v * 16, 16, 16, 3, 16);
        Color stone = Ramp({{0.0, Hex(0x07261c)},
                            {0.45, Hex(0x0f4a36)},
                            {0.8, Hex(0x1f7a55)},
                            {1.0, Hex(0x3aa577)}},
                           bands * (0.75 + 0.5 * speck));
        return Mix(stone, Hex(0xe8efe0), Clamp01(vein * 0.9));
    });
    return c;
}

Canvas Wood(int w, int h)
{
    const int rows = 4;
    const int planksPerRow = 2;
    Canvas c(w, h);
    c.Shade(2, [&](double u, double v) {
        double rowPos = v * rows;
        int row = static_cast<int>(std::floor(rowPos));
        double yIn = rowPos - row;
        double along = Fract(u - HashUnit(row, 0, 21)) * planksPerRow;
        int plank = static_cast<int>(std::floor(along));
        double xIn = along - plank;
        double board = HashUnit(row * planksPerRow + plank, 1, 22);

        // Flat-sawn growth rings: fine stripes along the board, arching once per plank.
        double warp = 0.05 * Fbm(u * 3, v * 12, 3, 12, 4, 23);
        double arch = 0.1 * (0.5 + board) * std::sin(kTau * (u * planksPerRow + board));
        double spacing = 0.7 * Fbm(u * 2, v * 4 + board, 2, 4, 3, 27);  // rings crowd and spread
        double ring = Fract((yIn + warp + arch) * 13 + spacing + board * 10);
        double late = Smoothstep(0.55, 0.85, ring) * (1 - Smoothstep(0.85, 1.0, ring));
        double fibre = ValueNoise(u * 16, v * 256, 16, 256, 24);
        double pores = Smoothstep(0.72, 0.95, ValueNoise(u * 48, v * 256, 48, 256, 25));
        double tone = 0.5 + 0.5 * Fbm(u * 2, v * 2, 2, 2, 3, 26);
        Color light = Mix(Mix(Hex(0xcf995f), Hex(0xb27944), board), Hex(0xa86c3a), tone * 0.5);
        Color col = Mix(light, Hex(0x7a4521), late * 0.6) * (0.88 + 0.16 * fibre - 0.2 * pores);

        double seamPx =
            std::min(std::min(yIn, 1 - yIn) * h / rows, std::min(xIn, 1 - xIn) * w / planksPerRow);
        return col * (0.3 + 0.7 * Smoothstep(0.0, 1.6, seamPx));
    });
    return c;
}

Canvas BrushedMetal(int w, int h)
{
    Canvas c(w, h);
    c.Shade(1, [](double u, double v) {
        // Long horizontal streaks: coarse along u, one or two pixels across in v.
        double streak = 0.45 * ValueNoise(u * 2, v * 96, 2, 96, 31) +
                        0.35 * ValueNoise(u * 4, v * 192, 4, 192, 32) +
                        0.2 * ValueNoise(u * 8, v * 384, 8, 384, 33);
        double broad = Fbm(u * 2, v * 2, 2, 2, 3, 34);
        return Mix(Hex(0x70777f), Hex(0xd8dee4), Clamp01(0.2 + 0.65 * streak + 0.18 * broad));
    });
    return c;
}

Canvas Rust(int w, int h)
{
    Canvas c(w, h);
    c.Shade(1, [](double u, double v) {
        double n = Fbm(u * 4, v * 4, 4, 4, 6, 41) + 0.35 * Fbm(u * 16, v * 16, 16, 16, 3, 42);
        double rust = Smoothstep(-0.02, 0.1, n);
        double grain = 0.5 + 0.5 * Fbm(u * 24, v * 24, 24, 24, 3, 43);
        double tone = 0.6 * grain + 0.4 * (0.5 + 0.5 * Fbm(u * 6, v * 6, 6, 6, 4, 45));
        Color rustCol = Ramp({{0.0, Hex(0x2e140a)},
                              {0.4, Hex(0x6e2e10)},
                              {0.65, Hex(0xa24e1a)},
                              {1.0, Hex(0xd6913e)}},
                             tone);
        CellSample pit = Worley(u * 32, v * 32, 32, 32, 44);
        if (pit.f1 < 0.22 && pit.id % 3 == 0) {
            rustCol = rustCol * (0.45 + 0.55 * pit.f1 / 0.22);
        }
        Color paint = Mix(Hex(0x35616b), Hex(0x5f8f98), 0.5 + 0.5 * Fbm(u * 8, v * 8, 8, 8, 3, 46));
        // Paint lifts and darkens just before it gives way to rust.
        double blister = std::exp(-Sq((n + 0.05) / 0.05));
        return Mix(paint * (1 - 0.45 * blister), rustCol, rust);
    });
    return c;
}

Canvas Tiles(int w, int h)
{
    const int perSide = 4;
    Canvas c(w, h);
    c.Shade(3, [&](double u, double v) {
        double tu = u * perSide, tv = v * perSide;
        int ix = static_cast<int>(std::floor(tu)), iy = static_cast<int>(std::floor(tv));
        double x = tu - ix, y = tv - iy;
        double edge = std::min(std::min(x, 1 - x), std::min(y, 1 - y));
        const double grout = 0.03;
        if (edge < grout) {
            return Hex(0xb9b4aa) * (0.85 + 0.15 * ValueNoise(u * 64, v * 64, 64, 64, 51));
        }
        double px = (x - 0.5) * 2, py = (y - 0.5) * 2;
        double r = std::hypot(px, py), a = std::atan2(py, px);
        Color glaze = Mix(Hex(0xf6f2e6), Hex(0xeae3cf), HashUnit(ix, iy, 52));
        Color col = glaze;
        double flower = 0.5 * (0.72 + 0.28 * std::cos(8 * a));
        if (r < flower) {
            col = Mix(Hex(0x2b62b5), Hex(0x5f9be0), Smoothstep(0.0, flower, r));
        }
        if (r < 0.14) {
            col = Hex(0xe3a42b);
        }
        if (std::fabs(r - 0.8) < 0.035) {
            col = Hex(0x1d4e9e);
        }
        // Quarter discs in the corners join into circles across four tiles.
        double corner = std::hypot(1 - std::fabs(px), 1 - std::fabs(py));
        if (corner < 0.32) {
            col = corner < 0.2 ? Hex(0xe3a42b) : Hex(0x1d4e9e);
        }
        double bevel = Smoothstep(grout, grout + 0.05, edge);
        double crackle = 0.97 + 0.03 * ValueNoise(u * 48, v * 48, 48, 48, 53);
        return col * ((0.72 + 0.28 * bevel) * crackle);
    });
    return c;
}

Canvas Circuit(int w, int h)
{
    const int n = 16;  // nodes per side
    std::vector<char> right(n * n), down(n * n), inside(n * n, 0), pinRow(n * n, 0);
    struct Chip {
        int x0, y0, x1, y1;
    };
    // Chip rectangles in node units; the top and bottom node rows carry the pins.
    const Chip chips[] = {{2, 2, 6, 5}, {10, 8, 13, 12}, {4, 11, 7, 14}};
    for (const Chip &ch : chips) {
        for (int y = ch.y0; y <= ch.y1; ++y) {
            for (int x = ch.x0; x <= ch.x1; ++x) {
                bool pins = (y == ch.y0 || y == ch.y1);
                (pins ? pinRow : inside)[y * n + x] = 1;
            }
        }
    }
    auto blocked = [&](int x, int y) { return inside[Wrap(y, n) * n + Wrap(x, n)] != 0; };
    auto pin = [&](int x, int y) { return pinRow[Wrap(y, n) * n + Wrap(x, n)] != 0; };
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            bool r = HashUnit(x, y, 54) < 0.5, d = HashUnit(x, y, 55) < 0.45;
            // No trace runs under a chip or shorts two neighbouring pins.
            right[y * n + x] =
                r && !blocked(x, y) && !blocked(x + 1, y) && !(pin(x, y) && pin(x + 1, y));
            down[y * n + x] = d && !blocked(x, y) && !blocked(x, y + 1);
        }
    }
    auto R = [&](int x, int y) { return right[Wrap(y, n) * n + Wrap(x, n)] != 0; };
    auto D = [&](int x, int y) { return down[Wrap(y, n) * n + Wrap(x, n)] != 0; };
    auto degree = [&](int x, int y) { return R(x, y) + R(x - 1, y) + D(x, y) + D(x, y - 1); };

    Canvas c(w, h);
    c.Shade(3, [&](double u, double v) {
        double X = u * n - 0.5, Y = v * n - 0.5;
        int i = static_cast<int>(std::floor(X)), j = static_cast<int>(std::floor(Y));
        double fx = X - i, fy = Y - j;

        Color board = Hex(0x0c4526) * (0.9 + 0.15 * ValueNoise(u * 128, v * 128, 128, 128, 56));
        double trace = 1e9;
        if (R(i, j)) trace = std::min(trace, std::fabs(fy));
        if (R(i, j + 1)) trace = std::min(trace, std::fabs(1 - fy));
        if (D(i, j)) trace = std::min(trace, std::fabs(fx));
        if (D(i + 1, j)) trace = std::min(trace, std::fabs(1 - fx));
        Color col = board;
        if (trace < 0.2) col = Mix(board, Hex(0x1d7a3e), 0.6);  // copper glow under the mask
        if (trace < 0.11) col = Hex(0x2f9a50) * (1.0 - 0.25 * Smoothstep(0.05, 0.11, trace));

        for (int k = 0; k < 4; ++k) {
            int ni = i + (k & 1), nj = j + (k >> 1);
            double d = std::hypot(X - ni, Y - nj);
            int deg = degree(ni, nj);
            bool via = deg >= 2 && HashUnit(Wrap(ni, n), Wrap(nj, n), 57) < 0.12;
            if ((deg == 1 || via) && !pin(ni, nj) && d < 0.3) {
                col = d < 0.12 ? Hex(0x101010) : Hex(0xd9b45c) * (0.8 + 0.3 * (1 - d / 0.3));
            }
        }
        for (const Chip &ch : chips) {
            bool inBody =
                X > ch.x0 - 0.45 && X < ch.x1 + 0.45 && Y > ch.y0 + 0.35 && Y < ch.y1 - 0.35;
            bool inSilk = X > ch.x0 - 0.6 && X < ch.x1 + 0.6 && Y > ch.y0 + 0.2 && Y < ch.y1 - 0.2;
            if (inSilk && !inBody) col = Hex(0xe8eadc);
            bool inPin = Y > ch.y0 - 0.2 && Y < ch.y1 + 0.2 && X > ch.x0 - 0.2 && X < ch.x1 + 0.2 &&
                         std::fabs(X - std::round(X)) < 0.13;
            if (inPin && !inBody) col = Hex(0xc8ccd2);
            if (inBody) {
                double shade = 0.12 + 0.05 * ValueNoise(u * 200, v * 200, 200, 200, 58);
                col = Color(0.9f, 0.9f, 0.95f) * shade;
                if (std::hypot(X - (ch.x0 - 0.15), Y - (ch.y0 + 0.65)) < 0.15) col = Hex(0x060606);
            }
        }
        return col;
    });
    return c;
}

namespace {

struct PanelRect {
    int x0, y0, x1, y1;  // in grid units, exclusive end
    int kind;
};

void SplitPanel(PanelRect r, int depth, Rng &rng, std::vector<PanelRect> &out)
{
    int width = r.x1 - r.x0, height = r.y1 - r.y0;
    // Cuts leave at least two cells on each side: no slivers.
    bool stop = depth == 0 || (width < 4 && height < 4) || (depth <= 2 && rng.Uniform() < 0.3);
    if (stop) {
        const int kinds[] = {0, 0, 1, 1, 1, 2, 3, 4, 4, 1};
        r.kind = kinds[rng.Below(10)];
        out.push_back(r);
        return;
    }
    bool vertical = width > height || (width == height && rng.Uniform() < 0.5);
    if ((vertical ? width : height) < 4) {
        vertical = !vertical;
    }
    int span = vertical ? width : height;
    int cut = 2 + rng.Below(span - 3);
    PanelRect a = r, b = r;
    if (vertical) {
        a.x1 = b.x0 = r.x0 + cut;
    } else {
        a.y1 = b.y0 = r.y0 + cut;
    }
    SplitPanel(a, depth - 1, rng, out);
    SplitPanel(b, depth - 1, rng, out);
}

// Shaded dome of a rivet of radius 'radius' pixels, lit from the top left.
double RivetShade(double dxPx, double dyPx, double radius)
{
    return 0.75 - 0.45 * (dxPx + dyPx) / (radius * 1.4142);
}

}  // namespace

Canvas TechPanel(int w, int h)
{
    const int grid = 16;
    std::vector<PanelRect> panels;
    Rng rng(61);
    SplitPanel({0, 0, grid, grid, 0}, 5, rng, panels);

    Canvas c(w, h);
    c.Shade(2, [&](double u, double v) {
        double gx = u * grid, gy = v * grid;
        const PanelRect *p = &panels[0];
        for (const PanelRect &r : panels) {
            if (gx >= r.x0 && gx < r.x1 && gy >= r.y0 && gy < r.y1) {
                p = &r;
                break;
            }
        }
        double pxPerCell = double(w) / grid;
        double left = (gx - p->x0) * pxPerCell, right = (p->x1 - gx) * pxPerCell;
        double top = (gy - p->y0) * pxPerCell, bottom = (p->y1 - gy) * pxPerCell;
        double edge = std::min(std::min(left, right), std::min(top, bottom));
        double seed = HashUnit(p->x0, p->y0 * 31 + p->x1, 62);
        double grime = 0.5 + 0.5 * Fbm(u * 6, v * 6, 6, 6, 4, 63);
        Color base = Mix(Hex(0x5d646d), Hex(0x7c848e), seed) * (0.86 + 0.14 * grime);
        base = base * (0.96 + 0.06 * ValueNoise(u * 128, v * 128, 128, 128, 64));

        if (edge < 1.2) {
            return Hex(0x15171a);
        }
        if (edge < 4.0) {
            // Bevel: edges facing up or left catch the light.
            bool lit = (top < 4.0 && top <= left + 0.01) || (left < 4.0 && left < top);
            bool litEdge = (top < 4.0 || left < 4.0) && !(bottom < 4.0 || right < 4.0);
            return base * (lit && litEdge ? 1.3 : 0.65);
        }
        double innerW = (p->x1 - p->x0) * pxPerCell, innerH = (p->y1 - p->y0) * pxPerCell;
        switch (p->kind) {
        case 1: {  // rivets in the corners
            double rx = std::min(left, right), ry = std::min(top, bottom);
            double dx = rx - 8, dy = ry - 8;
            if (std::hypot(dx, dy) < 2.6) {
                double sx = left < right ? dx : -dx, sy = top < bottom ? dy : -dy;
                return Hex(0x9aa2ac) * RivetShade(sx, sy, 2.6);
            }
            break;
        }
        case 2: {  // vent slots
            if (left > 8 && right > 8 && top > 8 && bottom > 8 && innerH > 24) {
                double slot = Fract((top - 8) / 6.0);
                if (slot < 0.5) {
                    return Hex(0x0d0e10) * (slot < 0.12 ? 2.0 : 1.0);
                }
            }
            break;
        }
        case 3: {  // hazard stripes on small panels, a recess on larger ones
            if (innerW * innerH < 48 * 48) {
                bool yellow = Fract((left + top) / 12.0) < 0.5;
                return (yellow ? Hex(0xe0b21f) : Hex(0x1a1a1a)) * (0.85 + 0.15 * grime);
            }
            if (edge > 9 && edge < 11) {
                return base * 0.6;
            }
            break;
        }
        case 4: {  // recessed inner plate
            if (edge > 10 && edge < 12.5) {
                return base * ((top < bottom && top < left + 100) ? 0.55 : 1.2);
            }
            break;
        }
        default: break;
        }
        return base;
    });
    return c;
}

Canvas HexGrid(int w, int h)
{
    // Seven hexagon columns and eight rows fill the square with hexagons
    // stretched by about one percent, which keeps the grid periodic.
    const int cols = 7, rows = 8;
    const double root3 = std::sqrt(3.0);
    Canvas c(w, h);
    c.Shade(2, [&](double u, double v) {
        double X = u * cols * root3, Y = v * rows * 1.5;
        int row0 = static_cast<int>(std::floor(Y / 1.5));
        double best = 1e9;
        int bestCol = 0, bestRow = 0;
        for (int r = row0 - 1; r <= row0 + 1; ++r) {
            double shift = (Wrap(r, 2) == 1) ? root3 / 2 : 0;
            int col0 = static_cast<int>(std::floor((X - shift) / root3));
            for (int q = col0 - 1; q <= col0 + 1; ++q) {
                double cx = q * root3 + shift + root3 / 2, cy = r * 1.5 + 0.5;
                double px = std::fabs(X - cx), py = std::fabs(Y - cy);
                double hd = std::max(px, 0.5 * px + root3 / 2 * py);
                if (hd < best) {
                    best = hd;
                    bestCol = q;
                    bestRow = r;
                }
            }
        }
        double edge = root3 / 2 - best;  // distance to the cell border
        double lit = HashUnit(Wrap(bestCol, cols), Wrap(bestRow, rows), 71);
        Color fill = Hex(0x050b16);
        if (lit > 0.8) fill = Mix(Hex(0x0a2a3a), Hex(0x1b6a80), (lit - 0.8) * 5);
        if (lit > 0.95) fill = Hex(0x2fd0e8) * (0.7 + 0.3 * Smoothstep(0.0, 0.5, edge));
        Color glow = Hex(0x28e0ff) * (std::exp(-edge / 0.06) * 0.9);
        Color line = Hex(0xb8f8ff) * Band(edge, 0.025, 0.02);
        return fill + glow + line;
    });
    return c;
}

Canvas Checker(int w, int h)
{
    const int squares = 8;
    Canvas c(w, h);
    c.Shade(4, [&](double u, double v) {
        int ix = static_cast<int>(std::floor(u * squares)),
            iy = static_cast<int>(std::floor(v * squares));
        return ((ix + iy) & 1) ? Hex(0x8e1b2d) : Hex(0xefe4c9);
    });
    return c;
}

Canvas CandyStripes(int w, int h)
{
    Canvas c(w, h);
    c.Shade(4, [](double u, double v) {
        double t = Fract((u + v) * 4);
        if (t < 0.4) return Hex(0xff5c9e);
        if (t < 0.5) return Hex(0xfff8f2);
        if (t < 0.9) return Hex(0x52d8c0);
        return Hex(0xfff8f2);
    });
    return c;
}

Canvas Brick(int w, int h)
{
    const int rows = 8, perRow = 4;
    Canvas c(w, h);
    c.Shade(2, [&](double u, double v) {
        double rowPos = v * rows;
        int row = static_cast<int>(std::floor(rowPos));
        double along = u * perRow + ((row & 1) ? 0.5 : 0.0);
        int brick = static_cast<int>(std::floor(along));
        double x = along - brick, y = rowPos - row;
        int id = Wrap(brick, perRow) + Wrap(row, rows) * perRow;
        double edgePx = std::min(std::min(x, 1 - x) * w / perRow, std::min(y, 1 - y) * h / rows);
        double ragged = 1.6 + 1.2 * ValueNoise(u * 64, v * 64, 64, 64, 81);
        if (edgePx < ragged) {
            return Hex(0xb3ab9b) * (0.8 + 0.2 * ValueNoise(u * 128, v * 128, 128, 128, 82));
        }
        double pick = HashUnit(id, 0, 83);
        Color brickCol = Ramp({{0.0, Hex(0x6e2b1f)},
                               {0.35, Hex(0x8f3a26)},
                               {0.7, Hex(0xa6502f)},
                               {1.0, Hex(0xb8694a)}},
                              pick);
        if (HashUnit(id, 1, 84) < 0.12) brickCol = Hex(0x4d2a22);
        double grain = 0.85 + 0.25 * (0.5 + 0.5 * Fbm(u * 16, v * 16, 16, 16, 4, 85));
        double bevel = 0.75 + 0.25 * Smoothstep(ragged, ragged + 3.0, edgePx);
        return brickCol * (grain * bevel);
    });
    return c;
}

Canvas Flagstones(int w, int h)
{
    const int cells = 5;
    Canvas c(w, h);
    c.Shade(2, [&](double u, double v) {
        double wx = 0.25 * Fbm(u * 4, v * 4, 4, 4, 3, 91),
               wy = 0.25 * Fbm(u * 4 + 7, v * 4, 4, 4, 3, 92);
        CellSample s = Worley(u * cells + wx, v * cells + wy, cells, cells, 93);
        double edge = s.f2 - s.f1;
        if (edge < 0.06) {
            return Hex(0x2f2b27) * (0.8 + 0.3 * ValueNoise(u * 96, v * 96, 96, 96, 94));
        }
        double pick = (s.id & 0xFFFF) / 65536.0;
        Color stone = Ramp({{0.0, Hex(0x77736c)},
                            {0.4, Hex(0x8d877c)},
                            {0.75, Hex(0xa39a88)},
                            {1.0, Hex(0x8a8f93)}},
                           pick);
        double texture = 0.88 + 0.22 * (0.5 + 0.5 * Fbm(u * 12, v * 12, 12, 12, 5, 95));
        double occlusion = 0.7 + 0.3 * Smoothstep(0.06, 0.22, edge);
        return stone * (texture * occlusion);
    });
    return c;
}

Canvas Concrete(int w, int h)
{
    Canvas c(w, h);
    c.Shade(1, [](double u, double v) {
        double stain = Fbm(u * 3, v * 3, 3, 3, 5, 101);
        double mottle = Fbm(u * 10, v * 10, 10, 10, 3, 102);
        double grit = ValueNoise(u * 256, v * 256, 256, 256, 104) - 0.5;
        // Rain streaks: long in v, narrow in u.
        double streak = Smoothstep(0.6, 0.95, ValueNoise(u * 24, v * 2, 24, 2, 105));
        Color col =
            Hex(0x8f8d88) * (1.0 + 0.22 * stain + 0.08 * mottle + 0.12 * grit - 0.12 * streak);
        CellSample pore = Worley(u * 28, v * 28, 28, 28, 103);
        if (pore.id % 4 == 0 && pore.f1 < 0.2) {
            col = col * (0.45 + 0.55 * pore.f1 / 0.2);
        } else if (pore.id % 5 == 1 && pore.f1 < 0.3) {
            col = col * (pore.id % 2 ? 1.1 : 0.88);
        }
        return col;
    });
    return c;
}

Canvas TunnelPanel(int w, int h)
{
    // Four panel columns around (u) and two rings along (v) per tile.
    Canvas c(w, h);
    c.Shade(2, [&](double u, double v) {
        double colPos = Fract(u * 4), ringPos = Fract(v * 2);
        double colPx = colPos * w / 4, ringPx = ringPos * h / 2;
        double colW = w / 4.0, ringH = h / 2.0;
        double grime = 0.5 + 0.5 * Fbm(u * 8, v * 8, 8, 8, 4, 111);
        Color metal = Hex(0x465260) * (0.85 + 0.2 * grime);

        // Ring beam across the tunnel, with bolts.
        if (ringPx < 18) {
            double bolt = std::hypot(Fract(u * 16) * w / 16 - w / 32.0, ringPx - 9);
            if (bolt < 3.2)
                return Hex(0xa0a8b2) *
                       RivetShade(Fract(u * 16) * w / 16 - w / 32.0, ringPx - 9, 3.2);
            double shade = ringPx < 3 ? 1.25 : (ringPx > 15 ? 0.55 : 0.9);
            return Hex(0x2c333c) * shade;
        }
        // Light strip between the columns.
        double ribDist = std::min(colPx, colW - colPx);
        if (ribDist < 7) {
            if (ribDist < 2.5) {
                return Expose(Hex(0x40e8ff) * 2.2 * (1 - ribDist / 4));
            }
            return Hex(0x20262e) + Hex(0x40e8ff) * (0.35 * std::exp(-(ribDist - 2.5) / 1.5));
        }
        double x = colPx - 7, y = ringPx - 18, pw = colW - 14, ph = ringH - 18;
        double edge = std::min(std::min(x, pw - x), std::min(y, ph - y));
        if (edge < 2) return Hex(0x0f1216);
        if (edge < 5) return metal * ((y < 5 || x < 5) && y < ph - 5 && x < pw - 5 ? 1.35 : 0.6);

        // Panel face: a grille in the upper part, a warning light and a label below.
        double grilleTop = 14, grilleBottom = ph * 0.45;
        if (y > grilleTop && y < grilleBottom && x > 14 && x < pw - 14) {
            double slat = Fract((y - grilleTop) / 5.0);
            return slat < 0.45 ? Hex(0x07090b) : metal * (slat < 0.6 ? 1.4 : 0.95);
        }
        int columnIndex = static_cast<int>(std::floor(u * 4)),
            ringIndex = static_cast<int>(std::floor(v * 2));
        double lampX = pw * 0.78, lampY = ph * 0.72;
        double lamp = std::hypot(x - lampX, y - lampY);
        bool red = ((columnIndex + ringIndex) & 1) != 0;
        Color lampCol = red ? Hex(0xff3a1a) : Hex(0xffb01a);
        if (lamp < 5) return Expose(lampCol * 2.0);
        if (lamp < 9) return metal + lampCol * (0.5 * (9 - lamp) / 4);
        if (x > 16 && x < pw * 0.55 && y > ph * 0.62 && y < ph * 0.8) {
            bool stripe = Fract((x + y) / 10.0) < 0.5;
            return stripe ? Hex(0xd9a61e) : Hex(0x1b1b1b);
        }
        return metal;
    });
    return c;
}

Canvas NeonGrid(int w, int h)
{
    Canvas c(w, h);
    c.Shade(2, [&](double u, double v) {
        auto linePx = [](double t, int count, int size) {
            return WrappedDistance(t * count, 0.0) * size / count;
        };
        double major = std::min(linePx(u, 4, w), linePx(v, 4, h));
        double minor = std::min(linePx(u, 16, w), linePx(v, 16, h));
        Color col = Hex(0x07040f);
        col += Hex(0xff2bd6) * (1.6 * std::exp(-Sq(major / 1.3)) + 0.35 * std::exp(-major / 7.0));
        col += Hex(0x2fd9ff) * (0.55 * std::exp(-Sq(minor / 0.8)));
        return Expose(col * 1.2);
    });
    return c;
}

Canvas Sky(int w, int h)
{
    Canvas c(w, h);
    c.Shade(1, [&](double u, double v) {
        Color sky = Ramp({{0.0, Hex(0x173a86)},
                          {0.55, Hex(0x4f86d0)},
                          {0.85, Hex(0xa6c9ea)},
                          {1.0, Hex(0xe4edf2)}},
                         v);
        // Clouds foreshortened towards the horizon at the bottom edge.
        double depth = 1.0 / (1.2 - v);
        double n = Fbm(u * 4, depth * 3, 4, 4096, 6, 121);
        double cloud = Smoothstep(0.02, 0.45, n) * Smoothstep(1.0, 0.8, v);
        double shade =
            0.8 + 0.2 * Smoothstep(0.0, 0.6, Fbm(u * 4 + 3, depth * 3 - 0.1, 4, 4096, 4, 121));
        return Mix(sky, Hex(0xffffff) * shade, cloud * 0.9);
    });
    return c;
}

Canvas Lava(int w, int h)
{
    Canvas c(w, h);
    c.Shade(1, [](double u, double v) {
        double wx = 0.35 * Fbm(u * 3, v * 3, 3, 3, 4, 131),
               wy = 0.35 * Fbm(u * 3 + 11, v * 3, 3, 3, 4, 132);
        CellSample s = Worley(u * 6 + wx, v * 6 + wy, 6, 6, 133);
        double crack = 1 - Smoothstep(0.0, 0.14, s.f2 - s.f1);
        double ember = 0.5 + 0.5 * Fbm(u * 10, v * 10, 10, 10, 4, 134);
        double heat = Clamp01(crack * (0.7 + 0.4 * ember) + 0.25 * Smoothstep(0.6, 1.0, ember));
        Color crust = Mix(Hex(0x140d0b), Hex(0x3b2a22), Turbulence(u * 12, v * 12, 12, 12, 4, 135));
        Color glow = Ramp({{0.0, Hex(0x000000)},
                           {0.3, Hex(0x6a0800)},
                           {0.55, Hex(0xd23a06)},
                           {0.8, Hex(0xff9a1c)},
                           {1.0, Hex(0xfff0a0)}},
                          heat);
        return crust * (1 - heat) + glow;
    });
    return c;
}

Canvas Plasma(int w, int h)
{
    Canvas c(w, h);
    c.Shade(1, [](double u, double v) {
        double a = std::sin(kTau * (2 * u + 0.5 * std::sin(kTau * v)));
        double b = std::sin(kTau * (3 * v + 0.4 * std::cos(kTau * 2 * u)));
        double d = std::sin(kTau * 2 * (u + v) + 1.3 * std::sin(kTau * (u - v)));
        double t = (a + b + d) / 3.0;
        return Color(float(0.5 + 0.5 * std::cos(kTau * (t * 0.9 + 0.05))),
                     float(0.5 + 0.5 * std::cos(kTau * (t * 0.9 + 0.38))),
                     float(0.5 + 0.5 * std::cos(kTau * (t * 0.9 + 0.72))));
    });
    return c;
}

Canvas CarbonFibre(int w, int h)
{
    const int cells = 16;
    Canvas c(w, h);
    c.Shade(2, [&](double u, double v) {
        int i = static_cast<int>(std::floor(u * cells)),
            j = static_cast<int>(std::floor(v * cells));
        double x = u * cells - i, y = v * cells - j;
        // 2/2 twill: the over/under pattern steps one cell per row.
        bool warpOnTop = Wrap(i + j, 4) < 2;
        double across = warpOnTop ? x : y;
        double sheen = std::pow(std::sin(M_PI * across), 0.6);
        double fibres = ValueNoise(warpOnTop ? u * 256 : u * 16, warpOnTop ? v * 16 : v * 256,
                                   warpOnTop ? 256 : 16, warpOnTop ? 16 : 256, 141);
        double light = warpOnTop ? 1.0 : 0.6;
        return Mix(Hex(0x101215), Hex(0x4e555e), sheen * light * (0.8 + 0.2 * fibres));
    });
    return c;
}

Canvas Nebula(int w, int h)
{
    Canvas c(w, h);
    c.Shade(1, [](double u, double v) {
        double qx = Fbm(u * 3, v * 3, 3, 3, 4, 151),
               qy = Fbm(u * 3 + 5.2, v * 3 + 1.3, 3, 3, 4, 152);
        double density = Fbm(u * 3 + 1.6 * qx, v * 3 + 1.6 * qy, 3, 3, 7, 153);
        double d = Smoothstep(-0.15, 0.75, density);
        Color col = Ramp({{0.0, Hex(0x020108)},
                          {0.3, Hex(0x1a0a36)},
                          {0.55, Hex(0x5e1c6a)},
                          {0.78, Hex(0xc84a86)},
                          {1.0, Hex(0xffc2c8)}},
                         d);
        double blue = Smoothstep(0.0, 0.8, Fbm(u * 2 + 3.7, v * 2, 2, 2, 6, 154));
        col += Hex(0x1c4aa0) * (0.55 * blue);
        double dust = Turbulence(u * 6, v * 6, 6, 6, 5, 155);
        return col * (0.55 + 0.45 * Smoothstep(0.05, 0.3, dust));
    });
    // Stars, splatted with wrap-around so the tile stays seamless.
    Rng rng(156);
    for (int i = 0; i < 1400; ++i) {
        double sx = rng.Uniform() * w, sy = rng.Uniform() * h;
        double bright = std::pow(rng.Uniform(), 7.0);
        double temp = rng.Uniform();
        Color tint = temp < 0.3 ? Hex(0xa8c4ff) : (temp < 0.8 ? Hex(0xffffff) : Hex(0xffe0b0));
        double sigma = 0.45 + 1.1 * bright;
        double peak = 0.35 + 2.2 * bright;
        int cx = static_cast<int>(std::floor(sx)), cy = static_cast<int>(std::floor(sy));
        for (int dy = -4; dy <= 4; ++dy) {
            for (int dx = -4; dx <= 4; ++dx) {
                double ex = cx + dx + 0.5 - sx, ey = cy + dy + 0.5 - sy;
                double k = peak * std::exp(-(ex * ex + ey * ey) / (2 * sigma * sigma));
                if (k > 0.002) c.AddWrapped(cx + dx, cy + dy, tint * k);
            }
        }
    }
    return c;
}

Canvas Caustics(int w, int h)
{
    Canvas c(w, h);
    c.Shade(1, [](double u, double v) {
        double wx = 0.4 * Fbm(u * 2, v * 2, 2, 2, 3, 161),
               wy = 0.4 * Fbm(u * 2 + 4, v * 2, 2, 2, 3, 162);
        CellSample a = Worley(u * 5 + wx, v * 5 + wy, 5, 5, 163);
        CellSample b = Worley(u * 7 - wy, v * 7 + wx, 7, 7, 164);
        double la = std::exp(-(a.f2 - a.f1) / 0.06), lb = std::exp(-(b.f2 - b.f1) / 0.05);
        Color water =
            Mix(Hex(0x06406e), Hex(0x0f7aa6), 0.5 + 0.5 * Fbm(u * 3, v * 3, 3, 3, 4, 165));
        return water + Hex(0x8ff0ff) * (0.75 * la + 0.45 * lb) + Hex(0xffffff) * (0.5 * la * lb);
    });
    return c;
}

}  // namespace imagegen
