// ZynSceneClass: scene base behaviour, render-to-texture and the frame-buffer copy.
#include "engine/ZynSceneClass.h"

#include "app/ZynLog.h"
#include "config/ZynConst.h"
#include "engine/ZynVis.h"
#include "gfx/ZynTextures.h"
#include "gfx/kvTex.h"

#include <GL/gl.h>
#include <algorithm>
void ZynConstructScene(TZynScene& blank, const TZynSceneClass& cls, TVisObject* owner)
{
    blank.Class = &cls;
    blank.Construct(owner);
}

std::unique_ptr<TZynScene> ZynCreateScene(const TZynSceneClass& cls, TVisObject* owner)
{
    std::unique_ptr<TZynScene> scene(cls.MakeBlank());
    ZynConstructScene(*scene, cls, owner);
    return scene;
}

void CopyToTexture(int32_t w, int32_t h, uint32_t& texStore)
{
    if (texStore == 0) {
        GLuint name = 0;
        glGenTextures(1, &name);
        texStore = name;
        glBindTexture(GL_TEXTURE_2D, texStore);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, w, h, 0);
    } else {
        glBindTexture(GL_TEXTURE_2D, texStore);
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, w, h);
    }
}

void TZynScene::Construct(TVisObject* owner)
{
    Owner = owner;
    Time = 0;
    TextureSlotCount = 0;
    Name = "[DEFAULT]";
    Section = "[DEFAULT]";
    RendersToTexture = false;
    OwnTexture = 0;
    TexWidth = owner ? owner->TextureWidth() : 0;
    TexHeight = owner ? owner->TextureHeight() : 0;
    PresentTexture = true;
    Init();
}

TZynScene::~TZynScene()
{
    ZynLogLine("DESTROY \"" + Name + "\"");
    if (OwnTexture != 0) {
        GLuint t = OwnTexture;
        glDeleteTextures(1, &t);
    }
}

void TZynScene::Init() {}

void TZynScene::CheckTextureSize()
{
    int32_t w = Owner ? Owner->TextureWidth() : 0;
    int32_t h = Owner ? Owner->TextureHeight() : 0;
    if (!RendersToTexture || (w == TexWidth && h == TexHeight)) return;
    ZynLogLine(Section + " Texture size change to " + std::to_string(w) + "x" + std::to_string(h));
    TexWidth = w;
    TexHeight = h;
    if (OwnTexture != 0) {
        GLuint t = OwnTexture;
        glDeleteTextures(1, &t);
        OwnTexture = 0;
    }
}

void TZynScene::Reset()
{
    ZynLogLine("RESETSCENE \"" + Name + "\"");
    if (RendersToTexture) {
        if (OwnTexture != 0) {
            GLuint t = OwnTexture;
            glDeleteTextures(1, &t);
        }
        OwnTexture = 0;
    }
    Time = 0;
}

void TZynScene::Render(const TVisData& visData, float dt, float alpha) { Time += dt; }

void TZynScene::HandlePacket(const uint8_t* packet)
{
    if (!packet || packet[24] != 7) return;
    int32_t slot = static_cast<int32_t>(static_cast<uint32_t>(packet[28]) | static_cast<uint32_t>(packet[29]) << 8 |
                                        static_cast<uint32_t>(packet[30]) << 16 |
                                        static_cast<uint32_t>(packet[31]) << 24);
    if (slot >= 0 && slot < TextureSlotCount) SetTextureSlot(slot, packet[32]);
}

void TZynScene::BindTextureSlot(uint8_t index)
{
    if (index > 23) return;
    if (Owner && Owner->Textures()) Owner->Textures()->BindMain(index);
    glEnable(GL_TEXTURE_2D);
}

void TZynScene::UseTexture(int32_t index)
{
    if (Owner && Owner->Textures()) Owner->Textures()->Bind(index);
}

void TZynScene::BeginEnvMap() { ZynBeginEnvMap(Owner ? Owner->Textures() : nullptr); }

void TZynScene::EndEnvMap() { ZynEndEnvMap(); }

void TZynScene::PresentOwnTexture(float alpha)
{
    if (!PresentTexture) return;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, -1);
    glBindTexture(GL_TEXTURE_2D, OwnTexture);
    glEnable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1, 1, 1, alpha);
    kvDrawScreenQuad();
}

float TZynScene::BeginOwnTexture(int32_t saved[4])
{
    GLint viewport[4] = {0, 0, 1, 1};
    glGetIntegerv(GL_VIEWPORT, viewport);
    for (int i = 0; i < 4; i++) saved[i] = viewport[i];
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glViewport(0, 0, std::max(TexWidth, 1), std::max(TexHeight, 1));
    return viewport[3] > 0 ? float(viewport[2]) / float(viewport[3]) : 1.0f;
}

void TZynScene::EndOwnTexture(const int32_t saved[4], float alpha)
{
    CopyToTexture(std::max(TexWidth, 1), std::max(TexHeight, 1), OwnTexture);
    glViewport(saved[0], saved[1], saved[2], saved[3]);
    PresentOwnTexture(alpha);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

int32_t TZynScene::SlotConstant(int32_t n)
{
    if (n < 0 || n >= TextureSlotCount) return -1;
    return FindConst(Section + ".TEX" + std::to_string(n));
}

int32_t TZynScene::GetTextureSlot(int32_t n)
{
    int32_t row = SlotConstant(n);
    return row < 0 ? 19 : ConstAsInt(row);
}

void TZynScene::SetTextureSlot(int32_t n, uint8_t value)
{
    int32_t row = SlotConstant(n);
    if (row >= 0) ConstSetInt(row, value);
}

uint32_t TZynScene::RenderToTexture(const TVisData& visData, int32_t texW, int32_t texH, float dt,
                                    float alpha, uint32_t& texStore)
{
    if (RendersToTexture) {
        PresentTexture = false;
        try {
            Render(visData, dt, alpha);
        } catch (...) {
            PresentTexture = true;
            throw;
        }
        PresentTexture = true;
        return OwnTexture;
    }
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glViewport(0, 0, texW, texH);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    try {
        Render(visData, dt, alpha);
    } catch (...) {
        // The list restores the matrix stacks; only the viewport is ours to put back.
        glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
        throw;
    }
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    CopyToTexture(texW, texH, texStore);
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    return texStore;
}
