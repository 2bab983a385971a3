// ZynWindowMain: the main menu's entries.
#include "ui/ZynWindowMain.h"

#include "ui/ZynUI.h"
#include "ui/ZynWindowAbout.h"
#include "ui/ZynWindowConsole.h"
#include "ui/ZynWindowOptions.h"
#include "ui/ZynWindowPrefFade.h"
#include "ui/ZynWindowPrefScene.h"
#include "ui/ZynWindowSceneSel.h"

namespace {
struct TEntry {
    const char* Hint;
    int32_t Icon;
};
constexpr TEntry Entries[6] = {{"Options", 1},         {"Scene Selection", 10}, {"Scene Preference", 12},
                               {"Fade Preference", 13}, {"Zy Console", 2},       {"About", 3}};
}  // namespace

TWindowMain::TWindowMain(TVisObject* owner) : TZWindow(owner)
{
    Title = "Main Menu";
    Width = 1.0f;
    Height = 0.19f;
    for (int i = 0; i < 6; i++) SetRegion(i, 0.02f + 0.16f * i, 0.02f, 0.17f + 0.16f * i, 0.17f, Entries[i].Hint);
}

void TWindowMain::DrawContents()
{
    TZWindow::DrawContents();
    for (int i = 0; i < 6; i++) DrawIcon(i, Entries[i].Icon);
}

void TWindowMain::Click(int32_t region, int32_t button)
{
    if (button != ZynMouseLeft || !UI()) return;
    std::unique_ptr<TZWindow> next;
    switch (region) {
    case 0: next = std::make_unique<TWindowOptions>(Owner); break;
    case 1: next = std::make_unique<TWindowSceneSel>(Owner); break;
    case 2: next = std::make_unique<TWindowPrefScene>(Owner); break;
    case 3: next = std::make_unique<TWindowPrefFade>(Owner); break;
    case 4: next = std::make_unique<TWindowConsole>(Owner); break;
    case 5: next = std::make_unique<TWindowAbout>(Owner); break;
    default: return;
    }
    UI()->OpenWindow(std::move(next));
}
