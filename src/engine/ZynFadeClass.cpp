// ZynFadeClass: fader base behaviour.
#include "engine/ZynFadeClass.h"

#include "app/ZynLog.h"
#include "engine/ZynVis.h"
#include "gfx/ZynTextures.h"

#include <GL/gl.h>

std::unique_ptr<TZynFader> ZynCreateFader(const TZynFaderClass& cls, TVisObject* owner)
{
    std::unique_ptr<TZynFader> fader(cls.MakeBlank());
    fader->Class = &cls;
    fader->Create(owner);
    return fader;
}

void ZynAdoptFaderClass(TZynFader& fader, const TZynFaderClass& cls) { fader.Class = &cls; }

void TZynFader::Create(TVisObject* owner)
{
    Owner = owner;
    Time = 0;
    Section = "DEFAULT";
    Name = "[Unknown]";
    NeedsNewTexture = false;
    NeedsOldTexture = false;
    SceneAlpha = 1.0f;
}

void TZynFader::Reset()
{
    ZynLogLine("RESETFADER \"" + Name + "\"");
    Time = 0;
}

float TZynFader::Fade(uint32_t newTex, uint32_t oldTex, float dt)
{
    Time += dt;
    return 1.0f;
}

void TZynFader::BindTextureSlot(uint8_t index)
{
    if (Owner && Owner->Textures()) Owner->Textures()->Bind(index & 0x7F);
    glEnable(GL_TEXTURE_2D);
}

void TZynFader::BeginEnvMap() { ZynBeginEnvMap(Owner ? Owner->Textures() : nullptr); }

void TZynFader::EndEnvMap() { ZynEndEnvMap(); }
