// ZynScenePred: loading, running and saving the scene predefines.
#include "engine/ZynScenePred.h"

#include "app/ZynLog.h"
#include "config/ZynConst.h"
#include "engine/ZynGLState.h"
#include "engine/ZynVis.h"
#include "gfx/ZynTextures.h"
#include "gfx/kvTex.h"
#include "platform/ZynNumbers.h"
#include "platform/ZynPath.h"

#include <GL/gl.h>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <exception>

namespace {
bool ParseInt32(const std::string& text, int32_t& out)
{
    int64_t v = 0;
    if (!ZynParseInt64(ZynTrim(text), v)) return false;
    out = ZynClampToInt32(v);
    return true;
}

void InvalidValue(const std::string& line)
{
    ZynLogError("TZynScenePredefine:Not a valid integer value in \"" + line + "\"");
}

void ShowProgress(float progress)
{
    if (ZynVisHooks.ShowLoading) ZynVisHooks.ShowLoading("Predefined Scenes", progress);
}
}  // namespace

TZynPredefineAction ZynParsePredefineAction(const std::string& line, const TZynFindScene& findScene)
{
    TZynPredefineAction a;
    if (line.empty()) return a;
    char kind = char(std::toupper(static_cast<unsigned char>(line[0])));
    std::string rest = line.substr(1);
    if (kind == 'C') {
        a.Kind = TZynPredefineAction::Clear;
    } else if (kind == 'F') {
        a.Kind = TZynPredefineAction::Formula;
        a.FormulaText = rest;
        FormulaCompile(rest, a.Program);
        ZynLogLine(FormulaListing(a.Program));
    } else if (kind == 'R') {
        a.Kind = TZynPredefineAction::RenderScene;
        size_t comma = rest.find(',');
        std::string scene = ZynTrim(rest.substr(0, comma));
        std::string target = comma == std::string::npos ? "-1" : rest.substr(comma + 1);
        if (!ParseInt32(scene, a.Scene)) {
            a.Scene = findScene ? findScene(scene) : -1;
            if (a.Scene == -1) {
                InvalidValue(line);
                a.Scene = 0;
            }
        }
        if (!ParseInt32(target, a.Target)) {
            InvalidValue(line);
            a.Target = -1;
        }
    }
    return a;
}

void ZynReadPredefineEntry(const TZynIniFile& ini, int32_t s, const TZynFindScene& findScene,
                           TZynPredefineEntry& entry)
{
    std::string section = std::to_string(s);
    ZynLogLine("---- LOADING SCENE PREDEFINE " + section);
    entry.Name = ini.ReadString(section, "Name", "[Unknown]");
    entry.Author = ini.ReadString(section, "Author", "[Unknown]");
    ZynLogLine("\"" + entry.Name + "\" - " + entry.Author);
    entry.FileName = ini.FileName();
    entry.Number = s;
    entry.Pref = float(ini.ReadFloat(section, "Pref", 0));
    int32_t count = ini.ReadCount(section, "Count", kZynMaxPredefineActions);
    entry.Actions.clear();
    for (int32_t i = 0; i < count; i++)
        entry.Actions.push_back(ZynParsePredefineAction(ini.ReadString(section, "A" + std::to_string(i), ""), findScene));
}

TZynScenePredefine::TZynScenePredefine(TVisObject& owner) : Owner(&owner)
{
    ZynLogLine("Initializing TZynScenePredefine");
    // Sorted by name, so the scene numbers -1, -2, ... are the same every run.
    for (const std::string& name : ZynListFiles("\\data", ".predefine")) LoadFile(ZynPath("\\data\\" + name));
}

void TZynScenePredefine::LoadFile(const std::string& path)
{
    ZynLogLine("-------- LOADING PREDEFINE FILE \"" + path + "\"");
    TZynIniFile ini(path);
    int32_t n = ini.ReadCount("MAIN", "COUNT", kZynMaxPredefinesPerFile);
    size_t base = Entries.size();
    Entries.resize(base + size_t(n));
    ShowProgress(0);
    TZynFindScene find = [this](const std::string& section) { return Owner->FindScene(section); };
    // Section 1 takes the last new slot, section n the first.
    for (int32_t j = 0; j < n; j++) {
        auto entry = std::make_unique<TZynPredefineEntry>();
        ZynReadPredefineEntry(ini, j + 1, find, *entry);
        BuildScenes(*entry);
        Entries[base + size_t(n - 1 - j)] = std::move(entry);
        ShowProgress(float(j + 1) / float(n));
    }
}

void TZynScenePredefine::BuildScenes(TZynPredefineEntry& entry)
{
    entry.Scenes = std::make_unique<TZynSceneList>(Owner);
    int32_t count = Owner->Scenes ? Owner->Scenes->Count() : 0;
    for (TZynPredefineAction& a : entry.Actions) {
        if (a.Kind != TZynPredefineAction::RenderScene) continue;
        TZynScene* main = Owner->Scenes ? Owner->Scenes->Items(a.Scene >= 0 && a.Scene < count ? a.Scene : 0) : nullptr;
        if (!main || !main->SceneClass()) {
            a.Kind = TZynPredefineAction::None;
            continue;
        }
        ZynLogLine("Copying Scene " + main->Section);
        try {
            a.Scene = entry.Scenes->AddNew(*main->SceneClass());
        } catch (...) {
            ZynLogError("TZynScenePredefine - COULD NOT COPY SCENE " + main->Section + " - " + ZynCurrentExceptionMessage());
            a.Kind = TZynPredefineAction::None;
        }
    }
}

TZynScenePredefine::~TZynScenePredefine()
{
    ZynLogLine("Freeing TZynScenePredefine");
    for (auto& e : Entries) {
        if (!e) continue;
        ForgetSpecials(*e);
        e->Scenes.reset();
    }
}

TZynPredefineEntry* TZynScenePredefine::Entry(int32_t k) const
{
    if (k < 0 || k >= Count()) return nullptr;
    return Entries[size_t(k)].get();
}

float TZynScenePredefine::Weight(int32_t k) const
{
    TZynPredefineEntry* e = Entry(k);
    return e ? e->Pref : 0.0f;
}

std::string TZynScenePredefine::Name(int32_t k) const
{
    TZynPredefineEntry* e = Entry(k);
    return e ? e->Name : "";
}

std::string TZynScenePredefine::Description(int32_t k) const
{
    TZynPredefineEntry* e = Entry(k);
    return e ? e->Author : "";
}

void TZynScenePredefine::SetWeight(int32_t k, float weight)
{
    TZynPredefineEntry* e = Entry(k);
    if (!e) return;
    e->Pref = std::isfinite(weight) ? std::max(weight, 0.0f) : 0.0f;
    SavePref(k);
}

void TZynScenePredefine::SavePref(int32_t k)
{
    TZynPredefineEntry* e = Entry(k);
    if (!e) return;
    TZynIniFile ini(e->FileName);
    ini.WriteString(std::to_string(e->Number), "PREF", ZynFloatToText(e->Pref));
    ini.UpdateFile();
}

void TZynScenePredefine::ForgetSpecials(const TZynPredefineEntry& entry)
{
    tZynTextures* textures = Owner->Textures();
    if (!textures || !entry.Scenes) return;
    for (int32_t i = 0; i < entry.Scenes->Count(); i++) {
        uint32_t own = entry.Scenes->Items(i)->OwnTexture;
        if (own == 0) continue;
        for (uint32_t& slot : textures->Special)
            if (slot == own) slot = 0;
    }
}

void TZynScenePredefine::Activate(int32_t k)
{
    TZynPredefineEntry* e = Entry(k);
    if (!e) return;
    ZynLogLine("RESETSCENE PREDEFINE " + std::to_string(k) + " (" + e->Name + ")");
    ForgetSpecials(*e);
    try {
        e->Scenes->ResetAll();
    } catch (...) {
        ZynLogError("TZynScenePredefine.Activate (" + e->Name + ") - " + ZynCurrentExceptionMessage());
    }
}

void TZynScenePredefine::CheckTextureSizes()
{
    for (auto& e : Entries) {
        if (!e) continue;
        ForgetSpecials(*e);
        e->Scenes->CheckTextureSizes();
    }
}

// Values are kept and put back bit for bit: a restore through the registry's
// setters would snap them to steps and limits, keep NaN-set values and turn
// text constants into numbers. Formulas never write text constants.
void TZynScenePredefine::SaveConstants()
{
    for (int32_t i = 0; i < ZynConstCount; i++) {
        const TConstDef* row = ConstRow(i);
        if (!row || !row->Value) continue;
        if (row->ValueType == ZC_TYPE_FLOAT) SavedValues[i] = *static_cast<const float*>(row->Value);
        else if (row->ValueType == ZC_TYPE_INT) SavedInts[i] = *static_cast<const int32_t*>(row->Value);
    }
}

void TZynScenePredefine::RestoreConstants()
{
    for (int32_t i = 0; i < ZynConstCount; i++) {
        TConstDef* row = ConstRow(i);
        if (!row || !row->Value) continue;
        if (row->ValueType == ZC_TYPE_FLOAT) *static_cast<float*>(row->Value) = SavedValues[i];
        else if (row->ValueType == ZC_TYPE_INT) *static_cast<int32_t*>(row->Value) = SavedInts[i];
    }
}

void TZynScenePredefine::RunActions(TZynPredefineEntry& entry, const TVisData& visData, float dt)
{
    tZynTextures* textures = Owner->Textures();
    for (size_t i = 0; i < entry.Actions.size(); i++) {
        TZynPredefineAction& a = entry.Actions[i];
        if (a.Kind == TZynPredefineAction::Clear) {
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        } else if (a.Kind == TZynPredefineAction::Formula) {
            FormulaRun(a.Program);
        } else if (a.Kind == TZynPredefineAction::RenderScene && a.Target == -1) {
            entry.Scenes->RenderScene(a.Scene, visData, dt, 1.0f);
        } else if (a.Kind == TZynPredefineAction::RenderScene && a.Target >= 1 && a.Target <= kZynSpecialTextures &&
                   textures) {
            size_t t = size_t(a.Target - 1);
            textures->Special[t] = entry.Scenes->RenderSceneTex(a.Scene, visData, dt, 1.0f, textures->SpecialStore[t]);
            // The picture went into the texture only: what the scene drew on the
            // way there is wiped, so later on-screen actions start from a clean part.
            kvClearLowerLeft(Owner->TextureWidth(), Owner->TextureHeight(), GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        }
        ZynCheckGL("TZynScenePredefine (Render Loop)", int32_t(i));
    }
}

void TZynScenePredefine::Render(int32_t k, const TVisData& visData, float dt)
{
    SaveConstants();
    TZynPredefineEntry* e = Entry(k);
    if (!e) return;
    TZynGLState state;
    state.Save();
    try {
        RunActions(*e, visData, dt);
    } catch (...) {
        std::string message = ZynCurrentExceptionMessage();
        state.Restore();
        ZynLogError("TZynScenePredefine.Render (" + e->Name + ") - " + message);
    }
    RestoreConstants();
}

uint32_t TZynScenePredefine::RenderTex(int32_t k, const TVisData& visData, int32_t texW, int32_t texH, float dt,
                                       uint32_t& texStore)
{
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    glViewport(0, 0, texW, texH);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    Render(k, visData, dt);   // reports its own failures and leaves the matrices as it found them
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    CopyToTexture(texW, texH, texStore);
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    return texStore;
}
