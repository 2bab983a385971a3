// ZynSceneList: TZynSceneList, an owning list of scenes addressed by scene number.
//
// Renders a scene to the frame buffer or into a texture, guarded: a scene that
// throws while rendering is logged, the GL viewport and matrices are put back
// as they were, and that one scene is rebuilt from its class. The sequencer
// owns the main list; each predefine owns lists of its own.
// Depends on: engine/ZynSceneClass, engine/ZynGLState, app/ZynLog.
#pragma once

#include "engine/ZynSceneClass.h"

#include <memory>
#include <vector>

class TZynSceneList {
public:
    explicit TZynSceneList(TVisObject* owner) : Owner(owner) {}
    ~TZynSceneList();   // destroys the scenes in list order
    TZynSceneList(const TZynSceneList&) = delete;
    TZynSceneList& operator=(const TZynSceneList&) = delete;

    int32_t Count() const { return static_cast<int32_t>(List.size()); }
    // The scene at index n (nullptr out of range).
    TZynScene* Items(int32_t n) const;
    // Appends a scene; the list owns it from now on. Returns its index.
    int32_t Add(std::unique_ptr<TZynScene> scene);
    // Builds a scene of the given class with the list's owner and appends it.
    int32_t AddNew(const TZynSceneClass& cls);

    void RenderScene(int32_t n, const TVisData& visData, float dt, float alpha);
    // GL texture name holding the picture, 0 out of range or after a failure.
    uint32_t RenderSceneTex(int32_t n, const TVisData& visData, float dt, float alpha, uint32_t& texStore);
    void ResetAll();
    void CheckTextureSizes();
    void RestartScene(int32_t n);
    // A restart asked for from outside (UDP). The first of a frame runs at
    // once; later ones wait, one mark per scene, and run one a frame from
    // NextFrame, so a flood of requests cannot stall the picture. Asking again
    // for the scene rebuilt this very frame changes nothing.
    void RequestRestart(int32_t n);
    // Called by the sequencer at the start of every frame.
    void NextFrame();

    TVisObject* Owner;

private:
    std::vector<std::unique_ptr<TZynScene>> List;
    std::vector<bool> RestartWaiting;   // by scene number
    int32_t RestartedThisFrame = -1;    // the scene rebuilt this frame, -1 for none
    size_t RestartCursor = 0;           // where the next waiting restart is looked for
};
