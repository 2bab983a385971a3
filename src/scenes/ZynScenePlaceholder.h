// ZynScenePlaceholder: a stand-in for a scene class that is not written yet.
//
// It carries the real scene's name, section, texture slot count and
// render-to-texture flag, so the engine treats it exactly like the scene it
// stands for, and draws a flat colour of its own with a bass-driven square
// and its name.
// Each catalogue line that uses it is replaced by the real class when that lands.
// Depends on: engine/ZynSceneClass, gfx/ZynTextures (FontTexture), gfx/kvFont, OpenGL.
#pragma once

#include "engine/ZynSceneClass.h"

struct TZynPlaceholderIdentity {
    std::string Name;
    std::string Section;
    int32_t TextureSlots = 0;
    bool OwnTexture = false;
};

class TZynScenePlaceholder : public TZynScene {
public:
    explicit TZynScenePlaceholder(TZynPlaceholderIdentity identity) : Identity(std::move(identity)) {}

    void Init() override;
    void Reset() override;
    void Render(const TVisData& visData, float dt, float alpha) override;

    // The flat colour of a section (distinct for every catalogue section).
    static void ColourOf(const std::string& section, float rgb[3]);

private:
    void Draw(const TVisData& visData, float alpha);
    void RenderOwn(const TVisData& visData, float alpha);
    void DrawName(float alpha);
    TZynPlaceholderIdentity Identity;
};

// Class record of a placeholder standing for className.
TZynSceneClass ZynPlaceholderScene(const std::string& className, const std::string& name,
                                   const std::string& section, int32_t textureSlots, bool ownTexture);
