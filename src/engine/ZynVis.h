// ZynVis: TVisObject, the visualisation sequencer.
//
// Owns the 24 scenes, the 10 faders, the predefines and the texture manager.
// Once per frame it publishes the BASE time and bass constants, fires the
// program events, checks the viewport, draws the current scene or blends a
// running change through its fader, then draws announcements, the gamma
// strobe and the user interface. It performs scene changes, offers the
// weighted pickers and dispatches the scene-related UDP packets (types 3, 4, 7
// and 8). The client object owns the one instance and calls Frame and
// HandlePacket.
// Depends on: engine/ZynSceneList, engine/ZynFadeList, engine/ZynPicker,
// engine/ZynSceneCatalogue, engine/ZynVisHooks, console/ZynKeyBind and
// console/ZynTimer (program events, timers), app/ZynPacket, app/ZynLog, OpenGL.
#pragma once

#include "announce/ZynAnnounceList.h"
#include "app/ZynPacket.h"
#include "engine/ZynFadeList.h"
#include "engine/ZynSceneList.h"
#include "engine/ZynVisHooks.h"
#include "ui/ZynUI.h"

#include <memory>
#include <string>
#include <vector>

class tZynTextures;

class TVisObject {
public:
    // Builds the standard scenes and faders in catalogue order. The GL context
    // must be current (the window layer keeps its handles; none are needed here).
    TVisObject();
    // Builds the given scene and fader classes instead (the records must
    // outlive the object).
    TVisObject(const std::vector<TZynSceneClass>& sceneClasses, const std::vector<TZynFaderClass>& faderClasses);
    ~TVisObject();
    TVisObject(const TVisObject&) = delete;
    TVisObject& operator=(const TVisObject&) = delete;

    void Frame(const TVisData& visData, float dt);
    // Draws every scene, and every fader between two scenes, once into the
    // back buffer and puts everything back as it was: the driver's one-time
    // work (shader variants, first texture use) is done here, under the
    // loading screen, not in the first frame after a change. Needs the
    // window's viewport set.
    void WarmUp();
    void SceneChange(int32_t scene, int32_t fader);
    // A 1212-byte UDP control packet (types 3, 4, 7, 8; others ignored).
    void HandlePacket(const uint8_t* packet);
    void HandlePacket(const TZynPacket& packet);
    // Starts announcement index (which must exist) with text for seconds and
    // makes it the active one.
    void Announce(int32_t index, const std::string& text, float seconds);
    // A window key event: its key binding runs first (key code when pressed,
    // code + 512 when released, virtual keys only), then the in-picture interface.
    void Key(bool pressed, int32_t code, bool isVirtualKey);
    // A window mouse event (pixels; button 0 move, 1 left, 2 right, 3 middle) for the interface.
    void Mouse(int32_t x, int32_t y, int32_t button, uint8_t state, bool pressed);

    void RenderScene(int32_t n, const TVisData& visData, float dt, float alpha);
    uint32_t RenderSceneTex(int32_t n, const TVisData& visData, float dt, float alpha, uint32_t& texStore);
    void ActivateScene(int32_t n);
    void RestartFader(int32_t n);
    int32_t TextureWidth() const;
    int32_t TextureHeight() const;
    void Resize(int32_t width, int32_t height);
    void AddScene(std::unique_ptr<TZynScene> scene);
    int32_t FindScene(const std::string& section) const;
    bool IsValidScene(int32_t n) const;
    int32_t PredefineCount() const;

    // Weights and pickers (ZynPicker).
    float SceneWeight(int32_t n) const;
    std::string SceneSection(int32_t n) const;
    float FaderWeight(int32_t i) const;
    int32_t PickScene() const;
    int32_t PickFader() const;
    float PickSceneLength() const;

    // The texture manager (nullptr only if it could not be created).
    tZynTextures* Textures() const { return TextureManager; }
    // True from the start of destruction: rebuild requests are ignored then.
    bool IsShuttingDown() const { return ShuttingDown; }

    bool FirstFrame = true;
    int32_t CurrentScene = 0;
    int32_t PreviousScene = 0;
    uint32_t NewSceneTex = 0;
    uint32_t NewSceneStore = 0;
    uint32_t OldSceneTex = 0;
    uint32_t OldSceneStore = 0;
    float FadeProgress = 1.0f;
    int32_t FaderIndex = 0;
    int32_t ActiveAnnouncement = -1;
    // The in-picture interface; it owns the texture manager.
    std::unique_ptr<TZynUI> UI;
    // The music record of the current frame (the bass window shows it).
    TVisData VisData{};
    // Overlay (0) and scroller (1).
    std::unique_ptr<TZynAnnounceList> Announcements;
    std::unique_ptr<TZynSceneList> Scenes;
    int32_t SceneTotal = 24;
    std::unique_ptr<TZynFaderList> Faders;
    std::unique_ptr<TZynPredefineSource> Predefines;
    // Current and previous GL viewport (x, y, width, height), as the user
    // interface object keeps them; the previous one starts at zeros.
    int32_t Viewport[4] = {0, 0, 0, 0};
    int32_t PreviousViewport[4] = {0, 0, 0, 0};

private:
    void Build(const std::vector<TZynSceneClass>& sceneClasses, const std::vector<TZynFaderClass>& faderClasses);
    // A class that fails to build is logged and its number held by a stand-in
    // that draws nothing (a hard cut for a fader); rebuilding retries the class.
    std::unique_ptr<TZynScene> CreateSceneOrStandIn(const TZynSceneClass& cls);
    std::unique_ptr<TZynFader> CreateFaderOrStandIn(const TZynFaderClass& cls);
    void CheckViewport();
    void DrawScenes(const TVisData& visData, float dt);
    void RunFader(TZynFader& fader, float dt);
    void RenderAnnouncement(float dt);
    void RenderUI(float dt);
    void DeleteStores();
    bool ReportBadScene(int32_t n);

    tZynTextures* TextureManager = nullptr;
    bool BadSceneReported = false;   // BadScene was reported and nothing valid drawn since
    int32_t BadScene = 0;
    bool ShuttingDown = false;
    float OwnClock = 0;   // seconds of frames, when no window clock is wired
};

// True while some sequencer is being destroyed (a window restart asked for
// then is ignored, so the program can always exit).
bool ZynVisIsStopping();
