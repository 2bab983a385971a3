// ZynPicker: scene and fader weights and the weighted random choice.
#include "engine/ZynPicker.h"

#include "config/ZynConst.h"
#include "engine/ZynVis.h"
#include "platform/ZynRandom.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {
// A usable weight: finite and positive; anything else keeps the candidate out.
double Usable(float w) { return (std::isfinite(w) && w > 0) ? static_cast<double>(w) : 0.0; }

float PrefOf(const std::string& section)
{
    int32_t row = FindConst("Pref." + section);
    return row < 0 ? 0.0f : ConstAsFloat(row);
}
}  // namespace

float SceneWeight(const TVisObject& vis, int32_t n)
{
    if (n < 0) {
        int32_t k = ~n;
        if (!vis.Predefines || k >= vis.Predefines->Count()) return 0;
        return vis.Predefines->Weight(k);
    }
    TZynScene* scene = vis.Scenes ? vis.Scenes->Items(n) : nullptr;
    return scene ? PrefOf(scene->Section) : 0.0f;
}

std::string SceneSection(const TVisObject& vis, int32_t n)
{
    int32_t count = vis.Scenes ? vis.Scenes->Count() : 0;
    if (n >= 0 && n <= count - 1) return vis.Scenes->Items(n)->Section;
    if (n >= -vis.PredefineCount()) return "MAIN";
    return "";
}

float FaderWeight(const TVisObject& vis, int32_t i)
{
    TZynFader* fader = vis.Faders ? vis.Faders->Items(i) : nullptr;
    return fader ? PrefOf(fader->Section) : 0.0f;
}

int32_t ZynWeightedPick(int32_t first, int32_t last, const std::function<float(int32_t)>& weight,
                        const std::function<bool(int32_t)>& eligible)
{
    if (last < first) return -1;
    std::vector<double> w(static_cast<size_t>(last - first + 1), 0.0);
    double sum = 0;
    for (int32_t n = first; n <= last; n++) {
        if (!eligible(n)) continue;
        w[static_cast<size_t>(n - first)] = Usable(weight(n));
        sum += w[static_cast<size_t>(n - first)];
    }
    double span = std::nearbyint(sum);   // ties to even; exact in double for any float sum
    double c = 0;
    if (span > 0) c = std::min(std::floor(ZynRandom() * span), span - 1);
    int32_t result = -1;
    double t = 0;
    for (int32_t n = first; n <= last; n++) {
        double wn = w[static_cast<size_t>(n - first)];
        if (wn <= 0) continue;
        if (c >= t) result = n;
        t += wn;
    }
    return result;
}

int32_t PickScene(const TVisObject& vis)
{
    int32_t count = vis.Scenes ? vis.Scenes->Count() : 0;
    return ZynWeightedPick(
        -vis.PredefineCount(), count - 1, [&](int32_t n) { return SceneWeight(vis, n); },
        [&](int32_t n) { return n != vis.CurrentScene; });
}

int32_t PickFader(const TVisObject& vis)
{
    int32_t count = vis.Faders ? vis.Faders->Count() : 0;
    return ZynWeightedPick(
        0, count - 1, [&](int32_t i) { return FaderWeight(vis, i); }, [](int32_t) { return true; });
}

float PickSceneLength(const TVisObject& vis)
{
    float r = static_cast<float>(ZynRandomInt(2048));
    return (r * (1 - zcSCENE_Random) / 1024 + zcSCENE_Random) * SceneWeight(vis, vis.CurrentScene) +
           zcSCENE_CrossFadeSpeed;
}
