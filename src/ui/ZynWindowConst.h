// ZynWindowConst: TWindowConst, the constants editor of one section.
//
// One row per constant of the section (registry order): name, value (red when
// a change needs a restart) and, for constants with both limits, a slider.
// Left click steps up, right click steps down, dragging the slider sets the
// value, a middle click arms MIDI learn for the row (its value shows "MIDI?"
// until a control is moved). A change to a constant that needs a restart marks the window; closing
// it then restarts the scene or fader of that section, or the GL window for
// MAIN and NET.
// Depends on: ui/ZynWindow, ui/ZynUI, ui/ZynWindowOptions, config/ZynConst,
// engine/ZynVis (restarts), app/TGLWindow (restart), app/ZynLog, net/ZynMidiIn.
#pragma once

#include "ui/ZynWindow.h"

class TWindowConst : public TZWindow {
public:
    static constexpr size_t MaxRows = 64;

    TWindowConst(TVisObject* owner, const std::string& section);
    void DrawContents() override;
    void Click(int32_t region, int32_t button) override;
    void Hover(int32_t region, uint8_t state, float x, float y) override;
    void OnClose() override;

    // Regions: 2i the slider area of row i, 2i + 1 the whole row, then Back.
    std::vector<int32_t> Rows;   // registry indexes
    int32_t BackRegion() const { return 2 * static_cast<int32_t>(Rows.size()); }
    bool RestartPending = false;
    int32_t DragRow = -1;   // the row whose slider is being dragged

    // True when the constant's slider is drawn and dragged.
    static bool HasSlider(int32_t c);
    // Slider position (0.4 .. 0.85) of value v of constant c.
    static float SliderX(int32_t c, float v);

    // Arms MIDI learn for constant c (an error line without MIDI input).
    void LearnMidi(int32_t c);

private:
    void Changed(int32_t c);
};
