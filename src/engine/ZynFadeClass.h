// ZynFadeClass: TZynFader, the base of every scene transition, and its class records.
//
// Each frame of a scene change the sequencer hands the fader the outgoing
// and/or incoming picture as textures; the fader draws the blend and returns
// its progress, the change ending when that reaches 1. Faders are built only
// through their class record: a blank instance on which the virtual
// constructor Create runs, so a fader can be rebuilt from its class alone.
// Depends on: gfx/ZynTextures, app/ZynLog, OpenGL.
#pragma once

#include "config/ZynConstDef.h"   // faders read their section's constants directly

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TVisObject;
class TZynFader;

struct TZynFaderClass {
    std::string ClassName;                  // "TfadeMerge"
    std::function<TZynFader*()> MakeBlank;  // new instance before Create
};

template <class T>
TZynFaderClass ZynFaderClassOf(const std::string& className)
{
    return TZynFaderClass{className, [] { return static_cast<TZynFader*>(new T()); }};
}

// Blank instance of cls, then its virtual constructor with owner. Errors propagate.
std::unique_ptr<TZynFader> ZynCreateFader(const TZynFaderClass& cls, TVisObject* owner);
// Makes a rebuild of fader build cls (used for stand-ins of a failed class).
void ZynAdoptFaderClass(TZynFader& fader, const TZynFaderClass& cls);

class TZynFader {
public:
    virtual ~TZynFader() = default;
    TZynFader(const TZynFader&) = delete;
    TZynFader& operator=(const TZynFader&) = delete;

    // Slot 0, the virtual constructor: the defaults below. Fader classes call
    // it first, then set Section, Name and the two texture requests.
    virtual void Create(TVisObject* owner);
    // Slot 1: logs RESETFADER "Name", Time := 0.
    virtual void Reset();
    // Slot 2: Time += dt; returns the progress (base: 1, a hard cut).
    virtual float Fade(uint32_t newTex, uint32_t oldTex, float dt);

    void BindTextureSlot(uint8_t index);
    void BeginEnvMap();
    void EndEnvMap();

    const TZynFaderClass* FaderClass() const { return Class; }

    TVisObject* Owner = nullptr;
    float Time = 0;
    std::string Section = "DEFAULT";
    std::string Name = "[Unknown]";
    bool NeedsNewTexture = false;
    bool NeedsOldTexture = false;
    float SceneAlpha = 1.0f;

protected:
    TZynFader() = default;

private:
    friend std::unique_ptr<TZynFader> ZynCreateFader(const TZynFaderClass&, TVisObject*);
    friend void ZynAdoptFaderClass(TZynFader&, const TZynFaderClass&);
    const TZynFaderClass* Class = nullptr;
};
