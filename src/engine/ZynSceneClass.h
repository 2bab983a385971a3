// ZynSceneClass: TZynScene, the base of every visual effect, and its class records.
//
// A scene has a display name, a constant section, a clock that runs from its
// last Reset, texture slots backed by the constants SECTION.TEX0.., and
// optionally its own render-target texture. Scenes are built only through
// their class record (TZynSceneClass): it makes a blank instance, then the
// base construction runs and calls Init. The same record rebuilds a scene
// after a failure, so every scene class is constructible from its class alone.
// Depends on: audio/ZynVisData, config (registry), gfx/ZynTextures, app/ZynLog, OpenGL.
#pragma once

#include "audio/ZynVisData.h"
#include "config/ZynConstDef.h"   // scenes read their section's constants directly

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TVisObject;
class TZynScene;

// Size of the UDP control packet handed to HandlePacket.
constexpr int32_t ZynControlPacketSize = 1212;

// How to build one scene class: a blank instance of the concrete class.
struct TZynSceneClass {
    std::string ClassName;                  // "TvisTunnel"
    std::function<TZynScene*()> MakeBlank;  // new instance, base fields at their defaults
};

// The class record of a concrete scene class with a default constructor:
// ZynSceneClassOf<TvisTunnel>("TvisTunnel").
template <class T>
TZynSceneClass ZynSceneClassOf(const std::string& className)
{
    return TZynSceneClass{className, [] { return static_cast<TZynScene*>(new T()); }};
}

// Builds a scene of the given class: blank instance, base construction, Init.
// Errors from Init propagate (the caller decides what a failure means).
std::unique_ptr<TZynScene> ZynCreateScene(const TZynSceneClass& cls, TVisObject* owner);
// The second half of that: base construction and Init on a blank instance of cls.
void ZynConstructScene(TZynScene& blank, const TZynSceneClass& cls, TVisObject* owner);

// Copies the lower-left w x h of the frame buffer into texStore, creating the
// texture (RGB, clamped, linear) when texStore is 0.
void CopyToTexture(int32_t w, int32_t h, uint32_t& texStore);

class TZynScene {
public:
    virtual ~TZynScene();
    TZynScene(const TZynScene&) = delete;
    TZynScene& operator=(const TZynScene&) = delete;

    // Slot 0: sets Name, Section, TextureSlotCount, RendersToTexture; ends by calling Reset.
    virtual void Init();
    // Slot 1: after a window resize; drops OwnTexture when the texture size changed.
    virtual void CheckTextureSize();
    // Slot 2: logs the reset, drops OwnTexture of a render-to-texture scene, Time := 0.
    virtual void Reset();
    // Slot 3: Time += dt. Scenes call this first, then draw at opacity alpha.
    virtual void Render(const TVisData& visData, float dt, float alpha);
    // Slot 4: a type 7 control packet sets texture slot (int32 at 28) to the byte at 32.
    virtual void HandlePacket(const uint8_t* packet);

    // Utilities for scene classes.
    void BindTextureSlot(uint8_t index);
    void UseTexture(int32_t index);
    void BeginEnvMap();
    void EndEnvMap();
    void PresentOwnTexture(float alpha);
    // Frame of a scene that draws into OwnTexture: Begin pushes the projection,
    // keeps the current viewport in saved and sets the texture-sized one, and
    // returns the saved viewport's aspect; End copies the picture into
    // OwnTexture, puts the viewport back, presents at alpha and pops the projection.
    float BeginOwnTexture(int32_t saved[4]);
    void EndOwnTexture(const int32_t saved[4], float alpha);
    int32_t GetTextureSlot(int32_t n);
    void SetTextureSlot(int32_t n, uint8_t value);
    uint32_t RenderToTexture(const TVisData& visData, int32_t texW, int32_t texH, float dt,
                             float alpha, uint32_t& texStore);

    // The class this scene was built from (for rebuilds and copies).
    const TZynSceneClass* SceneClass() const { return Class; }

    TVisObject* Owner = nullptr;
    std::string Name = "[DEFAULT]";
    std::string Section = "[DEFAULT]";
    float Time = 0;
    int32_t TextureSlotCount = 0;
    bool RendersToTexture = false;
    bool PresentTexture = true;
    uint32_t OwnTexture = 0;
    int32_t TexWidth = 0;
    int32_t TexHeight = 0;

protected:
    TZynScene() = default;   // scene classes declare no constructor of their own

private:
    friend void ZynConstructScene(TZynScene&, const TZynSceneClass&, TVisObject*);
    void Construct(TVisObject* owner);   // base construction steps, then Init
    int32_t SlotConstant(int32_t n);     // registry row of Section.TEXn, or -1

    const TZynSceneClass* Class = nullptr;
};
