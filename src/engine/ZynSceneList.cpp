// ZynSceneList: guarded scene rendering and rebuilding a scene from its class.
#include "engine/ZynSceneList.h"

#include "app/ZynLog.h"
#include "engine/ZynGLState.h"
#include "engine/ZynVis.h"

#include <exception>
#include <new>

namespace {
std::string Bracketed(int32_t n) { return "[" + std::to_string(n) + "]"; }

std::string MessageOf(std::exception_ptr e)
{
    try {
        std::rethrow_exception(e);
    } catch (const std::exception& ex) {
        return ex.what();
    } catch (...) {
        return "unknown exception";
    }
}
}  // namespace

TZynSceneList::~TZynSceneList()
{
    for (auto& s : List) s.reset();
}

TZynScene* TZynSceneList::Items(int32_t n) const
{
    if (n < 0 || n >= Count()) return nullptr;
    return List[static_cast<size_t>(n)].get();
}

int32_t TZynSceneList::Add(std::unique_ptr<TZynScene> scene)
{
    List.push_back(std::move(scene));
    return Count() - 1;
}

int32_t TZynSceneList::AddNew(const TZynSceneClass& cls) { return Add(ZynCreateScene(cls, Owner)); }

void TZynSceneList::RenderScene(int32_t n, const TVisData& visData, float dt, float alpha)
{
    if (n < 0 || n >= Count()) {
        ZynLogError("TZynSceneList.RenderScene - Scene number out of Range " + Bracketed(n));
        return;
    }
    TZynScene* scene = Items(n);
    std::string section = scene->Section;
    TZynGLState state;
    state.Save();
    try {
        scene->Render(visData, dt, alpha);
        section = scene->Section;
    } catch (...) {
        std::string message = MessageOf(std::current_exception());
        state.Restore();
        ZynLogError("TZynSceneList.RenderScene (" + section + ") - " + message);
        RestartScene(n);
    }
    ZynCheckGL("TZynSceneList.RenderScene(" + section + ")", n);
}

uint32_t TZynSceneList::RenderSceneTex(int32_t n, const TVisData& visData, float dt, float alpha,
                                       uint32_t& texStore)
{
    if (n < 0 || n >= Count()) {
        ZynLogError("TZynSceneList.RenderSceneTex - Scene number out of Range " + Bracketed(n));
        return 0;
    }
    int32_t texW = Owner ? Owner->TextureWidth() : 1;
    int32_t texH = Owner ? Owner->TextureHeight() : 1;
    TZynScene* scene = Items(n);
    std::string section = scene->Section;
    uint32_t result = 0;
    TZynGLState state;
    state.Save();
    try {
        result = scene->RenderToTexture(visData, texW, texH, dt, alpha, texStore);
        section = scene->Section;
    } catch (...) {
        std::string message = MessageOf(std::current_exception());
        state.Restore();
        ZynLogError("TZynSceneList.RenderSceneTex (" + section + ") - " + message);
        RestartScene(n);
        result = 0;
    }
    ZynCheckGL("TZynSceneList.RenderSceneTex(" + section + ")", n);
    return result;
}

void TZynSceneList::ResetAll()
{
    for (auto& s : List) s->Reset();
}

void TZynSceneList::CheckTextureSizes()
{
    for (auto& s : List) s->CheckTextureSize();
}

void TZynSceneList::RequestRestart(int32_t n)
{
    if (n < 0 || n >= Count()) return RestartScene(n);   // logged there
    if (RestartedThisFrame == n) return;
    if (RestartedThisFrame < 0) {
        RestartedThisFrame = n;
        return RestartScene(n);
    }
    RestartWaiting.resize(List.size(), false);
    RestartWaiting[size_t(n)] = true;
}

void TZynSceneList::NextFrame()
{
    RestartedThisFrame = -1;
    RestartWaiting.resize(List.size(), false);
    for (size_t k = 0; k < RestartWaiting.size(); k++) {
        size_t n = (RestartCursor + k) % RestartWaiting.size();
        if (!RestartWaiting[n]) continue;
        RestartWaiting[n] = false;
        RestartCursor = n + 1;
        RestartedThisFrame = int32_t(n);
        RestartScene(int32_t(n));
        return;
    }
}

void TZynSceneList::RestartScene(int32_t n)
{
    ZynLogLine("RESTARTING SCENE #" + std::to_string(n));
    if (Owner && Owner->IsShuttingDown()) {
        // The sequencer is being destroyed: nothing is rebuilt any more.
        ZynLogLine("FINSIHED RESTART");
        return;
    }
    if (n < 0 || n >= Count()) {
        ZynLogError("TSceneList.RestartScene - Scene number out of Range " + Bracketed(n));
        ZynLogLine("FINSIHED RESTART");
        return;
    }
    const TZynSceneClass* cls = List[static_cast<size_t>(n)]->SceneClass();
    std::unique_ptr<TZynScene> fresh;
    try {
        if (!cls) throw std::bad_alloc();
        fresh.reset(cls->MakeBlank());
        if (!fresh) throw std::bad_alloc();
    } catch (...) {
        ZynLogError("TSceneList.RestartScene - COULD NOT COPY SCENE " + Bracketed(n));
        ZynLogLine("FINSIHED RESTART");
        return;
    }
    // Built beside the old scene, which is destroyed only once the new one stands.
    try {
        ZynConstructScene(*fresh, *cls, Owner);
    } catch (...) {
        fresh.reset();
        ZynLogError("TSceneList.RestartScene - COULD NOT CREATE SCENE " + Bracketed(n));
        ZynLogLine("FINSIHED RESTART");
        return;
    }
    try {
        fresh->Reset();
    } catch (...) {
        fresh.reset();
        ZynLogError("TSceneList.RestartScene - COULD NOT RESTART SCENE " + Bracketed(n));
        ZynLogLine("FINSIHED RESTART");
        return;
    }
    List[static_cast<size_t>(n)].swap(fresh);
    fresh.reset();   // the old scene: logs its destroy line
    ZynLogLine("FINSIHED RESTART");
}
