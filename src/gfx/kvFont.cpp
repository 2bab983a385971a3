// kvFont: glyph quads from a 16 x 16 font atlas.
#include "gfx/kvFont.h"

#include <GL/gl.h>

float CharWidth = 0.05f;
float CharHeight = 0.05f;
float InsetU = 0.0f;
float InsetV = 0.0f;

void SetCharSize(float height, float width)
{
    CharHeight = height;
    CharWidth = width;
}

void SetInset(float v, float u)
{
    InsetV = v / 16;
    InsetU = u / 16;
}

TkvGlyphQuad kvGlyphQuad(uint8_t code, float height, float width, float z, float y, float x)
{
    const float col = static_cast<float>(code % 16), row = static_cast<float>(code / 16);
    const float uL = col / 16 + InsetU, uR = (col + 1) / 16 - InsetU;
    const float vB = (15 - row) / 16 + InsetV, vT = (16 - row) / 16 - InsetV;
    TkvGlyphQuad q;
    q.z = z;
    q.x[0] = x;         q.y[0] = y;          q.u[0] = uL; q.v[0] = vB;
    q.x[1] = x + width; q.y[1] = y;          q.u[1] = uR; q.v[1] = vB;
    q.x[2] = x + width; q.y[2] = y + height; q.u[2] = uR; q.v[2] = vT;
    q.x[3] = x;         q.y[3] = y + height; q.u[3] = uL; q.v[3] = vT;
    return q;
}

// The quad's four corners, inside a glBegin(GL_QUADS) ... glEnd().
static void EmitGlyph(uint8_t code, float height, float width, float z, float y, float x)
{
    TkvGlyphQuad q = kvGlyphQuad(code, height, width, z, y, x);
    for (int i = 0; i < 4; i++) {
        glTexCoord2f(q.u[i], q.v[i]);
        glVertex3f(q.x[i], q.y[i], q.z);
    }
}

void DrawChar(uint8_t code, float height, float width, float z, float y, float x)
{
    glBegin(GL_QUADS);
    EmitGlyph(code, height, width, z, y, x);
    glEnd();
}

float TextWidth(const std::string& text) { return static_cast<float>(text.size()) * CharWidth; }

void DrawText(int32_t align, const std::string& text, float z, float y, float x)
{
    if (align == 1) x -= TextWidth(text) / 2;
    else if (align == 2) x -= TextWidth(text);
    if (text.empty()) return;
    // One batch for the whole line: the same quads as DrawChar for each character.
    glBegin(GL_QUADS);
    for (unsigned char c : text) {
        // A blank's cell is clear at every mipmap level: its quad would change no pixel.
        if (c != ' ') EmitGlyph(c, CharHeight, CharWidth, z, y, x);
        x += CharWidth;
    }
    glEnd();
}
