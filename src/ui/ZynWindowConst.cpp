// ZynWindowConst: constant rows, sliders and the restart on close.
#include "ui/ZynWindowConst.h"

#include "app/TGLWindow.h"
#include "app/ZynLog.h"
#include "config/ZynConst.h"
#include "engine/ZynVis.h"
#include "net/ZynMidiIn.h"
#include "platform/ZynNumbers.h"
#include "ui/ZynUI.h"
#include "ui/ZynWindowOptions.h"

#include <GL/gl.h>

#include <algorithm>
#include <exception>

TWindowConst::TWindowConst(TVisObject* owner, const std::string& section) : TZWindow(owner)
{
    Title = ZynUpper(section);
    Width = 1;
    for (int32_t c = 0; c < ConstCount() && Rows.size() < MaxRows; c++)
        if (Title == ConstRow(c)->Section) Rows.push_back(c);
    Height = 0.05f * static_cast<float>(Rows.size() + 2);
    for (size_t i = 0; i < Rows.size(); i++) {
        const float y1 = 0.05f * (static_cast<float>(i) + 0.5f), y2 = y1 + 0.05f;
        const std::string hint = ConstRow(Rows[i])->Description;
        const int32_t r = 2 * static_cast<int32_t>(i);
        if (HasSlider(Rows[i])) SetRegion(r, 0.4f, y1, 0.85f, y2, hint);
        else SetRegion(r, -1, -1, -1, -1, hint);   // no slider: never hit
        SetRegion(r + 1, 0.02f, y1, 0.98f, y2, hint);
    }
    SetBackRegion(BackRegion(), Height - 0.1f, Height - 0.01f);
}

bool TWindowConst::HasSlider(int32_t c)
{
    const TConstDef* row = ConstRow(c);
    return row && row->HasMin && row->HasMax && row->Min != row->Max && row->ValueType != ZC_TYPE_STRING;
}

float TWindowConst::SliderX(int32_t c, float v)
{
    const TConstDef* row = ConstRow(c);
    return 0.4f + 0.45f * std::clamp((v - row->Min) / (row->Max - row->Min), 0.0f, 1.0f);
}

void TWindowConst::DrawContents()
{
    TZWindow::DrawContents();
    for (size_t i = 0; i < Rows.size(); i++) {
        const int32_t c = Rows[i];
        const TConstDef* row = ConstRow(c);
        const float y1 = 0.05f * (static_cast<float>(i) + 0.5f), y2 = y1 + 0.05f;
        const float green = row->NeedsRestart ? 0.0f : 1.0f;
        DrawTextLine(0, row->Name, 0.6f, 0.6f, y2 - 0.01f, 0.02f, 1, green, green, 1);
        const bool learning = MidiInput && MidiInput->Map.Armed() == ConstFullName(c);
        DrawTextLine(0, learning ? "MIDI?" : ConstToString(c), 0.6f, 0.6f, y2 - 0.01f, 0.9f, 1, green, green, 1);
        if (!HasSlider(c)) continue;
        BindTexture(ZynTexFontLarge);
        SetAlphaColour(1, 1, 1, 1);
        DrawTileRect(7, 16, 16, 0.375f, y1, 0.425f, y2);
        DrawTileRect(8, 16, 16, 0.425f, y1, 0.825f, y2);
        DrawTileRect(9, 16, 16, 0.825f, y1, 0.875f, y2);
        const float d = SliderX(c, ConstDefault(c)), v = SliderX(c, ConstAsFloat(c));
        DrawTileRect(24, 16, 16, d - 0.025f, y1, d + 0.025f, y2);
        DrawTileRect(23, 16, 16, v - 0.025f, y1, v + 0.025f, y2);
    }
    DrawIcon(BackRegion(), 9);
}

void TWindowConst::Changed(int32_t c)
{
    if (ConstRow(c)->NeedsRestart) RestartPending = true;
}

void TWindowConst::Click(int32_t region, int32_t button)
{
    if (button == ZynMouseMiddle && region >= 0 && region < BackRegion()) return LearnMidi(Rows[static_cast<size_t>(region / 2)]);
    if ((button != ZynMouseLeft && button != ZynMouseRight) || region < 0 || !UI()) return;
    if (region == BackRegion()) {
        if (button == ZynMouseLeft) UI()->OpenWindow(std::make_unique<TWindowOptions>(Owner));
        return;
    }
    if (region > BackRegion()) return;
    // A left release over the slider is the end of a drag, not a step.
    if (region % 2 == 0 && button == ZynMouseLeft) return;
    const int32_t c = Rows[static_cast<size_t>(region / 2)];
    ConstStep(c, button == ZynMouseLeft ? 1 : -1);
    Changed(c);
}

void TWindowConst::LearnMidi(int32_t c)
{
    std::string error;
    if (!MidiInput) ZynLogError("TWindowConst - MIDI input is not running (no sequencer, or --midi off)");
    else if (!MidiInput->Map.Learn(ConstFullName(c), error)) ZynLogError("TWindowConst - " + error);
}

void TWindowConst::Hover(int32_t region, uint8_t state, float x, float y)
{
    // A drag that starts on a slider keeps that slider until the button is
    // let go, so dragging past either end gives the limit.
    if (!(state & GLW_MK_LBUTTON)) {
        DragRow = -1;
        return;
    }
    if (DragRow < 0 && region >= 0 && region < BackRegion() && region % 2 == 0 &&
        HasSlider(Rows[static_cast<size_t>(region / 2)]))
        DragRow = region / 2;
    if (DragRow < 0) return;
    const int32_t c = Rows[static_cast<size_t>(DragRow)];
    const TConstDef* row = ConstRow(c);
    ConstSetFloat(c, row->Min + (row->Max - row->Min) * (std::clamp(x, 0.4f, 0.85f) - 0.4f) / 0.45f);
    Changed(c);
}

void TWindowConst::OnClose()
{
    if (!RestartPending || !Owner) return;
    RestartPending = false;
    const int32_t scene = Owner->FindScene(Title);
    if (scene >= 0) {
        Owner->Scenes->RestartScene(scene);
        return;
    }
    for (int32_t i = 0; i < Owner->Faders->Count(); i++) {
        if (Owner->Faders->Items(i)->Section != Title) continue;
        // A rebuild that fails keeps the old fader.
        try {
            Owner->RestartFader(i);
        } catch (const std::exception& e) {
            ZynLogError("TWindowConst.OnClose - Fader " + Title + " could not be rebuilt: " + e.what());
        } catch (...) {
            ZynLogError("TWindowConst.OnClose - Fader " + Title + " could not be rebuilt");
        }
        return;
    }
    if (Title == "MAIN" || Title == "NET") GLWindow.Restart();
}
