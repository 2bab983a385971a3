// kvFont: text drawn as textured quads from a 16 x 16 glyph atlas.
//
// The caller binds the font texture (8 small, 9 large) and sets colour and
// blending; kvFont only emits quads. Character code c is the glyph in column
// c mod 16, row c div 16 counted from the top of the picture. Characters are
// not interpreted: every byte, blank and control codes included, is a cell.
// Module state (character size, glyph inset) is process-wide.
// Depends on: OpenGL.
#pragma once

#include <cstdint>
#include <string>

extern float CharWidth;    // advance and quad width (0.05)
extern float CharHeight;   // quad height (0.05); negative draws downwards
extern float InsetU;       // trimmed from left and right of a glyph, fraction of the texture
extern float InsetV;       // trimmed from bottom and top

void SetCharSize(float height, float width);
// v and u are fractions of one cell.
void SetInset(float v, float u);

// The four corners of one glyph quad in drawing order.
struct TkvGlyphQuad {
    float x[4], y[4], z;
    float u[4], v[4];
};
TkvGlyphQuad kvGlyphQuad(uint8_t code, float height, float width, float z, float y, float x);

void DrawChar(uint8_t code, float height, float width, float z, float y, float x);
float TextWidth(const std::string& text);
// align 1 centres on x, 2 ends at x, anything else starts at x.
void DrawText(int32_t align, const std::string& text, float z, float y, float x);
