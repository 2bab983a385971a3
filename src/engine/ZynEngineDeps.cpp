// ZynEngineDeps: maps the engine's registry and texture calls onto their modules.
#include "engine/ZynEngineDeps.h"

#include "app/ZynLog.h"

#include <GL/gl.h>
#include <GL/glext.h>


#include "config/ZynConst.h"

int32_t ZynEngFindConst(const std::string& fullName) { return FindConst(fullName); }
float ZynEngConstAsFloat(int32_t index) { return ConstAsFloat(index); }
int32_t ZynEngConstAsInt(int32_t index) { return ConstAsInt(index); }
void ZynEngConstSetInt(int32_t index, int32_t value) { ConstSetInt(index, value); }
void ZynEngConstSetFloat(int32_t index, float value) { ConstSetFloat(index, value); }

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

#if __has_include("gfx/kvTex.h") && __has_include("gfx/kvTexCube.h")
#include "gfx/kvTex.h"
#include "gfx/kvTexCube.h"
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
