// ZynSceneCatalogue: the scene and fader classes the sequencer builds, in order.
//
// The position in each list is the scene or fader number used everywhere
// (console, packets, predefines). One line per class: a real class goes in
// with ZynSceneClassOf<T>("T") / ZynFaderClassOf<T>("T") in place of its
// placeholder line.
// Depends on: engine/ZynSceneClass, engine/ZynFadeClass, the scene and fader modules.
#pragma once

#include "engine/ZynFadeClass.h"
#include "engine/ZynSceneClass.h"

#include <vector>

const std::vector<TZynSceneClass>& ZynSceneCatalogue();
const std::vector<TZynFaderClass>& ZynFaderCatalogue();
