// ZynSceneFractCube: the fractal cube scene.
#include "scenes/ZynSceneFractCube.h"

#include "config/ZynConstDef.h"
#include "gfx/kvTex.h"
#include "scenes/ZynSceneCube.h"
#include "scenes/ZynSceneNumbers.h"
#include "scenes/kvGeometry.h"

#include <GL/gl.h>
#include <algorithm>

int32_t TvisFractCube::BlockCount() { return std::clamp(zcFRACTCUBE_blocks, 2, 24); }

TvisFractCube::~TvisFractCube() { delete Kick; }

void TvisFractCube::Init()
{
    TZynScene::Init();
    Name = "Fractal Cube";
    Section = "FRACTCUBE";
    TextureSlotCount = 1;
    RendersToTexture = true;
    Kick = new TZynKick();
    Reset();
}

void TvisFractCube::Reset()
{
    TZynScene::Reset();
    Kick->Reset();
}

void TvisFractCube::DrawLattice(const TVisData& visData, float dt, float fade)
{
    float bass = ZynFiniteOr(visData.Bass, 0);
    int32_t blocks = BlockCount();
    UseTexture(zcFRACTCUBE_TEX0);
    glTranslatef(0, 0, ZynFiniteOr(zcFRACTCUBE_ZoomBass, 0) * bass - ZynFiniteOr(zcFRACTCUBE_Dist, 9.1f));
    float grow = (bass + 3) / 4;
    glScalef(grow, grow, grow);
    Kick->Update(visData, dt);
    Kick->Use();
    glColor4f(1, 1, 1, (1 - fade) * ZynFiniteOr(zcFRACTCUBE_Brightness, 0.8f));
    kvSphereMapOn();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glTranslatef(-4, -4, -4);
    glScalef(2.0f / blocks, 2.0f / blocks, 2.0f / blocks);
    glTranslatef(1.5f, 1.5f, 1.5f);
    for (int32_t i = 0; i < blocks; i++)
        for (int32_t j = 0; j < blocks; j++)
            for (int32_t k = 0; k < blocks; k++) ::DrawCube(Vec(4.0f * i, 4.0f * j, 4.0f * k));
    kvSphereMapOff();
}

void TvisFractCube::Render(const TVisData& visData, float dt, float alpha)
{
    TZynScene::Render(visData, dt, alpha);
    TZynFeedbackFrame frame;
    if (frame.Begin(*this, dt, zcFRACTCUBE_HalfLife, 30)) DrawLattice(visData, dt, frame.Fade);
    frame.End(*this, alpha);
}
