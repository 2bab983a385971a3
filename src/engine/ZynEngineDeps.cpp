// ZynEngineDeps: maps the engine's registry and texture calls onto their modules.
#include "engine/ZynEngineDeps.h"

#include "app/ZynLog.h"
#include "platform/ZynNumbers.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <vector>

#if ZYN_ENGINE_HAS_CONSTDEF
#include "config/ZynConst.h"

int32_t ZynEngFindConst(const std::string& fullName) { return FindConst(fullName); }
float ZynEngConstAsFloat(int32_t index) { return ConstAsFloat(index); }
int32_t ZynEngConstAsInt(int32_t index) { return ConstAsInt(index); }
void ZynEngConstSetInt(int32_t index, int32_t value) { ConstSetInt(index, value); }
void ZynEngConstSetFloat(int32_t index, float value) { ConstSetFloat(index, value); }

#else
// Stand-in registry with the rows the engine consults, until the constant
// table is part of the build.
int32_t zcSCENE_StartScene = -1;
float zcSCENE_Random = 0.25f;
float zcSCENE_CrossFadeSpeed = 2.0f;
int32_t zcMAIN_MTexX = 2048;
int32_t zcMAIN_MTexY = 2048;
int32_t zcMAIN_CubeMap = 1;
float zcBASE_Time = 0;
float zcBASE_TimePassed = 0.1f;
float zcBASE_Bass = 0;

namespace {
struct StandInRow {
    std::string Section, Name;
    float Value;
    bool IsInt;
    float Min, Max;
};

std::vector<StandInRow>& Rows()
{
    static std::vector<StandInRow> rows = [] {
        std::vector<StandInRow> r;
        const char* pref[] = {"Intro", "Particle", "Tunnel", "GlowTunnel", "Flower", "Spark",
                              "SSphere", "Snake", "Morph", "Meta", "Kessa", "CubeField",
                              "CubeField2", "Cube", "FractCube", "HyperMorph", "Recurse", "Sphere",
                              "Vortex", "Torus", "Point", "SkyBox", "Plasma", "Blit", "Warp", "Wrap",
                              "Contour", "FHStrip", "FVStrip", "FSSquare", "FSSquareS", "FCube",
                              "FCenter", "FRipple", "FMerge", "FSlices", "FDistort"};
        for (const char* p : pref) {
            std::string n = p;
            bool zero = n == "Blit" || n == "Warp" || n == "Wrap" || n == "Contour";
            r.push_back({"PREF", n, zero ? 0.0f : 10.0f, false, 0, 1e30f});
        }
        struct Tex { const char* s; const char* n; float v; };
        const Tex tex[] = {{"SNAKE", "TEX0", 13}, {"MORPH", "TEX0", 15}, {"SSPHERE", "TEX0", 15},
                           {"SPARK", "Tex0", 16}, {"KESSA", "TEX0", 19}, {"CUBEFIELD", "TEX0", 18},
                           {"CUBEFIELD2", "TEX0", 12}, {"CUBE", "TEX0", 20}, {"FRACTCUBE", "TEX0", 14},
                           {"POINT", "TEX0", 15}, {"POINT", "TEX1", 19}, {"META", "TEX0", 12},
                           {"HYPERMORPH", "TEX0", 12}, {"TORUS", "TEX0", 12}, {"VORTEX", "TEX0", 18},
                           {"TUNNEL", "TEX0", 22}, {"SPHERE", "TEX0", 21}, {"SKYBOX", "TEX0", 12},
                           {"RECURSE", "TEX0", 17}, {"PARTICLE", "TEX0", 15}, {"PLASMA", "TEX0", 15},
                           {"PLASMA", "TEX1", 15}, {"BLIT", "TEX0", 19}, {"WARP", "TEX0", 19},
                           {"WRAP", "TEX0", 19}, {"CONTOUR", "TEX0", 23}};
        for (const Tex& t : tex) r.push_back({t.s, t.n, t.v, true, -4, 23});
        const char* faders[] = {"FMERGE", "FHSTRIP", "FVSTRIP", "FSSQUARE", "FSSQUARES",
                                "FCUBE", "FCENTER", "FRIPPLE", "FSLICES", "FDISTORT"};
        for (const char* f : faders) {
            std::string s = f;
            float t = (s == "FSSQUARES" || s == "FCUBE" || s == "FRIPPLE" || s == "FSLICES") ? 2 : 1;
            r.push_back({s, "Time", t, false, 0.1f, 10});
        }
        r.push_back({"FDISTORT", "Double", 1, true, 0, 1});
        return r;
    }();
    return rows;
}
}  // namespace

int32_t ZynEngFindConst(const std::string& fullName)
{
    size_t dot = fullName.find('.');
    if (dot != std::string::npos) {
        std::string sec = ZynUpper(fullName.substr(0, dot)), name = ZynUpper(fullName.substr(dot + 1));
        auto& rows = Rows();
        for (size_t i = 0; i < rows.size(); i++)
            if (rows[i].Section == sec && ZynUpper(rows[i].Name) == name) return static_cast<int32_t>(i);
    }
    ZynLogError("(FindConst) Constant \"" + fullName + "\" Not Found");
    return -1;
}

float ZynEngConstAsFloat(int32_t index)
{
    auto& rows = Rows();
    if (index < 0 || index >= static_cast<int32_t>(rows.size())) return 0;
    return rows[index].Value;
}

int32_t ZynEngConstAsInt(int32_t index) { return ZynRoundToInt32(ZynEngConstAsFloat(index)); }

void ZynEngConstSetInt(int32_t index, int32_t value) { ZynEngConstSetFloat(index, static_cast<float>(value)); }

void ZynEngConstSetFloat(int32_t index, float v)
{
    auto& rows = Rows();
    if (index < 0 || index >= static_cast<int32_t>(rows.size())) return;
    if (rows[index].IsInt) v = static_cast<float>(ZynRoundToInt32(v));
    if (v < rows[index].Min) v = rows[index].Min;
    if (v > rows[index].Max) v = rows[index].Max;
    rows[index].Value = v;
}
#endif

#if __has_include("gfx/ZynTextures.h")
#include "gfx/ZynTextures.h"

tZynTextures* ZynEngCreateTextures() { return new tZynTextures(); }
void ZynEngFreeTextures(tZynTextures* textures) { delete textures; }
void ZynEngBindTexture(tZynTextures* textures, int32_t n)
{
    if (textures) textures->Bind(n);
}
void ZynEngTemporaryResize(tZynTextures* textures, int32_t width, int32_t height)
{
    if (textures) textures->TemporaryResize(width, height);
}

#else
// Stand-in texture manager: no loaded pictures, only the resize bookkeeping.
class tZynTextures {
public:
    uint32_t SpecialStore[4] = {0, 0, 0, 0};
};

tZynTextures* ZynEngCreateTextures() { return new tZynTextures(); }
void ZynEngFreeTextures(tZynTextures* textures)
{
    if (!textures) return;
    for (uint32_t& s : textures->SpecialStore)
        if (s) glDeleteTextures(1, &s);
    delete textures;
}
void ZynEngBindTexture(tZynTextures* textures, int32_t n) {}
void ZynEngTemporaryResize(tZynTextures* textures, int32_t width, int32_t height)
{
    ZynLogLine("TZynTextures:TEMPORARY TEXTURE RESIZE (" + std::to_string(width) + "x" +
               std::to_string(height) + ")");
    if (!textures) return;
    for (uint32_t& s : textures->SpecialStore) {
        if (s) glDeleteTextures(1, &s);
        s = 0;
    }
}
#endif

#if __has_include("gfx/kvTex.h")
#include "gfx/kvTex.h"
#else
// Reflection switches of the graphics library, until it is part of the build.
static void EnableCubeMap()
{
    glEnable(GL_TEXTURE_CUBE_MAP_EXT);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_REFLECTION_MAP_EXT);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_REFLECTION_MAP_EXT);
    glTexGeni(GL_R, GL_TEXTURE_GEN_MODE, GL_REFLECTION_MAP_EXT);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    glEnable(GL_TEXTURE_GEN_R);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_EXT, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_EXT, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}
static void DisableCubeMap()
{
    glDisable(GL_TEXTURE_CUBE_MAP_EXT);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_TEXTURE_GEN_R);
}
static void kvSphereMapOn()
{
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
}
static void kvSphereMapOff()
{
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
}
#endif

void ZynEngBeginEnvMap(tZynTextures* textures)
{
    if (zcMAIN_CubeMap == 1) {
        EnableCubeMap();
    } else {
        ZynEngBindTexture(textures, 12);
        glEnable(GL_TEXTURE_2D);
        kvSphereMapOn();
    }
}

void ZynEngEndEnvMap()
{
    if (zcMAIN_CubeMap == 1) DisableCubeMap();
    else kvSphereMapOff();
}
