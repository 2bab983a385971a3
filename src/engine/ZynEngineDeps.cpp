// ZynEngineDeps: maps the engine's registry and texture calls onto their modules.
#include "engine/ZynEngineDeps.h"

#include "config/ZynConst.h"
#include "gfx/ZynTextures.h"
#include "gfx/kvTex.h"
#include "gfx/kvTexCube.h"

#include <GL/gl.h>

int32_t ZynEngFindConst(const std::string& fullName) { return FindConst(fullName); }
float ZynEngConstAsFloat(int32_t index) { return ConstAsFloat(index); }
int32_t ZynEngConstAsInt(int32_t index) { return ConstAsInt(index); }
void ZynEngConstSetInt(int32_t index, int32_t value) { ConstSetInt(index, value); }
void ZynEngConstSetFloat(int32_t index, float value) { ConstSetFloat(index, value); }

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
