// ZynWindowOptions: the options menu's entries and actions.
#include "ui/ZynWindowOptions.h"

#include "engine/ZynVis.h"
#include "ui/ZynUI.h"
#include "ui/ZynWindowBass.h"
#include "ui/ZynWindowConst.h"
#include "ui/ZynWindowMain.h"

TWindowOptions::TWindowOptions(TVisObject* owner) : TZWindow(owner)
{
    Title = "Options";
    Width = 0.91f;
    std::vector<std::pair<TEntry, std::string>> grid = {
        {{"BASS", 5}, "Bass Control"},    {{"MAIN", 0}, "Main Options"},   {{"WINDOW", 6}, "Window Options"},
        {{"SCENE", 7}, "Scene Options"},  {{"GAMMA", 14}, "Gamma Strobe"}, {{"NET", 15}, "Network Options"}};
    if (owner) {
        for (int32_t n = 0; n < owner->Scenes->Count(); n++) {
            const TZynScene* scene = owner->Scenes->Items(n);
            grid.push_back({{scene->Section, 24 + n}, "SCENE:" + scene->Name});
        }
        for (int32_t i = 0; i < owner->Faders->Count(); i++) {
            const TZynFader* fader = owner->Faders->Items(i);
            grid.push_back({{fader->Section, 48 + i}, "FADER:" + fader->Name});
        }
    }
    const int32_t entries = static_cast<int32_t>(grid.size()) + 1;
    Height = 0.11f * static_cast<float>((entries - 1) / 8) + 0.14f;
    Entries.push_back({"", 9});
    SetBackRegion(0, Height - 0.09f, Height);
    for (size_t k = 0; k < grid.size(); k++) {
        Entries.push_back(grid[k].first);
        SetGridRegion(static_cast<int32_t>(k) + 1, static_cast<int32_t>(k), 0.11f, grid[k].second);
    }
}

void TWindowOptions::DrawContents()
{
    TZWindow::DrawContents();
    for (size_t i = 0; i < Entries.size(); i++) DrawIcon(static_cast<int32_t>(i), Entries[i].Icon);
}

void TWindowOptions::Click(int32_t region, int32_t button)
{
    if (button != ZynMouseLeft || !UI() || region < 0 || region >= static_cast<int32_t>(Entries.size())) return;
    const std::string section = Entries[static_cast<size_t>(region)].Section;
    if (region == 0) UI()->OpenWindow(std::make_unique<TWindowMain>(Owner));
    else if (section == "BASS") UI()->OpenWindow(std::make_unique<TWindowBass>(Owner));
    else UI()->OpenWindow(std::make_unique<TWindowConst>(Owner, section));
}
