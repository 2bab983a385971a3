// ZynVisHooks: how the sequencer reaches the modules that sit above or beside it.
//
// The sequencer's frame fires program events (key bindings), advances the
// timer queue, shows announcements, runs the gamma strobe and draws the
// in-picture user interface; its construction draws the loading screen and
// loads the predefines. Those modules depend on the engine, not the other way
// round, so start-up fills these slots with their entry points; the key
// bindings, the timer queue and the gamma strobe are wired from the start. An empty slot is
// skipped, which is also what the engine's own tests rely on.
// Depends on: audio/ZynVisData.
#pragma once

#include "audio/ZynVisData.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TVisObject;
class TZynSceneList;

// Program event key codes fired by the sequencer.
constexpr int32_t Zy_START = 256;
constexpr int32_t Zy_STOP = 257;
constexpr int32_t Zy_FRAME = 258;

// The predefined scene combinations as the sequencer sees them: entry k is
// scene number -(k+1).
class TZynPredefineSource {
public:
    virtual ~TZynPredefineSource() = default;
    virtual int32_t Count() const = 0;
    virtual float Weight(int32_t k) const = 0;
    virtual void Activate(int32_t k) = 0;
    virtual void Render(int32_t k, const TVisData& visData, float dt) = 0;
    virtual uint32_t RenderTex(int32_t k, const TVisData& visData, int32_t texW, int32_t texH, float dt,
                               uint32_t& texStore) = 0;
    virtual void CheckTextureSizes() = 0;
    // For the scene selection and preference windows.
    virtual std::string Name(int32_t k) const { return "Predefine " + std::to_string(k + 1); }
    virtual std::string Description(int32_t k) const { return ""; }
    // Sets the weight (not below 0) and writes it back to the combination's file.
    virtual void SetWeight(int32_t k, float weight) {}
};

struct TZynVisHooks {
    // Runs the key binding of a code (program events Zy_START, Zy_STOP, Zy_FRAME).
    std::function<void(int32_t code)> ExecuteBinding;
    // Advances the timer queue by dt seconds, running the commands of expired timers.
    std::function<void(float dt)> TimerAdvance;
    // Seconds since the GL window started (BASE.Time); empty: the sequencer's own clock.
    std::function<float()> WindowTime;
    // Draws the loading screen with a text and a progress 0..1.
    std::function<void(const std::string& text, float progress)> ShowLoading;
    // The gamma strobe's per-frame step.
    std::function<void(const TVisData& visData, float dt)> GammaFrame;
    // Loads the predefines once the sequencer's scenes exist.
    std::function<std::unique_ptr<TZynPredefineSource>(TVisObject& vis)> CreatePredefines;
};

extern TZynVisHooks ZynVisHooks;
// The slots wired from the start (key bindings, timers and, once start-up
// provides it, the loading screen) and the gamma strobe, the rest empty.
TZynVisHooks ZynVisDefaultHooks();
