// ZynGamma: the beat strobe that flashes the picture to negative on sudden rises of a spectrum band.
//
// Every frame the band GAMMA.SLow..GAMMA.SHigh is compared with a slowly
// adapting average; a jump of more than GAMMA.Triggerpt inverts that one
// frame, either with a drawn inverting rectangle (GAMMA.On 1) or with the
// display's gamma ramp (GAMMA.On 2, full screen only). The display's own ramp
// is read once, never while inverted, and written back whenever the window
// goes away or loses the focus, so the desktop is never left inverted. Where
// the ramp is refused (a window, no focus, a system without ramps, headless)
// mode 2 draws the strobe instead and says so once in the log.
// Depends on: audio/ZynVisData, config/ZynConstDef, app/TGLWindow, app/ZynLog, OpenGL.
#pragma once

#include "audio/ZynVisData.h"

#include <cstdint>

// Where the hardware ramp lives: the GL window in the program, a fake in tests.
class TGammaDisplay {
public:
    virtual ~TGammaDisplay() = default;
    // 256 entries per channel; false where the system refuses.
    virtual bool GetRamp(uint16_t* red, uint16_t* green, uint16_t* blue) = 0;
    virtual bool SetRamp(const uint16_t* red, const uint16_t* green, const uint16_t* blue) = 0;
    // The window really is full screen (not just asked to be).
    virtual bool IsFullscreen() = 0;
};

// Installs the display (not owned); nullptr: the GL window.
void GammaSetDisplay(TGammaDisplay* display);

// Reads the display's ramp unless one is saved already or the ramp is inverted.
void SaveGammaRamp();
// Writes the saved ramp back (shut-down, window teardown, focus loss).
void RestoreGammaRamp();
// Writes a ramp of slope r, g, b per channel (256: linear, -256: inverted).
bool SetGammaSlopes(int32_t r, int32_t g, int32_t b);
// The per-frame step, after the scenes and announcements.
void GammaFrame(const TVisData& visData, float dt);
// Replaces every pixel of the frame buffer by its complement.
void InvertPicture();

// One channel of the ramp SetGammaSlopes writes.
void GammaSlopeTable(int32_t slope, uint16_t* table);
// Mean spectrum level of the band GAMMA.SLow..GAMMA.SHigh (clamped to the spectrum).
float GammaBandLevel(const TVisData& visData);

// Process state, for the window layer and tests.
bool GammaRampSaved();
bool GammaFlipped();
float GammaAverage();
// Back to the start state (nothing saved, average 0); writes nothing.
void GammaReset();
