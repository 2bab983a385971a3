// Font: the 16 x 16 glyph atlases (FreeType-rendered text plus the interface symbols).
//
// Character code c sits in column c mod 16, row c div 16 from the top. Glyphs
// are white with coverage in alpha and a faint dark rim, so that the caller's
// colour tints them and they stay readable over bright pictures. Glyphs are
// widened horizontally: the program draws a cell about half as wide as high.
// Codes below 32 hold the interface symbols the windows use (player buttons,
// slider pieces, side-bar buttons); code + 16 is the highlighted variant.
#include "Art.h"

#include "FontFace.h"

#include <cstdio>

namespace art {

namespace {

// Interface symbols drawn in a cell of size s at (ox, oy); hover adds a halo.
void UiSymbol(Canvas& c, int code, float ox, float oy, float s, bool hover)
{
    const Col white{1, 1, 1, 1};
    auto P = [&](float x, float y) { return V2{ox + x * s, oy + y * s}; };
    float lw = 0.045f * s;
    std::function<float(V2)> f;
    switch (code) {
    case 0:   // previous: bar + two left triangles
        f = [=](V2 p) {
            float bar = sdBox(p, P(0.22f, 0.5f), {0.035f * s, 0.2f * s}, 0.01f * s);
            float t1 = sdPolygon(p, {P(0.52f, 0.3f), P(0.52f, 0.7f), P(0.27f, 0.5f)});
            float t2 = sdPolygon(p, {P(0.78f, 0.3f), P(0.78f, 0.7f), P(0.53f, 0.5f)});
            return std::min(bar, std::min(t1, t2));
        };
        break;
    case 1:   // play
        f = [=](V2 p) { return sdPolygon(p, {P(0.32f, 0.25f), P(0.76f, 0.5f), P(0.32f, 0.75f)}) - 0.01f * s; };
        break;
    case 2:   // pause
        f = [=](V2 p) {
            return std::min(sdBox(p, P(0.37f, 0.5f), {0.07f * s, 0.22f * s}, 0.02f * s),
                            sdBox(p, P(0.63f, 0.5f), {0.07f * s, 0.22f * s}, 0.02f * s));
        };
        break;
    case 3:   // stop
        f = [=](V2 p) { return sdBox(p, P(0.5f, 0.5f), {0.2f * s, 0.2f * s}, 0.03f * s); };
        break;
    case 4:   // next: two right triangles + bar
        f = [=](V2 p) {
            float bar = sdBox(p, P(0.78f, 0.5f), {0.035f * s, 0.2f * s}, 0.01f * s);
            float t1 = sdPolygon(p, {P(0.22f, 0.3f), P(0.47f, 0.5f), P(0.22f, 0.7f)});
            float t2 = sdPolygon(p, {P(0.48f, 0.3f), P(0.73f, 0.5f), P(0.48f, 0.7f)});
            return std::min(bar, std::min(t1, t2));
        };
        break;
    case 7:   // slider groove, left end
        f = [=](V2 p) { return sdBox(p, P(1.0f, 0.5f), {0.55f * s, 0.09f * s}, 0.09f * s); };
        break;
    case 8:   // slider groove, middle (runs through the whole cell)
        f = [=](V2 p) { return sdBox(p, P(0.5f, 0.5f), {0.6f * s, 0.09f * s}, 0.0f); };
        break;
    case 9:   // slider groove, right end
        f = [=](V2 p) { return sdBox(p, P(0.0f, 0.5f), {0.55f * s, 0.09f * s}, 0.09f * s); };
        break;
    case 10:  // scene options: three sliders
        f = [=](V2 p) {
            float d = 1e9f;
            const float knob[3] = {0.35f, 0.65f, 0.45f};
            for (int i = 0; i < 3; i++) {
                float y = 0.28f + 0.22f * i;
                d = std::min(d, sdSegment(p, P(0.2f, y), P(0.8f, y), lw * 0.7f));
                d = std::min(d, sdCircle(p, P(knob[i], y), 0.075f * s));
            }
            return d;
        };
        break;
    case 11:  // change scene: two chasing arrows
        f = [=](V2 p) {
            float a = sdArc(p, P(0.5f, 0.5f), 0.25f * s, -2.6f, -0.35f, lw);
            float b = sdArc(p, P(0.5f, 0.5f), 0.25f * s, 0.55f, 2.8f, lw);
            float h1 = sdPolygon(p, {P(0.82f, 0.28f), P(0.84f, 0.5f), P(0.64f, 0.42f)});
            float h2 = sdPolygon(p, {P(0.18f, 0.72f), P(0.16f, 0.5f), P(0.36f, 0.58f)});
            return std::min(std::min(a, b), std::min(h1, h2));
        };
        break;
    case 12:  // main options: menu lines
        f = [=](V2 p) {
            float d = 1e9f;
            for (int i = 0; i < 3; i++)
                d = std::min(d, sdSegment(p, P(0.25f, 0.3f + 0.2f * i), P(0.75f, 0.3f + 0.2f * i), lw * 1.2f));
            return d;
        };
        break;
    case 13:  // full screen: four corner brackets
        f = [=](V2 p) {
            float d = 1e9f;
            for (int cx = 0; cx < 2; cx++)
                for (int cy = 0; cy < 2; cy++) {
                    float x = cx ? 0.78f : 0.22f, y = cy ? 0.78f : 0.22f;
                    float dx = cx ? -0.18f : 0.18f, dy = cy ? -0.18f : 0.18f;
                    d = std::min(d, sdSegment(p, P(x, y), P(x + dx, y), lw));
                    d = std::min(d, sdSegment(p, P(x, y), P(x, y + dy), lw));
                }
            return d;
        };
        break;
    case 14:  // exit: power symbol
        f = [=](V2 p) {
            float ring = sdArc(p, P(0.5f, 0.54f), 0.24f * s, -1.1f, 4.24f, lw);
            return std::min(ring, sdSegment(p, P(0.5f, 0.2f), P(0.5f, 0.5f), lw));
        };
        break;
    case 23:  // slider knob
        f = [=](V2 p) { return sdCircle(p, P(0.5f, 0.5f), 0.26f * s); };
        break;
    case 24:  // default marker: a small pointer over a tick
        f = [=](V2 p) {
            float tri = sdPolygon(p, {P(0.32f, 0.14f), P(0.68f, 0.14f), P(0.5f, 0.36f)});
            return std::min(tri, sdSegment(p, P(0.5f, 0.36f), P(0.5f, 0.7f), lw * 0.6f));
        };
        break;
    default:
        return;
    }
    float x0 = ox, y0 = oy, x1 = ox + s, y1 = oy + s;
    if (hover) c.Glow(x0, y0, x1, y1, {0.45f, 0.65f, 1.0f, 0.55f}, 0.05f * s, f);
    // dark rim, then the symbol
    c.Shape(x0, y0, x1, y1, {0, 0, 0, 0.55f}, [&](V2 p) { return f(p) - 0.035f * s; });
    c.Shape(x0, y0, x1, y1, white, f);
    if (code == 23) {   // knob: darker centre dot shows the exact position
        c.Shape(x0, y0, x1, y1, {0.25f, 0.35f, 0.6f, 1}, [=](V2 p) { return sdCircle(p, P(0.5f, 0.5f), 0.09f * s); });
    }
    if (code >= 7 && code <= 9) {   // groove: darker inner channel
        float half = code == 8 ? 0.6f : 0.55f;
        float cx = code == 7 ? 1.0f : (code == 9 ? 0.0f : 0.5f);
        c.Shape(x0, y0, x1, y1, {0.3f, 0.4f, 0.6f, 1},
                [=](V2 p) { return sdBox(p, P(cx, 0.5f), {(half - 0.04f) * s, 0.04f * s}, 0.04f * s); });
    }
}

}  // namespace

bool MakeFont(const std::string& fontFile, int cell, Canvas& out, std::string& error)
{
    FontFace font;
    if (!font.Open(fontFile, error)) return false;
    FT_Face face = font.face;
    const float s = static_cast<float>(cell);
    const int em = static_cast<int>(std::lround(0.62f * s));
    const float widen = 1.65f;
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(em));
    FT_Matrix m{static_cast<FT_Fixed>(widen * 65536), 0, 0, 0x10000};
    FT_Set_Transform(face, &m, nullptr);
    const float baseline = 0.70f * s;   // from the cell top

    out = Canvas(16 * cell, 16 * cell, {1, 1, 1, 0});
    for (int code = 0; code < 256; code++) {
        float ox = static_cast<float>((code % 16) * cell), oy = static_cast<float>((code / 16) * cell);
        if (code < 32) {
            bool hover = (code >= 16 && code <= 20) || (code >= 26 && code <= 30);
            UiSymbol(out, hover ? code - 16 : code, ox, oy, s, hover);
            continue;
        }
        if (code >= 127 && code < 160) continue;
        if (FT_Load_Char(face, static_cast<FT_ULong>(code), FT_LOAD_RENDER)) continue;
        FT_GlyphSlot g = face->glyph;
        float adv = g->advance.x / 64.0f;
        int penX = static_cast<int>(std::lround(ox + (s - adv) / 2));
        int penY = static_cast<int>(std::lround(oy + baseline));
        Canvas glyph(cell, cell, {1, 1, 1, 0});
        for (unsigned r = 0; r < g->bitmap.rows; r++)
            for (unsigned col = 0; col < g->bitmap.width; col++) {
                int x = penX + g->bitmap_left + static_cast<int>(col) - static_cast<int>(ox);
                int y = penY - g->bitmap_top + static_cast<int>(r) - static_cast<int>(oy);
                if (x < 0 || y < 0 || x >= cell || y >= cell) continue;
                float a = g->bitmap.buffer[r * g->bitmap.pitch + col] / 255.0f;
                glyph.At(x, y) = {1, 1, 1, a};
            }
        // Faint dark rim: the glyph's coverage spread by one pixel.
        Canvas rim(cell, cell, {0, 0, 0, 0});
        for (int y = 0; y < cell; y++)
            for (int x = 0; x < cell; x++) {
                float a = 0;
                for (int dy = -1; dy <= 1; dy++)
                    for (int dx = -1; dx <= 1; dx++) {
                        int u = x + dx, v = y + dy;
                        if (u >= 0 && v >= 0 && u < cell && v < cell) a = std::max(a, glyph.At(u, v).a);
                    }
                rim.At(x, y) = {0, 0, 0, a * 0.45f};
            }
        out.Blit(rim, static_cast<int>(ox), static_cast<int>(oy));
        out.Blit(glyph, static_cast<int>(ox), static_cast<int>(oy));
    }
    return true;
}

}  // namespace art
