// kvBlend: the blend-type table.
#include "gfx/kvBlend.h"

#include <GL/gl.h>

bool kvBlendByType(int32_t type)
{
    static const GLenum table[kvBlendTypeCount][2] = {
        {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA},
        {GL_SRC_ALPHA, GL_ONE},
        {GL_ONE, GL_ONE_MINUS_SRC_COLOR},
        {GL_ZERO, GL_SRC_COLOR},
        {GL_DST_COLOR, GL_ZERO},
        {GL_ONE_MINUS_DST_COLOR, GL_ONE_MINUS_SRC_COLOR},
    };
    if (type < 0 || type >= kvBlendTypeCount) return false;
    glBlendFunc(table[type][0], table[type][1]);
    return true;
}
