// kvTexCube: cube-map reflection mapping.
#include "gfx/kvTexCube.h"

#include "platform/ZynNumbers.h"

#include <GL/gl.h>

uint32_t kvCubeFaceTarget(int face) { return GL_TEXTURE_CUBE_MAP_POSITIVE_X + static_cast<uint32_t>(face); }

std::string kvCubeFaceFile(int face) { return "cm_" + std::to_string(face) + ".tga"; }

bool kvExtensionsHaveCubeMap(const std::string& extensions)
{
    return ZynUpper(extensions).find("GL_EXT_TEXTURE_CUBE_MAP") != std::string::npos;
}

bool HasCubeMap() { return kvExtensionsHaveCubeMap(GLString(GL_EXTENSIONS)); }

void EnableCubeMap()
{
    glEnable(GL_TEXTURE_CUBE_MAP);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_REFLECTION_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_REFLECTION_MAP);
    glTexGeni(GL_R, GL_TEXTURE_GEN_MODE, GL_REFLECTION_MAP);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    glEnable(GL_TEXTURE_GEN_R);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

void DisableCubeMap()
{
    glDisable(GL_TEXTURE_CUBE_MAP);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_TEXTURE_GEN_R);
}
