// ZynScenePred: TZynScenePredefine, scene combinations described in *.predefine files.
//
// A predefine is a short program run every frame: clear the picture, run a
// formula that sets constants, render a scene on screen or into one of the
// four special textures (texture numbers -1..-4) that later scenes can draw
// with. Each render action has a private copy of its scene. Every constant is
// saved before an entry runs and put back exactly afterwards, so a
// predefine's formulas never leak into the registry. Entry k is the
// sequencer's scene number -(k+1); files are read in name order so the
// numbers stay the same from run to run.
// Depends on: engine/ZynSceneList, engine/ZynVisHooks, engine/ZynGLState,
// config (registry, formulas), gfx/ZynTextures (special slots), platform/ZynIni.
#pragma once

#include "config/ZynConstDef.h"
#include "config/kvFormula.h"
#include "engine/ZynSceneList.h"
#include "engine/ZynVisHooks.h"
#include "platform/ZynIni.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Most entries read from one file, most actions of one entry.
constexpr int32_t kZynMaxPredefinesPerFile = 64;
constexpr int32_t kZynMaxPredefineActions = 64;

struct TZynPredefineAction {
    enum : int32_t { None = 0, Clear = 1, Formula = 2, RenderScene = 3 };
    int32_t Kind = None;
    TkvFormula Program;        // Formula
    std::string FormulaText;   // Formula
    int32_t Scene = 0;         // RenderScene: main-list number when read, private index once built
    int32_t Target = -1;       // RenderScene: -1 the screen, 1..4 a special texture, else nothing
};

struct TZynPredefineEntry {
    std::string Name = "[Unknown]";
    std::string Author = "[Unknown]";
    std::string FileName;
    int32_t Number = 0;   // section in the file, 1-based
    float Pref = 0;       // weight of the random choice
    std::vector<TZynPredefineAction> Actions;
    std::unique_ptr<TZynSceneList> Scenes;   // the private copies, built after reading
};

// Maps a scene section name to its main-list number, or -1.
using TZynFindScene = std::function<int32_t(const std::string& section)>;

// Parses one action line ("C", "F<formula>", "R<scene>[,<target>]").
TZynPredefineAction ZynParsePredefineAction(const std::string& line, const TZynFindScene& findScene);
// Reads section s of a predefine profile (everything but the scene copies).
void ZynReadPredefineEntry(const TZynIniFile& ini, int32_t s, const TZynFindScene& findScene,
                           TZynPredefineEntry& entry);

class TZynScenePredefine : public TZynPredefineSource {
public:
    // Loads every *.predefine file of the data folder; owner's scenes must exist.
    explicit TZynScenePredefine(TVisObject& owner);
    ~TZynScenePredefine() override;

    int32_t Count() const override { return int32_t(Entries.size()); }
    float Weight(int32_t k) const override;
    std::string Name(int32_t k) const override;
    std::string Description(int32_t k) const override;   // the author line
    // Sets the weight (not below 0) and saves it with SavePref.
    void SetWeight(int32_t k, float weight) override;
    void Activate(int32_t k) override;
    void Render(int32_t k, const TVisData& visData, float dt) override;
    uint32_t RenderTex(int32_t k, const TVisData& visData, int32_t texW, int32_t texH, float dt,
                       uint32_t& texStore) override;
    void CheckTextureSizes() override;
    // Writes entry k's weight back to its file as PREF of its section.
    void SavePref(int32_t k);

    // Entry k, or nullptr.
    TZynPredefineEntry* Entry(int32_t k) const;

private:
    void LoadFile(const std::string& path);
    void BuildScenes(TZynPredefineEntry& entry);
    void RunActions(TZynPredefineEntry& entry, const TVisData& visData, float dt);
    void SaveConstants();
    void RestoreConstants();
    // Special slots showing a picture of this entry's scenes are emptied
    // before those pictures go away.
    void ForgetSpecials(const TZynPredefineEntry& entry);

    std::vector<std::unique_ptr<TZynPredefineEntry>> Entries;
    TVisObject* Owner;
    // Every registry row's value around a render (floats and integers exactly).
    float SavedValues[ZynConstCount] = {};
    int32_t SavedInts[ZynConstCount] = {};
};
