// ZynWindowSide: the side bar's buttons and drawing.
#include "ui/ZynWindowSide.h"

#include "console/ZynCmdInterp.h"
#include "console/ZynCommands.h"
#include "engine/ZynPicker.h"
#include "engine/ZynVis.h"
#include "ui/ZynUI.h"
#include "ui/ZynWindowConst.h"
#include "ui/ZynWindowMain.h"
#include "ui/ZynWindowWinAMP.h"

#include <GL/gl.h>

#include <algorithm>

TWindowSide::TWindowSide(TVisObject* owner) : TZWindow(owner)
{
    Title = "Window Sidebar";
    HAlign = VAlign = 2;
    Width = 0.1f;
    Height = 0.68f;
    Scale = 0.75f;
    CloseOnOutsideClick = false;
    SetRegion(0, 0, Height - 0.1f, 0.1f, Height, "WinAMP Control");
    const char* hints[5] = {"Scene Options", "Change Scene", "Main Options", "Fullscreen Toggle", "Exit"};
    for (int i = 1; i <= 5; i++) SetRegion(i, 0.01f, 0.08f * i + 0.01f, 0.09f, 0.08f * i + 0.09f, hints[i - 1]);
}

void TWindowSide::DrawContents()
{
    const float fade = std::min(Fade, 1.0f);
    const float alpha = fade * Visibility;
    if (!(alpha > 0)) return;
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    BindTexture(ZynTexSkin);
    glColor4f(1, 1, 1, alpha);
    DrawTileRect(6, 8, 4, 0, 0, 0.1f, 0.1f);
    DrawTileRect(14, 8, 4, 0, 0.1f, 0.1f, Height - 0.1f);
    DrawTileRect(22, 8, 4, 0, Height - 0.1f, 0.1f, Height);
    const TZynUI* ui = UI();
    const float playerAlpha = std::max(ui ? ui->Player->Visibility : 0.0f, fade);
    glColor4f(1, 1, 1, playerAlpha * Visibility);
    const TZRegion& toggle = Regions[0];
    DrawTileRect(21, 8, 4, toggle.X1, toggle.Y1, toggle.X2, toggle.Y2);
    BindTexture(ZynTexFontLarge);
    glColor4f(1, 1, 1, alpha);
    for (int i = 1; i <= 5; i++) {
        const TZRegion& r = Regions[static_cast<size_t>(i)];
        const float grow = Hovered == i ? 0.01f : 0;
        DrawTileRect(Hovered == i ? 25 + i : 9 + i, 16, 16, r.X1 - grow, r.Y1 - grow, r.X2 + grow, r.Y2 + grow);
    }
    if (Hovered >= 0 && Hovered < RegionCount()) {
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glTranslatef(0.01f, Height - 0.2f, 0);
        glRotatef(-90, 0, 0, 1);
        DrawTextLine(0, Regions[static_cast<size_t>(Hovered)].Hint, 0.75f, 1, 0.065f, 0, 1, 1, 1,
                     fade / 2);
        glPopMatrix();
    }
}

void TWindowSide::Click(int32_t region, int32_t button)
{
    TZynUI* ui = UI();
    if (button != ZynMouseLeft || !(Fade > 0) || !ui) return;
    TVisObject& vis = *Owner;
    switch (region) {
    case 0:
        ui->PlayerShown = !ui->PlayerShown;
        ui->Player->Expanded = !ui->Player->Expanded;
        break;
    case 1:
        ui->OpenWindow(std::make_unique<TWindowConst>(
            Owner, vis.CurrentScene >= 0 ? vis.SceneSection(vis.CurrentScene) : std::string("MAIN")));
        break;
    case 2:
        vis.SceneChange(PickScene(vis), PickFader(vis));
        break;
    case 3:
        ui->OpenWindow(std::make_unique<TWindowMain>(Owner));
        break;
    case 4:
        CallCommandProc(ProcToggleFullscreen);
        break;
    case 5:
        CallCommandProc(ProcQuit);
        break;
    default:
        break;
    }
}
