// ZynSceneSnakeCube: the snake cube scene.
#include "scenes/ZynSceneSnakeCube.h"

#include "config/ZynConstDef.h"
#include "gfx/kvTex.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>

namespace {
float Finite(float v, float fallback) { return std::isfinite(v) ? v : fallback; }

// An additive contribution below half a colour step changes no pixel.
constexpr float FaintestAlpha = 1.0f / 512;
// Cubes grown or shrunk past these sizes are beyond the far plane or below a pixel.
constexpr float LargestCube = 1e6f, SmallestCube = 1e-4f;

// The cube from (-1, -1, -1) to (1, 1, 1): per face its outward normal and corners.
const float CubeFaces[6][5][3] = {
    {{0, 0, 1}, {-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}},
    {{0, 0, -1}, {1, -1, -1}, {-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}},
    {{1, 0, 0}, {1, -1, 1}, {1, -1, -1}, {1, 1, -1}, {1, 1, 1}},
    {{-1, 0, 0}, {-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}},
    {{0, 1, 0}, {-1, 1, 1}, {1, 1, 1}, {1, 1, -1}, {-1, 1, -1}},
    {{0, -1, 0}, {-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}},
};

void DrawCubeFaces()
{
    static const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    glBegin(GL_QUADS);
    for (const auto& f : CubeFaces) {
        glNormal3fv(f[0]);
        for (int k = 0; k < 4; k++) {
            glTexCoord2fv(uv[k]);
            glVertex3fv(f[k + 1]);
        }
    }
    glEnd();
}

void DrawCubeEdges()
{
    for (const auto& f : CubeFaces) {
        glBegin(GL_LINE_LOOP);
        glNormal3fv(f[0]);
        for (int k = 0; k < 4; k++) glVertex3fv(f[k + 1]);
        glEnd();
    }
}
}  // namespace

void TvisSnakeCube::Init()
{
    TZynScene::Init();
    Name = "SnakeCube";
    Section = "SNAKE";
    // SNAKE.TEX0 exists, but the scene declares no slot for it.
    TextureSlotCount = 0;
    Reset();
}

void TvisSnakeCube::Reset()
{
    TZynScene::Reset();
    float fall = Finite(zcSNAKE_Fall, 0), twist = Finite(zcSNAKE_Twist, 0), dist = Finite(zcSNAKE_DistMove, 0);
    Bend.SetRange(Vec(-fall, -twist, -dist), Vec(fall, twist, dist));
    Spin.SetRange(Vec(180, 180, 180), Vec(-180, -180, -180));
    Cubes = 0;
}

void TvisSnakeCube::DrawSnake(const TSnakeFrame& f, float delay, float bright, bool first)
{
    float size = 1, faces = bright / 2;
    for (int32_t k = 0; k < f.Length; k++) {
        size *= std::fabs(f.Scale);
        faces *= 0.95f;
        bool edges = first && f.LineBright >= FaintestAlpha;
        if (size > LargestCube || size < SmallestCube || (faces < FaintestAlpha && !edges)) return;
        TkvVector w = Bend.ValueAt(Bend.Progress() - delay - float(k) / f.Length);
        glScalef(f.Scale, f.Scale, f.Scale);
        glTranslatef(0, 0, 2.4f * f.Spacing);
        glRotatef(w.x, 1, 0, 0);
        glRotatef(w.y, 0, 0, 1);
        glColor4f(1, 1, 1, faces);
        DrawCubeFaces();
        if (edges) {
            glColor4f(1, 1, 1, f.LineBright);
            DrawCubeEdges();
        }
        Cubes++;
    }
}

void TvisSnakeCube::DrawStar(const TSnakeFrame& f, float delay, float bright, bool first)
{
    glPushMatrix();
    DrawSnake(f, delay, bright, first);
    glPopMatrix();
    glPushMatrix();
    glRotatef(90, 1, 0, 0);
    DrawSnake(f, delay, bright, first);
    glPopMatrix();
    glPushMatrix();
    glRotatef(90, 0, 1, 0);
    DrawSnake(f, delay, bright, first);
    glPopMatrix();
}

void TvisSnakeCube::DrawCopy(const TSnakeFrame& f, float delay, float bright, bool first)
{
    TkvVector w = Bend.ValueAt(Bend.Progress() - delay);
    TkvVector u = Spin.ValueAt(Spin.Progress() - delay);
    glLoadIdentity();
    glTranslatef(0, 0, w.z - Finite(zcSNAKE_Distance, 26));
    glRotatef(u.x, 1, 0, 0);
    glRotatef(u.y, 0, 1, 0);
    glRotatef(u.z, 0, 0, 1);
    DrawStar(f, delay, bright, first);
    // The mirror image gives the snakes along the negative axes.
    glScalef(-1, -1, -1);
    DrawStar(f, delay, bright, first);
}

void TvisSnakeCube::Render(const TVisData& visData, float dt, float alpha)
{
    TZynScene::Render(visData, dt, alpha);
    float bass = Finite(visData.Bass, 0);
    float sizing = Finite(zcSNAKE_BassSizing, 0);
    TSnakeFrame f{};
    f.Length = std::clamp(zcSNAKE_Recurse, 2, MaxCubes);
    f.Spacing = Finite((bass * sizing + 1) / (sizing + 1) * alpha, alpha);
    f.Scale = Finite(zcSNAKE_Scale, 0.9f);
    f.LineBright = Finite(zcSNAKE_LineBright, 0) * alpha;
    int32_t draws = std::clamp(zcSNAKE_Draws, 1, MaxDraws);
    float blur = Finite(zcSNAKE_Blurlength, 0), brightness = Finite(zcSNAKE_Brightness, 1);
    float fog = Finite(zcSNAKE_Fog, 0), distance = Finite(zcSNAKE_Distance, 26);

    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_FOG_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT |
                 GL_TRANSFORM_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDisable(GL_DEPTH_TEST);
    // The cubes shrink along the snake, and reflections need unit normals.
    glEnable(GL_NORMALIZE);
    Bend.Advance(dt * bass * Finite(zcSNAKE_MoveSpeed, 0));
    Spin.Advance(dt * bass * Finite(zcSNAKE_RotSpeed, 0));
    UseTexture(zcSNAKE_TEX0);
    glEnable(GL_TEXTURE_2D);
    kvSphereMapOn();
    if (fog > 0) {
        const float black[4] = {0, 0, 0, 1};
        glEnable(GL_FOG);
        glFogi(GL_FOG_MODE, GL_LINEAR);
        glFogf(GL_FOG_DENSITY, fog);
        glFogfv(GL_FOG_COLOR, black);
        glFogf(GL_FOG_START, distance);
        glFogf(GL_FOG_END, distance + 2.0f * f.Length);
    }
    Cubes = 0;
    for (int32_t i = 0; i < draws; i++) {
        float share = float(draws - i) / draws;
        DrawCopy(f, i * blur / draws, share * share * alpha * brightness / draws, i == 0);
    }
    if (fog > 0) glDisable(GL_FOG);
    kvSphereMapOff();
    glPopAttrib();
}
