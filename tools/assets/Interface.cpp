// Interface: the window skin (8 x 4 tiles) and the icon atlas (8 x 8 icons).
#include "Art.h"

namespace art {

namespace {

using SD = std::function<float(V2)>;

SD U(SD a, SD b) { return [=](V2 p) { return std::min(a(p), b(p)); }; }
SD U(std::initializer_list<SD> list)
{
    std::vector<SD> v(list);
    return [=](V2 p) {
        float d = 1e9f;
        for (auto& f : v) d = std::min(d, f(p));
        return d;
    };
}
SD Circle(float x, float y, float r) { return [=](V2 p) { return sdCircle(p, {x, y}, r); }; }
SD Ring(float x, float y, float r, float w) { return [=](V2 p) { return sdRing(p, {x, y}, r, w); }; }
SD Seg(float ax, float ay, float bx, float by, float w) { return [=](V2 p) { return sdSegment(p, {ax, ay}, {bx, by}, w); }; }
SD Box(float x, float y, float hw, float hh, float r = 0) { return [=](V2 p) { return sdBox(p, {x, y}, {hw, hh}, r); }; }
SD Poly(std::vector<V2> v) { return [=](V2 p) { return sdPolygon(p, v); }; }
SD Arc(float x, float y, float r, float a0, float a1, float w) { return [=](V2 p) { return sdArc(p, {x, y}, r, a0, a1, w); }; }
SD Outline(SD f, float w) { return [=](V2 p) { return std::fabs(f(p)) - w; }; }
SD Rotated(SD f, float cx, float cy, float ang)
{
    float c = std::cos(ang), s = std::sin(ang);
    return [=](V2 p) {
        float x = p.x - cx, y = p.y - cy;
        return f({cx + c * x + s * y, cy - s * x + c * y});
    };
}
// Outline of an isometric cube (hexagon and the three front edges).
SD IsoCube(float x, float y, float r, float w)
{
    std::vector<V2> hex;
    for (int k = 0; k < 6; k++) {
        float a = -kPi / 2 + k * kPi / 3;
        hex.push_back({x + r * std::cos(a), y + r * std::sin(a)});
    }
    SD d = Outline(Poly(hex), w);
    return U({d, Seg(x, y, hex[3].x, hex[3].y, w), Seg(x, y, hex[1].x, hex[1].y, w), Seg(x, y, hex[5].x, hex[5].y, w)});
}

// ---- skin ----

struct TileSpec {
    bool left, right, top, bottom;
    Col fill;
};

void SkinTile(Canvas& c, int tile, const TileSpec& t)
{
    const float s = 32, b = 9, R = 9;
    float ox = (tile % 8) * s, oy = (tile / 8) * s;
    float x0 = t.left ? b : -1000, x1 = t.right ? s - b : s + 1000;
    float y0 = t.top ? b : -1000, y1 = t.bottom ? s - b : s + 1000;
    V2 centre{ox + (x0 + x1) / 2, oy + (y0 + y1) / 2}, half{(x1 - x0) / 2, (y1 - y0) / 2};
    SD shape = [=](V2 p) { return sdBox(p, centre, half, R); };
    // soft dark shadow outside, the fill with a gentle vertical gradient, a light border
    for (int y = 0; y < s; y++)
        for (int x = 0; x < s; x++) {
            V2 p{ox + x + 0.5f, oy + y + 0.5f};
            float d = shape(p);
            if (d > 0) c.Over(static_cast<int>(ox) + x, static_cast<int>(oy) + y, {0, 0, 0, 1}, 0.35f * std::exp(-d * d / 12));
        }
    c.ShapeFn(ox, oy, ox + s, oy + s, [&](V2 p) {
        // bars get a gentle vertical gradient; stretched body pieces stay flat so they join
        if (!t.top) return t.fill;
        float k = (p.y - oy) / s;
        return mix(scale(t.fill, 1.15f), scale(t.fill, 0.9f), k);
    }, shape);
    c.Shape(ox, oy, ox + s, oy + s, {0.6f, 0.82f, 1.0f, 0.95f}, Outline(shape, 0.9f));
}

}  // namespace

Canvas MakeSkin()
{
    Canvas c(256, 128, {0, 0, 0, 0});
    const Col body{0.04f, 0.07f, 0.18f, 0.82f}, bar{0.1f, 0.2f, 0.46f, 0.92f}, tab{0.16f, 0.33f, 0.72f, 0.95f};
    const Col side{0.05f, 0.1f, 0.25f, 0.85f};
    SkinTile(c, 0, {true, false, true, false, tab});
    SkinTile(c, 1, {false, false, true, false, tab});
    SkinTile(c, 3, {false, false, true, false, bar});
    SkinTile(c, 4, {false, true, true, false, bar});
    // 2: the title tab slants down into the darker bar
    SkinTile(c, 2, {false, false, true, false, bar});
    c.ShapeFn(64, 0, 96, 32, [&](V2 p) { return mix(scale(tab, 1.15f), scale(tab, 0.9f), p.y / 32); }, [](V2 p) {
        float edge = 64 + 8 + (p.y - 9) * 0.6f;   // slanted boundary
        return std::max(p.x - edge, 9.5f - p.y);
    });
    c.Shape(64, 0, 96, 32, {0.6f, 0.82f, 1.0f, 0.95f}, Seg(64, 8.6f, 96, 8.6f, 0.9f));
    c.Shape(64, 0, 96, 32, {0.6f, 0.82f, 1.0f, 0.6f}, Seg(72, 9, 85.4f, 31.5f, 0.7f));
    // separator between title bar and body
    for (int x = 9; x < 32 * 5 - 9; x++) c.Over(x, 31, {0.6f, 0.85f, 1.0f, 1}, 0.5f);
    SkinTile(c, 8, {true, false, false, false, body});
    SkinTile(c, 10, {false, false, false, false, body});
    SkinTile(c, 12, {false, true, false, false, body});
    SkinTile(c, 16, {true, false, false, true, body});
    SkinTile(c, 18, {false, false, false, true, body});
    SkinTile(c, 20, {false, true, false, true, body});
    // side bar: top cap, middle, bottom cap
    SkinTile(c, 6, {true, true, true, false, side});
    SkinTile(c, 14, {true, true, false, false, side});
    SkinTile(c, 22, {true, true, false, true, side});
    // player toggle: a round button with a note
    {
        float ox = 5 * 32, oy = 2 * 32;
        SD button = Circle(ox + 16, oy + 16, 12);
        c.Shape(ox, oy, ox + 32, oy + 32, side, button);
        c.Shape(ox, oy, ox + 32, oy + 32, {0.6f, 0.82f, 1.0f, 0.95f}, Outline(button, 0.9f));
        SD note = U({Circle(ox + 13, oy + 21, 3.2f), Seg(ox + 16, oy + 21, ox + 16, oy + 9, 0.9f),
                     Seg(ox + 16, oy + 9, ox + 21, oy + 12, 1.2f)});
        c.Shape(ox, oy, ox + 32, oy + 32, {1, 1, 1, 1}, note);
    }
    // compact player bar, title panel / frame-rate box
    SkinTile(c, 24, {true, false, true, true, body});
    SkinTile(c, 25, {false, false, true, true, body});
    SkinTile(c, 26, {false, true, true, true, body});
    SkinTile(c, 27, {true, false, true, true, bar});
    SkinTile(c, 28, {false, false, true, true, bar});
    SkinTile(c, 29, {false, true, true, true, bar});
    // mouse cursor: an arrow with its tip at the tile's top-left corner
    {
        float ox = 6 * 32, oy = 3 * 32;
        SD arrow = Poly({{ox + 2, oy + 2}, {ox + 2, oy + 26}, {ox + 8.5f, oy + 20}, {ox + 13, oy + 30},
                         {ox + 17, oy + 28}, {ox + 12.5f, oy + 18.5f}, {ox + 21, oy + 18.5f}});
        c.Shape(ox, oy, ox + 32, oy + 32, {0, 0, 0, 0.9f}, [=](V2 p) { return arrow(p) - 1.3f; });
        c.Shape(ox, oy, ox + 32, oy + 32, {1, 1, 1, 1}, arrow);
    }
    return c;
}

namespace {

// The pictogram of icon k in local coordinates 0..64 (before offsetting).
SD Pictogram(int k)
{
    const float w = 2.6f;   // line half-width
    switch (k) {
    case 0: {   // main options: gear
        SD teeth = [](V2 p) {
            float d = 1e9f;
            for (int i = 0; i < 8; i++) d = std::min(d, Rotated(Box(32, 14, 4.5f, 6, 1.5f), 32, 32, i * kPi / 4)(p));
            return d;
        };
        return U({Ring(32, 32, 12, 4.5f), teeth});
    }
    case 1:   // options: sliders
        return U({Seg(14, 20, 50, 20, 2), Circle(24, 20, 5.5f), Seg(14, 32, 50, 32, 2), Circle(42, 32, 5.5f),
                  Seg(14, 44, 50, 44, 2), Circle(30, 44, 5.5f)});
    case 2:   // console: screen with a prompt
        return U({Outline(Box(32, 32, 20, 16, 4), 2), Seg(20, 25, 27, 31, w), Seg(27, 31, 20, 37, w),
                  Seg(31, 39, 42, 39, w)});
    case 3:   // about: i in a circle
        return U({Ring(32, 32, 19, 2.5f), Circle(32, 22, 3.5f), Box(32, 38, 3, 9, 1.5f)});
    case 5:   // bass: spectrum bars
        return U({Box(16, 40, 3.5f, 8, 1), Box(25, 34, 3.5f, 14, 1), Box(34, 28, 3.5f, 20, 1), Box(43, 37, 3.5f, 11, 1),
                  Box(52, 43, 3.5f, 5, 1), Seg(11, 50, 57, 50, 1.2f)});
    case 6:   // window options: a window
        return U({Outline(Box(32, 33, 21, 17, 3), 2), Seg(11, 24, 53, 24, 2), Circle(46, 20, 1.8f), Circle(40, 20, 1.8f)});
    case 7: {   // scene options: a star
        std::vector<V2> star;
        for (int i = 0; i < 10; i++) {
            float a = -kPi / 2 + i * kPi / 5, r = (i % 2) ? 9.0f : 21.0f;
            star.push_back({32 + r * std::cos(a), 34 + r * std::sin(a)});
        }
        return Poly(star);
    }
    case 9:   // back: arrow to the left
        return U({Poly({{12, 32}, {28, 18}, {28, 46}}), Box(38, 32, 12, 5, 1.5f)});
    case 10: {   // scene selection: grid of tiles
        SD d = Box(-100, -100, 1, 1);
        for (int i = 0; i < 9; i++) d = U(d, Box(18 + 14 * (i % 3), 18 + 14 * (i / 3), 5, 5, 1.5f));
        return d;
    }
    case 12:   // scene preference: heart
        return U({Circle(24, 26, 9), Circle(40, 26, 9), Poly({{15.6f, 29.5f}, {48.4f, 29.5f}, {32, 48}})});
    case 13:   // fade preference: two overlapping frames
        return U(Outline(Box(26, 27, 12, 12, 2), 2), Box(38, 38, 12, 12, 2));
    case 14:   // gamma strobe: lightning
        return Poly({{36, 10}, {20, 35}, {30, 35}, {26, 54}, {44, 28}, {34, 28}, {40, 10}});
    case 15:   // network: three linked nodes
        return U({Seg(32, 18, 18, 44, 1.8f), Seg(32, 18, 46, 44, 1.8f), Seg(18, 44, 46, 44, 1.8f), Circle(32, 18, 6),
                  Circle(18, 44, 6), Circle(46, 44, 6)});
    default: break;
    }
    if (k >= 24 && k < 48) {
        switch (k - 24) {
        case 0: {   // snake cube: shrinking cubes along a curve
            SD d = Box(-100, -100, 1, 1);
            for (int i = 0; i < 5; i++) {
                float t = i / 4.0f, r = 9 - i * 1.5f;
                d = U(d, Rotated(Box(14 + 36 * t, 44 - 26 * std::sin(t * kPi * 0.8f), r, r, 1), 32, 32, t));
            }
            return d;
        }
        case 1: {   // point morph: dots on a morphing ring
            SD d = Box(-100, -100, 1, 1);
            for (int i = 0; i < 16; i++) {
                float a = i * kPi / 8, r = 17 + 4 * std::cos(4 * a);
                d = U(d, Circle(32 + r * std::cos(a), 32 + r * std::sin(a), 2.6f));
            }
            return d;
        }
        case 2: {   // spark sphere: ball of dots with a tail
            SD d = Box(-100, -100, 1, 1);
            for (int i = 0; i < 12; i++) {
                float a = i * kPi / 6;
                d = U(d, Circle(38 + 10 * std::cos(a), 26 + 10 * std::sin(a), 2.5f));
            }
            return U({d, Seg(30, 34, 12, 50, 1.5f), Seg(34, 37, 22, 54, 1.2f), Seg(26, 31, 10, 40, 1.2f)});
        }
        case 3:   // flying sparks: curved trails with heads
            return U({Arc(10, 60, 40, -1.35f, -0.35f, 1.8f), Circle(47.7f, 46.3f, 4), Arc(60, 64, 44, -2.9f, -1.9f, 1.8f),
                      Circle(45, 22.6f, 4), Arc(30, 70, 30, -2.2f, -1.3f, 1.5f), Circle(38, 41, 3)});
        case 4: {   // visual feedback: rotating nested squares
            SD d = Box(-100, -100, 1, 1);
            for (int i = 0; i < 4; i++) d = U(d, Rotated(Outline(Box(32, 32, 22 - i * 5.5f, 22 - i * 5.5f), 1.4f), 32, 32, i * 0.3f));
            return d;
        }
        case 5: {   // cube field: rows of cubes in perspective
            SD d = Box(-100, -100, 1, 1);
            for (int row = 0; row < 3; row++) {
                float y = 48 - row * 12, sz = 5 - row * 1.2f, gap = 14 - row * 3;
                for (int i = -2; i <= 2; i++) d = U(d, Box(32 + i * gap, y, sz, sz, 0.8f));
            }
            return d;
        }
        case 6:   // cube field 2: a lattice of cubes
            return U({IsoCube(22, 24, 10, 1.4f), IsoCube(42, 24, 10, 1.4f), IsoCube(32, 41, 10, 1.4f)});
        case 7:   // bass cube
            return U(IsoCube(32, 32, 21, 2.2f), Circle(32, 32, 4));
        case 8:   // fractal cube: cubes within cubes
            return U({IsoCube(32, 32, 22, 1.6f), IsoCube(32, 32, 11, 1.4f), IsoCube(32, 32, 4.5f, 1.2f)});
        case 9: {   // point rendering: a dot matrix with a wave of sizes
            SD d = Box(-100, -100, 1, 1);
            for (int y = 0; y < 5; y++)
                for (int x = 0; x < 5; x++) {
                    float r = 1.5f + 2.5f * (0.5f + 0.5f * std::sin(x * 1.1f + y * 0.7f));
                    d = U(d, Circle(14 + x * 9, 14 + y * 9, r));
                }
            return d;
        }
        case 10:   // metaballs: three merged blobs
        case 11: {   // hyper metaballs: more, smaller blobs
            bool hyper = k - 24 == 11;
            std::vector<V2> c = hyper ? std::vector<V2>{{20, 22}, {40, 18}, {46, 38}, {26, 44}, {33, 31}}
                                      : std::vector<V2>{{22, 26}, {42, 24}, {32, 42}};
            float r = hyper ? 7.5f : 11;
            return [=](V2 p) {   // smooth union of the balls
                float sum = 0;
                for (V2 q : c) {
                    float d2 = dot(p - q, p - q);
                    sum += r * r / std::max(d2, 1e-3f);
                }
                return (1 - sum) * r * 0.9f;
            };
        }
        case 12:   // ripples on a torus: tilted ring
            return [](V2 p) {
                float x = (p.x - 32) / 22, y = (p.y - 32) / 11;
                float e = std::sqrt(x * x + y * y) - 1;
                float ripple = 0.12f * std::sin(std::atan2(y, x) * 8);
                return (std::fabs(e - ripple * 0.3f) - 0.2f) * 11;
            };
        case 13:   // down the vortex: a spiral
            return [](V2 p) {
                float x = p.x - 32, y = p.y - 32;
                float r = std::sqrt(x * x + y * y), a = std::atan2(y, x);
                float turns = (r / 6.5f - a / (2 * kPi));
                float d = std::fabs(turns - std::round(turns)) * 6.5f;
                return r > 25 ? 1e3f : d - 1.6f;
            };
        case 14: {   // tunnel: rings closing towards a vanishing point
            SD d = Box(-100, -100, 1, 1);
            for (int i = 0; i < 5; i++) {
                float r = 24 * std::pow(0.62f, static_cast<float>(i));
                d = U(d, Ring(32 + (24 - r) * 0.25f, 32 - (24 - r) * 0.15f, r, 1.5f));
            }
            return d;
        }
        case 15:   // image sphere: globe
            return U({Ring(32, 32, 21, 2), [](V2 p) {
                          float x = (p.x - 32) / 21, y = (p.y - 32) / 21;
                          if (x * x + y * y > 1) return 1e3f;
                          float lon = std::fabs(x / std::sqrt(std::max(1e-4f, 1 - y * y)));
                          float d1 = std::fabs(lon - 0.5f) * 21 * std::sqrt(std::max(1e-4f, 1 - y * y));
                          float d2 = std::min(std::fabs(y), std::fabs(std::fabs(y) - 0.55f)) * 21;
                          return std::min(d1, d2) - 1.2f;
                      }});
        case 16:   // skybox: box with a horizon and a sun
            return U({Outline(Box(32, 32, 21, 21, 2), 2), Seg(11, 38, 53, 38, 1.5f), Arc(32, 38, 10, -kPi, 0, 1.8f)});
        case 17: {   // recurse: nested tilted squares
            SD d = Box(-100, -100, 1, 1);
            for (int i = 0; i < 5; i++) {
                float s = 22 * std::pow(0.72f, static_cast<float>(i));
                d = U(d, Rotated(Outline(Box(32, 32, s, s, 1), 1.3f), 32, 32, i * 0.4f));
            }
            return d;
        }
        case 18: {   // particles: scattered dots
            SD d = Box(-100, -100, 1, 1);
            for (int i = 0; i < 14; i++) {
                uint32_t h = Hash(i * 977 + 5);
                float x = 12 + (h & 0xff) / 255.0f * 40, y = 12 + ((h >> 8) & 0xff) / 255.0f * 40;
                d = U(d, Circle(x, y, 1.5f + ((h >> 16) & 3)));
            }
            return d;
        }
        case 19: {   // plasma ball: globe with filaments
            SD d = U(Ring(32, 32, 21, 1.8f), Circle(32, 32, 4.5f));
            for (int i = 0; i < 5; i++) {
                float a = i * 2 * kPi / 5 + 0.3f;
                float mx = 32 + 11 * std::cos(a + 0.4f), my = 32 + 11 * std::sin(a + 0.4f);
                d = U({d, Seg(32, 32, mx, my, 1.2f), Seg(mx, my, 32 + 19 * std::cos(a), 32 + 19 * std::sin(a), 1.2f)});
            }
            return d;
        }
        case 20:   // texture blitter: a picture
            return U({Outline(Box(32, 32, 21, 17, 2), 2), Poly({{13, 47}, {26, 28}, {35, 40}, {41, 32}, {51, 47}}),
                      Circle(42, 23, 3.5f)});
        case 21:   // texture warper: a bulging grid
            return [](V2 p) {
                float x = (p.x - 32) / 22, y = (p.y - 32) / 22;
                float r = std::sqrt(x * x + y * y);
                if (std::max(std::fabs(x), std::fabs(y)) > 1) return 1e3f;
                float k = 1 + 0.5f * (1 - std::min(r, 1.0f));
                float u = x / k * 3, v = y / k * 3;
                float d = std::min(std::fabs(u - std::round(u)), std::fabs(v - std::round(v))) * 22 / 3 * k;
                return d - 1.1f;
            };
        case 22:   // texture wrapper: four repeated tiles
            return U({Box(21, 21, 9, 9, 2), Outline(Box(43, 21, 9, 9, 2), 1.5f), Outline(Box(21, 43, 9, 9, 2), 1.5f),
                      Box(43, 43, 9, 9, 2)});
        case 23:   // contours: wavy lines
            return [](V2 p) {
                if (p.x < 10 || p.x > 54) return 1e3f;
                float d = 1e9f;
                for (int i = 0; i < 4; i++) {
                    float y = 17 + i * 10 + 4 * std::sin((p.x + i * 7) / 7.0f);
                    d = std::min(d, std::fabs(p.y - y));
                }
                return d - 1.6f;
            };
        }
    }
    if (k >= 48 && k < 58) {
        switch (k - 48) {
        case 0:   // merge: two overlapping discs
            return U(Circle(25, 32, 13), Ring(39, 32, 13, 1.8f));
        case 1:   // horizontal strip
            return U({Box(32, 16, 20, 3.5f), Box(32, 28, 20, 3.5f), Box(32, 40, 20, 3.5f), Box(32, 52, 20, 3.5f)});
        case 2:   // vertical strip
            return U({Box(16, 32, 3.5f, 20), Box(28, 32, 3.5f, 20), Box(40, 32, 3.5f, 20), Box(52, 32, 3.5f, 20)});
        case 3: {   // shrinking squares
            SD d = Box(-100, -100, 1, 1);
            for (int i = 0; i < 9; i++) {
                float s = 2.5f + (i % 3 + i / 3) * 1.3f;
                d = U(d, Box(18 + 14 * (i % 3), 18 + 14 * (i / 3), s, s, 0.8f));
            }
            return d;
        }
        case 4: {   // spinning squares
            SD d = Box(-100, -100, 1, 1);
            for (int i = 0; i < 9; i++)
                d = U(d, Rotated(Box(18 + 14 * (i % 3), 18 + 14 * (i / 3), 5, 5, 0.8f), 18 + 14 * (i % 3),
                                 18 + 14 * (i / 3), i * 0.2f));
            return d;
        }
        case 5:   // spinning cube
            return U({IsoCube(30, 34, 15, 1.8f), Arc(32, 32, 25, -2.6f, -0.9f, 1.8f), Poly({{43, 7}, {49, 15}, {40, 17}})});
        case 6:   // looney tunes: closing iris
            return U(Ring(32, 32, 20, 2.5f), Circle(27, 28, 8));
        case 7:   // ripple out
            return U({Circle(32, 32, 3.5f), Ring(32, 32, 10, 1.5f), Ring(32, 32, 17, 1.5f), Ring(32, 32, 24, 1.5f)});
        case 8: {   // sliced cube
            SD cube = IsoCube(32, 32, 21, 1.8f);
            return [=](V2 p) {
                float band = std::fmod(p.y + 100, 11.0f);
                return (band < 2.5f) ? 1e3f : cube(p);
            };
        }
        case 9:   // distorting image: wavy grid
            return [](V2 p) {
                if (std::max(std::fabs(p.x - 32), std::fabs(p.y - 32)) > 21) return 1e3f;
                float u = (p.x + 3 * std::sin(p.y / 5)) / 10.5f, v = (p.y + 3 * std::sin(p.x / 6)) / 10.5f;
                return std::min(std::fabs(u - std::round(u)), std::fabs(v - std::round(v))) * 10.5f - 1.2f;
            };
        }
    }
    return nullptr;
}

}  // namespace

Canvas MakeIcons()
{
    const float s = 64;
    Canvas c(512, 512, {0, 0, 0, 0});
    for (int k = 0; k < 64; k++) {
        SD pict = Pictogram(k);
        if (!pict) continue;
        float ox = (k % 8) * s, oy = (k / 8) * s;
        Col top, bottom;
        if (k < 24) {
            top = rgb(0.25f, 0.5f, 0.95f);
            bottom = rgb(0.06f, 0.15f, 0.45f);
        } else if (k < 48) {   // scenes: hue wanders across the set
            float h = (k - 24) / 24.0f;
            top = rgb(0.55f + 0.3f * std::cos(2 * kPi * h), 0.25f + 0.15f * std::sin(2 * kPi * h), 0.9f);
            bottom = scale(top, 0.3f);
        } else {
            top = rgb(0.1f, 0.75f, 0.7f);
            bottom = rgb(0.02f, 0.22f, 0.25f);
        }
        SD plate = Box(ox + 32, oy + 32, 29, 29, 10);
        c.Glow(ox, oy, ox + s, oy + s, {0, 0, 0, 0.4f}, 3, plate);
        c.ShapeFn(ox, oy, ox + s, oy + s, [&](V2 p) { return mix(top, bottom, (p.y - oy) / s); }, plate);
        c.ShapeFn(ox, oy, ox + s, oy + s, [&](V2 p) { return Col{1, 1, 1, 0.25f * (1 - (p.y - oy) / 30)}; },
                  [&](V2 p) { return std::max(plate(p) + 2, p.y - (oy + 28)); });   // gloss
        c.Shape(ox, oy, ox + s, oy + s, {1, 1, 1, 0.5f}, Outline(plate, 0.8f));
        SD moved = [=](V2 p) { return pict({p.x - ox, p.y - oy}); };
        c.Shape(ox, oy, ox + s, oy + s, {0, 0, 0, 0.45f}, [=](V2 p) { return moved({p.x - 1.2f, p.y - 1.5f}); });
        c.Shape(ox, oy, ox + s, oy + s, {1, 1, 1, 1}, moved);
    }
    return c;
}

}  // namespace art
