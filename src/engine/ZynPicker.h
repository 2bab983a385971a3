// ZynPicker: weights of scenes and faders and the weighted random pickers.
//
// A scene's weight is the constant "Pref." + its section (a predefine carries
// its own); it is both its relative chance and its mean length in seconds.
// Weights are summed in double precision and weights that are not finite
// count as 0, so no weight can overflow or poison a pick.
// Depends on: engine/ZynVis, config (registry), platform/ZynRandom.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class TVisObject;

float SceneWeight(const TVisObject& vis, int32_t n);
std::string SceneSection(const TVisObject& vis, int32_t n);
float FaderWeight(const TVisObject& vis, int32_t i);
int32_t PickScene(const TVisObject& vis);
int32_t PickFader(const TVisObject& vis);
float PickSceneLength(const TVisObject& vis);

// The weighted walk shared by the pickers: candidates first..last in order,
// eligible when eligible(n) and weight(n) > 0. c is drawn uniformly from
// 0 .. Nearest(sum)-1 (0 when that is 0), and the result is the eligible n
// whose cumulative range [t, t + weight) contains c; -1 when none is eligible.
int32_t ZynWeightedPick(int32_t first, int32_t last, const std::function<float(int32_t)>& weight,
                        const std::function<bool(int32_t)>& eligible);
