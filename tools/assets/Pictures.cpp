// Pictures: sprites, surfaces, landscape, line ramps, environment maps and lettering.
#include "Art.h"

#include "FontFace.h"

namespace art {

namespace {

struct V3 {
    float x, y, z;
};
V3 norm(V3 v)
{
    float l = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {v.x / l, v.y / l, v.z / l};
}
float dot3(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Col addc(Col a, Col b) { return {a.r + b.r, a.g + b.g, a.b + b.b, 1}; }
float fract(float v) { return v - std::floor(v); }

// Sparse stars on the direction sphere.
float Stars(V3 d, float density, uint32_t seed)
{
    const float k = 40;
    int cx = static_cast<int>(std::floor(d.x * k)), cy = static_cast<int>(std::floor(d.y * k)),
        cz = static_cast<int>(std::floor(d.z * k));
    uint32_t h = Hash(static_cast<uint32_t>(cx) * 73856093u ^ static_cast<uint32_t>(cy) * 19349663u ^
                      static_cast<uint32_t>(cz) * 83492791u ^ seed);
    if ((h & 0xffff) / 65535.0f > density) return 0;
    V3 c{(cx + 0.2f + 0.6f * ((h >> 16) & 0xff) / 255.0f) / k, (cy + 0.2f + 0.6f * ((h >> 24) & 0xff) / 255.0f) / k,
         (cz + 0.5f) / k};
    float dist = std::sqrt((d.x - c.x) * (d.x - c.x) + (d.y - c.y) * (d.y - c.y) + (d.z - c.z) * (d.z - c.z)) * k;
    return std::exp(-dist * dist * 18) * (0.5f + 0.5f * ((h >> 8) & 0xff) / 255.0f);
}

// Night sky over a glowing grid floor, a striped sun low in the -z direction.
using SD = std::function<float(V2)>;
SD Box(float x, float y, float hw, float hh) { return [=](V2 p) { return sdBox(p, {x, y}, {hw, hh}, 0); }; }
SD U3(SD a, SD b, SD d) { return [=](V2 p) { return std::min(a(p), std::min(b(p), d(p))); }; }

Col EnvNight(V3 d)
{
    if (d.y >= 0) {
        float t = std::pow(1 - d.y, 3.0f);
        Col c = mix(rgb(0.04f, 0.02f, 0.16f), rgb(0.85f, 0.25f, 0.55f), t);
        c = addc(c, scale(rgb(1, 0.6f, 0.4f), std::exp(-d.y * 30) * 0.5f));
        V3 sun = norm({-0.25f, 0.18f, 1.0f});   // behind the viewer: the middle of a sphere map
        float a = std::acos(std::min(1.0f, dot3(d, sun)));
        if (a < 0.32f) {
            float v = (d.y - 0.05f) / 0.25f;   // stripes cut into the lower half of the sun
            bool cut = v < 0.5f && fract(v * 7) < 0.35f * (1 - v * 2) + 0.08f;
            Col sc = mix(rgb(1, 0.95f, 0.3f), rgb(1, 0.3f, 0.5f), clamp01(1 - v));
            if (!cut) c = mix(c, sc, smooth(0.32f, 0.30f, a));
        }
        c = addc(c, scale(rgb(1, 0.5f, 0.6f), std::exp(-a * a * 8) * 0.35f));
        float st = Stars(d, 0.18f, 7) * smooth(0.05f, 0.4f, d.y);
        return addc(c, rgb(st, st, st * 1.1f));
    }
    float t = -1 / d.y;   // floor plane y = -1
    float px = d.x * t, pz = d.z * t;
    float gx = std::fabs(fract(px * 0.5f) - 0.5f), gz = std::fabs(fract(pz * 0.5f) - 0.5f);
    float w = 0.02f + 0.01f * t;
    float line = std::max(smooth(w * 2, 0, 0.5f - gx), smooth(w * 2, 0, 0.5f - gz));
    float fade = std::exp(-t * 0.08f);
    Col c = mix(rgb(0.08f, 0.02f, 0.12f), rgb(0.5f, 0.1f, 0.4f), std::pow(1 + d.y, 8.0f));
    return addc(c, scale(rgb(0.2f, 0.9f, 1.0f), line * fade));
}

// A dark studio with coloured soft boxes: smooth metallic highlights.
Col EnvStudio(V3 d)
{
    Col c = mix(rgb(0.02f, 0.06f, 0.05f), rgb(0.1f, 0.25f, 0.22f), clamp01(0.5f + 0.5f * d.y));
    struct Light {
        V3 dir;
        float size;
        Col col;
    } lights[] = {
        {norm({0.2f, 0.9f, 0.3f}), 0.45f, rgb(0.9f, 1.0f, 0.9f)},
        {norm({-0.9f, 0.2f, -0.2f}), 0.3f, rgb(0.2f, 0.9f, 0.5f)},
        {norm({0.8f, 0.1f, -0.5f}), 0.25f, rgb(0.3f, 0.8f, 1.0f)},
        {norm({0.0f, -0.2f, 1.0f}), 0.35f, rgb(0.6f, 1.0f, 0.3f)},
        {norm({-0.3f, 0.4f, -0.9f}), 0.2f, rgb(1.0f, 1.0f, 0.8f)},
    };
    for (auto& l : lights) {
        float a = std::acos(std::min(1.0f, dot3(d, l.dir)));
        c = addc(c, scale(l.col, smooth(l.size, l.size * 0.7f, a) * 1.1f + std::exp(-a * a * 6) * 0.15f));
    }
    // faint horizontal bands for a brushed look
    float band = 0.5f + 0.5f * std::sin(d.y * 40);
    return addc(c, scale(rgb(0.1f, 0.2f, 0.15f), band * 0.25f));
}

// A warm sunset over the sea with drifting clouds.
Col EnvSunset(V3 d)
{
    V3 sun = norm({0.3f, 0.1f, 1.0f});
    if (d.y >= 0) {
        float t = std::pow(1 - d.y, 2.5f);
        Col c = mix(rgb(0.25f, 0.05f, 0.15f), rgb(1.0f, 0.55f, 0.15f), t);
        float a = std::acos(std::min(1.0f, dot3(d, sun)));
        c = addc(c, scale(rgb(1, 0.8f, 0.4f), std::exp(-a * a * 12) * 0.8f));
        c = mix(c, rgb(1, 0.95f, 0.75f), smooth(0.12f, 0.1f, a));
        float ct = 1 / std::max(d.y, 0.05f);
        float n = Fbm(d.x * ct * 0.6f + 50, d.z * ct * 0.6f + 50, 1 << 20, 4, 11);
        float cloud = smooth(0.5f, 0.75f, n) * smooth(0.0f, 0.15f, d.y);
        Col cc = mix(rgb(0.5f, 0.15f, 0.2f), rgb(1.0f, 0.7f, 0.4f), std::exp(-a * 2));
        return mix(c, cc, cloud * 0.8f);
    }
    V3 r{d.x, -d.y, d.z};
    Col sky = EnvSunset(r);
    float glitter = std::exp(-std::pow((d.x / std::max(d.z, 0.05f) - sun.x / sun.z) * 3, 2.0f)) * smooth(0.0f, 0.3f, d.z) *
                    smooth(0.6f, 0.9f, ValueNoise(d.x * 80, d.z * 20 / std::max(-d.y, 0.02f), 1 << 20, 5));
    Col sea = mix(rgb(0.15f, 0.04f, 0.08f), scale(sky, 0.6f), std::pow(1 + d.y, 6.0f));
    return addc(sea, scale(rgb(1, 0.8f, 0.5f), glitter));
}

Col Env(int which, V3 d)
{
    switch (which) {
    case 1: return EnvStudio(d);
    case 2: return EnvSunset(d);
    default: return EnvNight(d);
    }
}

}  // namespace

Canvas MakeSphereMap(int which)
{
    const int n = 256;
    Canvas c(n, n);
    c.Paint([&](V2 p) {
        float nx = 2 * p.x / n - 1, ny = 1 - 2 * p.y / n;   // t grows upwards
        float r2 = nx * nx + ny * ny;
        if (r2 > 0.999f) {
            float k = std::sqrt(0.999f / r2);
            nx *= k;
            ny *= k;
            r2 = 0.999f;
        }
        float nz = std::sqrt(1 - r2);
        V3 r{2 * nz * nx, 2 * nz * ny, 2 * nz * nz - 1};
        Col col = Env(which, norm(r));
        col.a = 1;
        return col;
    });
    return c;
}

Canvas MakeCubeFace(int face)
{
    const int n = 256;
    Canvas c(n, n);
    c.Paint([&](V2 p) {
        float sc = 2 * p.x / n - 1;
        float tc = 1 - 2 * p.y / n;   // first stored row is t = 0
        V3 d;
        switch (face) {
        case 0: d = {1, -tc, -sc}; break;
        case 1: d = {-1, -tc, sc}; break;
        case 2: d = {sc, 1, tc}; break;
        case 3: d = {sc, -1, -tc}; break;
        case 4: d = {sc, -tc, 1}; break;
        default: d = {-sc, -tc, -1}; break;
        }
        Col col = EnvNight(norm(d));
        col.a = 1;
        return col;
    });
    return c;
}

Canvas MakeParticle()
{
    const int n = 128;
    Canvas c(n, n);
    c.Paint([&](V2 p) {
        float dx = (p.x - n / 2.0f) / (n / 2.0f), dy = (p.y - n / 2.0f) / (n / 2.0f);
        float r2 = dx * dx + dy * dy;
        float v = std::exp(-r2 * 5.5f) * 0.85f + std::exp(-r2 * 40) * 0.15f;
        v *= smooth(1.0f, 0.85f, std::sqrt(r2));   // exactly 0 at the border
        return rgb(v, v, v, v);
    });
    return c;
}

Canvas MakeTrail()
{
    const int w = 256, h = 64;
    Canvas c(w, h);
    c.Paint([&](V2 p) {
        float u = p.x / w, v = (p.y / h - 0.5f) * 2;
        float along = std::pow(1 - u, 1.6f) * smooth(0.0f, 0.04f, u);
        float across = std::exp(-v * v * 5);
        float core = std::exp(-v * v * 40) * std::pow(1 - u, 3.0f);
        float k = along * across;
        Col col = mix(rgb(0.35f, 0.45f, 1.0f), rgb(1.0f, 0.75f, 0.45f), std::pow(1 - u, 2.0f));
        col = addc(scale(col, k), rgb(core, core, core));
        col.a = clamp01(k + core);
        return col;
    });
    return c;
}

Canvas MakeSpark()
{
    const int n = 128;
    Canvas c(n, n);
    c.Paint([&](V2 p) {
        float dx = (p.x - n / 2.0f) / (n / 2.0f), dy = (p.y - n / 2.0f) / (n / 2.0f);
        float r = std::sqrt(dx * dx + dy * dy);
        float glow = std::exp(-r * r * 9) * 0.6f + std::exp(-r * r * 90);
        float rays = std::exp(-dx * dx * 600) * std::exp(-std::fabs(dy) * 3.2f) +
                     std::exp(-dy * dy * 600) * std::exp(-std::fabs(dx) * 3.2f);
        float u = (dx + dy) * 0.7071f, w = (dx - dy) * 0.7071f;
        rays += 0.5f * (std::exp(-u * u * 900) * std::exp(-std::fabs(w) * 6) +
                        std::exp(-w * w * 900) * std::exp(-std::fabs(u) * 6));
        float v = clamp01(glow + rays) * smooth(1.0f, 0.9f, std::max(std::fabs(dx), std::fabs(dy)));
        Col col = mix(rgb(0.5f, 0.7f, 1.0f), rgb(1, 1, 1), clamp01(glow * 1.4f));
        return Col{col.r * v, col.g * v, col.b * v, v};
    });
    return c;
}

Canvas MakeBlur()
{
    const int n = 128;
    Canvas c(n, n);
    c.Paint([&](V2 p) {
        float dx = std::fabs(p.x / n - 0.5f) * 2, dy = std::fabs(p.y / n - 0.5f) * 2;
        float edge = 1 - std::max(dx, dy);   // 0 at the border, 1 in the middle
        float rim = std::exp(-std::pow((edge - 0.07f) / 0.06f, 2.0f));
        float haze = std::exp(-edge * 4) * 0.45f + 0.06f;
        float v = clamp01(rim + haze);
        Col col = mix(rgb(0.3f, 0.5f, 1.0f), rgb(0.9f, 0.95f, 1.0f), rim);
        return Col{col.r * v, col.g * v, col.b * v, v};
    });
    return c;
}

Canvas MakeCubeSide()
{
    const int n = 256;
    const float m = n / 2.0f;
    Canvas c(n, n);
    c.Paint([&](V2 p) {
        float g = Fbm(p.x / 32, p.y / 32, 8, 4, 21);
        float dx = std::fabs(p.x - m), dy = std::fabs(p.y - m);
        float r = std::sqrt(dx * dx + dy * dy) / m;
        Col col = mix(rgb(0.03f, 0.05f, 0.12f), rgb(0.1f, 0.12f, 0.3f), g * (1 - r * 0.5f));
        return col;
    });
    const Col cyan{0.3f, 0.85f, 1.0f, 1};
    auto frame = [&](V2 p) { return std::fabs(sdBox(p, {m, m}, {m - 12, m - 12}, 18)) - 3; };
    c.Glow(0, 0, n, n, scale(cyan, 0.7f), 10, frame);
    c.Shape(0, 0, n, n, rgb(0.8f, 0.97f, 1.0f), frame);
    auto inner = [&](V2 p) { return std::fabs(sdBox(p, {m, m}, {m - 44, m - 44}, 10)) - 1.2f; };
    c.Shape(0, 0, n, n, scale(cyan, 0.7f), inner);
    for (int i = 0; i < 4; i++) {   // circuit traces from the edges to the centre ring
        float a = i * kPi / 2 + 0.4f;
        V2 d{std::cos(a), std::sin(a)};
        V2 q0{m + d.x * 42, m + d.y * 42}, q1{m + d.x * 84, m + d.y * 84};
        c.Shape(0, 0, n, n, scale(cyan, 0.8f), [&](V2 p) { return sdSegment(p, q0, q1, 1.5f); });
        c.Shape(0, 0, n, n, rgb(0.9f, 1, 1), [&](V2 p) { return sdCircle(p, q1, 4); });
    }
    auto ring = [&](V2 p) { return sdRing(p, {m, m}, 40, 3); };
    c.Glow(0, 0, n, n, scale(rgb(1, 0.4f, 0.8f), 0.8f), 8, ring);
    c.Shape(0, 0, n, n, rgb(1, 0.75f, 0.95f), ring);
    c.Shape(0, 0, n, n, rgb(1, 0.6f, 0.9f), [&](V2 p) {
        return sdPolygon(p, {{m, m - 22}, {m + 19, m + 12}, {m - 19, m + 12}});
    });
    return c;
}

Canvas MakeOutdoor()
{
    const int n = 256;
    const float horizon = 0.62f * n;
    auto ridge = [&](float x, int layer) {   // height above the horizon in pixels, tiles horizontally
        float f = Fbm(x / n * 3 + layer * 3.7f, layer * 1.3f, 3, 4, 31 + layer);
        const float base[] = {115, 75, 38};
        float peak = std::pow(clamp01((f - 0.25f) * 1.8f), 1.6f);
        return base[layer] * (0.15f + peak) + (layer == 0 ? 12 * std::sin(x / n * 2 * kPi) : 0);
    };
    auto scene = [&](float x, float y) -> Col {   // everything above the waterline
        float t = clamp01(y / horizon);
        Col c = mix(rgb(0.12f, 0.3f, 0.65f), rgb(0.95f, 0.75f, 0.55f), std::pow(t, 2.2f));
        V2 sun{0.72f * n, 0.18f * n};
        float sd = len(V2{x, y} - sun);
        c = addc(c, scale(rgb(1, 0.8f, 0.5f), std::exp(-sd * sd / 900) * 0.7f));
        if (sd < 13) c = mix(c, rgb(1, 0.97f, 0.85f), smooth(13, 11, sd));
        float cl = Fbm(x / 32, y / 14, n / 32, 4, 5);
        c = mix(c, rgb(1, 0.95f, 0.92f), smooth(0.55f, 0.8f, cl) * (1 - t) * 0.8f);
        const Col hills[3] = {rgb(0.42f, 0.45f, 0.62f), rgb(0.25f, 0.35f, 0.42f), rgb(0.1f, 0.22f, 0.15f)};
        for (int l = 0; l < 3; l++) {
            float top = horizon - ridge(x, l);
            if (y < top) continue;
            float slope = ridge(x + 1.5f, l) - ridge(x - 1.5f, l);   // rising to the right: lit from the right
            float below = y - top;
            float rock = Fbm(x / 8 + l * 5, y / 6, n / 8, 4, 41 + l);
            float light = clamp01(0.5f + slope * 0.1f * std::exp(-below / 18) + (rock - 0.5f) * 0.9f);
            Col h = scale(hills[l], 0.7f + 0.6f * light);
            float alt = horizon - y;
            if (l == 0) h = mix(h, scale(rgb(0.95f, 0.95f, 1.0f), 0.75f + 0.3f * light), smooth(0.8f, 0.95f, alt / 100 + rock * 0.4f));
            c = mix(h, rgb(0.75f, 0.72f, 0.8f), (2 - l) * 0.12f * (1 - clamp01((y - top) / 60)));
        }
        return c;
    };
    Canvas c(n, n);
    c.Paint([&](V2 p) {
        if (p.y < horizon) {
            Col col = scene(p.x, p.y);
            col.a = 1;
            return col;
        }
        float depth = p.y - horizon;   // mirror image with ripples
        float wob = 2.5f * std::sin(p.y * 0.9f + 3 * ValueNoise(p.x / 16, p.y / 3, n / 16, 9)) * depth / n;
        Col col = scene(p.x + wob, horizon - depth - 1);
        col = mix(col, rgb(0.05f, 0.15f, 0.25f), 0.35f + 0.3f * depth / (n - horizon));
        col.a = 1;
        return col;
    });
    return c;
}

Canvas MakeTunnel()
{
    const int n = 256;
    const int cols = 4, rows = 8;
    const float pw = n / static_cast<float>(cols), ph = n / static_cast<float>(rows);
    Canvas c(n, n);
    c.Paint([&](V2 p) {
        int row = static_cast<int>(p.y / ph);
        float x = p.x + ((row & 1) ? pw / 2 : 0);
        float lx = std::fmod(x, pw), ly = std::fmod(p.y, ph);
        float ex = std::min(lx, pw - lx), ey = std::min(ly, ph - ly);
        float seam = std::min(ex, ey);
        float metal = Fbm(p.x / 16, p.y / 16, 16, 5, 77);
        float streak = ValueNoise2(p.x / 2, p.y / 32, 128, 8, 3);
        Col base = mix(rgb(0.18f, 0.2f, 0.28f), rgb(0.42f, 0.45f, 0.55f), metal * 0.8f + streak * 0.2f);
        // bevel: lit from the top left
        float bevel = 0;
        if (seam < 5) bevel = (ly < 5 || lx < 5) ? 0.25f : -0.25f;
        base = addc(base, rgb(bevel, bevel, bevel));
        float glow = std::exp(-seam * seam / 6.0f);
        Col g = mix(rgb(0.1f, 0.7f, 1.0f), rgb(1.0f, 0.3f, 0.9f), 0.5f + 0.5f * std::sin(p.y / n * 2 * kPi));
        Col col = mix(base, g, glow);
        // rivets near the panel corners
        float rx = std::min(std::fabs(lx - 9), std::fabs(lx - (pw - 9)));
        float ry = std::min(std::fabs(ly - 8), std::fabs(ly - (ph - 8)));
        float rv = std::sqrt(rx * rx + ry * ry);
        if (rv < 2.5f) col = mix(col, rgb(0.8f, 0.85f, 0.9f), smooth(2.5f, 1.5f, rv));
        col.a = 1;
        return col;
    });
    return c;
}

Canvas MakeLines()
{
    const int n = 256, bands = 16;
    const float bh = n / static_cast<float>(bands);
    Canvas c(n, n);
    c.Paint([&](V2 p) {
        // band k counted from the bottom (texture row t grows upwards)
        float fromBottom = n - p.y;
        int k = std::min(bands - 1, static_cast<int>(fromBottom / bh));
        float u = p.x / n;
        const int perRepeat[4] = {3, 5, 2, 4};
        int lines = perRepeat[k % 4];
        float hue = u + k * 0.13f;
        Col rainbow{0.5f + 0.5f * std::cos(2 * kPi * hue), 0.5f + 0.5f * std::cos(2 * kPi * (hue - 0.333f)),
                    0.5f + 0.5f * std::cos(2 * kPi * (hue - 0.667f)), 1};
        float d = std::fabs(fract(u * lines) - 0.5f) * 2;   // 1 at a line, 0 between
        float width = 0.04f + 0.02f * (k / 4);
        float line = smooth(1 - width * 2, 1 - width * 0.5f, d);
        float dark = 0.12f + 0.25f * (k % 2) * (0.5f + 0.5f * std::sin(2 * kPi * u));
        Col col = mix(scale(rainbow, dark), rgb(1, 1, 1), line);
        if (k >= 8) col = mix(scale(rainbow, 0.2f + 0.8f * d * d), rgb(1, 1, 1), line * 0.8f);   // glowing ramps
        col.a = 1;
        return col;
    });
    return c;
}

Canvas MakeChecker()
{
    const int n = 64;
    Canvas c(n, n);
    c.Paint([&](V2 p) {
        bool odd = (static_cast<int>(p.x) / 8 + static_cast<int>(p.y) / 8) % 2;
        Col col = odd ? rgb(0.9f, 0.9f, 0.95f) : rgb(0.2f, 0.25f, 0.4f);
        return col;
    });
    // an "F" in the top-left quarter shows which way is up and which is left
    c.Shape(0, 0, 32, 32, rgb(1, 0.3f, 0.2f), U3(Box(10, 16, 2.5f, 11), Box(17, 7.5f, 9, 2.5f), Box(15, 16, 6, 2.2f)));
    return c;
}

Canvas MakeRings()
{
    const int n = 128;
    Canvas c(n, n);
    c.Paint([&](V2 p) {
        float r = len(p - V2{n / 2.0f, n / 2.0f}) / (n / 2.0f);
        float h = r * 3;
        Col col{0.5f + 0.5f * std::cos(2 * kPi * h), 0.5f + 0.5f * std::cos(2 * kPi * (h - 0.333f)),
                0.5f + 0.5f * std::cos(2 * kPi * (h - 0.667f)), 1};
        float band = 0.6f + 0.4f * std::cos(r * 40);
        return scale(col, band * smooth(1.05f, 0.9f, r) + 0.05f);
    });
    return c;
}

bool DrawText(Canvas& c, const std::string& fontFile, const std::string& text, float pixelSize, float cx,
              float baseline, Col colour, std::string& error)
{
    FontFace font;
    if (!font.Open(fontFile, error)) return false;
    FT_Face face = font.face;
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize));
    float width = 0;
    for (char ch : text)
        if (!FT_Load_Char(face, static_cast<unsigned char>(ch), FT_LOAD_DEFAULT)) width += face->glyph->advance.x / 64.0f;
    float pen = cx - width / 2;
    for (char ch : text) {
        if (FT_Load_Char(face, static_cast<unsigned char>(ch), FT_LOAD_RENDER)) continue;
        FT_GlyphSlot g = face->glyph;
        for (unsigned r = 0; r < g->bitmap.rows; r++)
            for (unsigned col = 0; col < g->bitmap.width; col++) {
                int x = static_cast<int>(std::lround(pen)) + g->bitmap_left + static_cast<int>(col);
                int y = static_cast<int>(std::lround(baseline)) - g->bitmap_top + static_cast<int>(r);
                c.Over(x, y, colour, g->bitmap.buffer[r * g->bitmap.pitch + col] / 255.0f);
            }
        pen += g->advance.x / 64.0f;
    }
    return true;
}

// Spreads the alpha of src into a soft halo of the given colour.
static Canvas Halo(const Canvas& src, Col colour, int radius)
{
    Canvas out(src.W(), src.H(), {colour.r, colour.g, colour.b, 0});
    std::vector<float> tmp(static_cast<size_t>(src.W()) * src.H());
    for (int y = 0; y < src.H(); y++)   // horizontal then vertical box blur, twice each
        for (int x = 0; x < src.W(); x++) {
            float s = 0;
            for (int d = -radius; d <= radius; d++) {
                int u = std::clamp(x + d, 0, src.W() - 1);
                s += src.At(u, y).a;
            }
            tmp[static_cast<size_t>(y) * src.W() + x] = s / (2 * radius + 1);
        }
    for (int y = 0; y < src.H(); y++)
        for (int x = 0; x < src.W(); x++) {
            float s = 0;
            for (int d = -radius; d <= radius; d++) {
                int v = std::clamp(y + d, 0, src.H() - 1);
                s += tmp[static_cast<size_t>(v) * src.W() + x];
            }
            out.At(x, y).a = clamp01(s / (2 * radius + 1) * 1.8f) * colour.a;
        }
    return out;
}

bool MakeZy(const std::string& boldFont, Canvas& out, std::string& error)
{
    const int n = 256;
    out = Canvas(n, n);
    out.Paint([&](V2 p) {
        float a = Fbm(p.x / 64, p.y / 64, 4, 5, 3), b = Fbm(p.x / 32 + 7, p.y / 32, 8, 4, 4);
        Col col = mix(rgb(0.03f, 0.02f, 0.12f), rgb(0.35f, 0.08f, 0.45f), smooth(0.35f, 0.8f, a));
        col = mix(col, rgb(0.05f, 0.45f, 0.6f), smooth(0.55f, 0.85f, b) * 0.7f);
        uint32_t h = Hash(static_cast<uint32_t>(p.x) * 131 + static_cast<uint32_t>(p.y) * 7919);
        if ((h & 0x3ff) < 3) col = addc(col, rgb(0.8f, 0.8f, 0.9f));
        col.a = 1;
        return col;
    });
    // a glowing waveform under the word
    auto wave = [&](V2 p) {
        float x = p.x / n;
        float y = 0.74f * n + 14 * std::sin(x * 2 * kPi * 3) * std::sin(x * kPi) + 5 * std::sin(x * 2 * kPi * 11);
        return std::fabs(p.y - y) - 1.5f;
    };
    out.Glow(0, 0, n, n, rgb(0.2f, 0.8f, 1.0f, 1), 6, wave);
    out.Shape(0, 0, n, n, rgb(0.85f, 1, 1), wave);
    Canvas word(n, n, {1, 1, 1, 0});
    if (!DrawText(word, boldFont, "Zyn", 104, n / 2.0f, 0.56f * n, rgb(1, 1, 1), error)) return false;
    Canvas halo = Halo(word, rgb(1.0f, 0.35f, 0.85f, 1), 6);
    out.Blit(halo, 0, 0);
    // the letters themselves: a vertical gold-to-white gradient
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++) {
            float a = word.At(x, y).a;
            if (a > 0) out.Over(x, y, mix(rgb(1, 1, 0.9f), rgb(1, 0.65f, 0.2f), clamp01((y - 0.3f * n) / (0.28f * n))), a);
        }
    return true;
}

bool MakeLogo(const std::string& boldFont, Canvas& out, std::string& error)
{
    const int w = 256, h = 128;
    Canvas word(w, h, {1, 1, 1, 0});
    if (!DrawText(word, boldFont, "Zyn", 92, w / 2.0f, 0.75f * h, rgb(1, 1, 1), error)) return false;
    out = Halo(word, rgb(0.3f, 0.7f, 1.0f, 0.8f), 5);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            float a = word.At(x, y).a;
            if (a > 0) out.Over(x, y, mix(rgb(1, 1, 1), rgb(0.55f, 0.85f, 1.0f), static_cast<float>(y) / h), a);
        }
    return true;
}

bool MakeAppIcon(const std::string& boldFont, int size, Canvas& out, std::string& error)
{
    const float n = static_cast<float>(size), c = n / 2;
    const float margin = n / 16, corner = n * 0.2f;
    auto tile = [&](V2 p) { return sdBox(p, {c, c}, {c - margin, c - margin}, corner); };
    out = Canvas(size, size);
    out.ShapeFn(0, 0, n, n, [&](V2 p) {
        float r = len(p - V2{c, c}) / c;
        return mix(rgb(0.22f, 0.1f, 0.42f), rgb(0.02f, 0.02f, 0.1f), clamp01(r));
    }, tile);
    // Tunnel rings shrinking towards the centre; the finest are left out on small icons.
    const int rings = size >= 48 ? 5 : 3;
    for (int i = 0; i < rings; i++) {
        float r = (c - margin) * (0.9f - 0.16f * i), w = std::max(0.5f, n / 64 * (1 - 0.12f * i));
        Col col = mix(rgb(0.3f, 0.8f, 1.0f), rgb(0.9f, 0.4f, 1.0f), static_cast<float>(i) / rings);
        out.Shape(0, 0, n, n, scale(col, 0.8f - 0.1f * i), [&](V2 p) {
            return std::max(sdRing(p, {c, c}, r, w), tile(p));
        });
    }
    Canvas letter(size, size, {1, 1, 1, 0});
    const float px = n * 0.78f;
    if (!DrawText(letter, boldFont, "Z", px, c, c + 0.36f * px, rgb(1, 1, 1), error)) return false;
    out.Blit(Halo(letter, rgb(0.3f, 0.7f, 1.0f, 0.9f), std::max(1, size / 40)), 0, 0);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            float a = letter.At(x, y).a;
            if (a > 0) out.Over(x, y, mix(rgb(1, 1, 1), rgb(0.55f, 0.85f, 1.0f), y / n), a);
        }
    return true;
}

}  // namespace art
