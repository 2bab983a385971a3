// kvRibbon: the trail ribbon.
#include "scenes/kvRibbon.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>

int32_t BuildRibbon(int32_t n, const TkvTrailPoint* points, float halfWidth, TkvRibbonVertex* out)
{
    n = std::min(n, kvTrailCapacity - 1);
    int32_t count = 0;
    for (int32_t a = 1; a <= n - 1; a++) {
        const TkvTrailPoint &prev = points[a - 1], &here = points[a], &next = points[a + 1];
        // The direction between the neighbours, turned by 90 degrees in the screen plane.
        float dx = next.x - prev.x, dy = prev.y - next.y;
        float q = dx * dx + dy * dy;
        for (float side : {1.0f, -1.0f}) {
            if (!(q > 0) || !std::isfinite(q)) continue;
            float k = halfWidth * side / std::sqrt(q);
            TkvRibbonVertex v{here.x + dy * k, here.y + dx * k, here.z, float(a) / n, (side + 1) / 2, a};
            if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) continue;
            out[count++] = v;
        }
    }
    return count;
}

void DrawRibbon(int32_t n, bool useColours, const TkvTrailPoint* points, float halfWidth)
{
    TkvRibbonVertex strip[2 * kvTrailCapacity];
    int32_t count = BuildRibbon(n, points, halfWidth, strip);
    glBegin(GL_QUAD_STRIP);
    for (int32_t i = 0; i < count; i++) {
        const TkvRibbonVertex& v = strip[i];
        if (useColours) glColor4ubv(points[v.point].colour);
        glTexCoord2f(v.s, v.t);
        glVertex3f(v.x, v.y, v.z);
    }
    glEnd();
}
