// ZynWindow: TZWindow, the base of every in-picture window.
//
// A window has a placement (offset and alignment inside the interface area),
// a size in window units (one unit is 2 x Scale interface units), a visibility
// that drives its alpha and show/hide animation, and hit regions with hint
// texts. The base turns mouse events into hover, click and move calls (a click
// is a release over the region where the press happened) and draws the frame:
// skin tiles around the body, the title and the hint of the region under the
// mouse. Interface coordinates: x from 0 (left) to 2 x Aspect, y from 0 (top)
// to 2 (bottom); each window draws with its top-left corner as origin.
// Depends on: gfx/ZynTextures (skin, font and icon textures), gfx/kvFont,
// engine/ZynVis (owner), ui/ZynUI (closing on outside clicks), ui/ZynWindowCache, OpenGL.
#pragma once

#include "ui/ZynWindowCache.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TVisObject;

// Texture numbers of the interface pictures.
constexpr int32_t ZynTexFontSmall = 8;
constexpr int32_t ZynTexFontLarge = 9;
constexpr int32_t ZynTexSkin = 10;
constexpr int32_t ZynTexIcons = 11;

// Mouse buttons as the window layer numbers them.
enum : int32_t { ZynMouseMove = 0, ZynMouseLeft = 1, ZynMouseRight = 2, ZynMouseMiddle = 3 };

struct TZRegion {
    float X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    std::string Hint;
};

class TZWindow {
public:
    explicit TZWindow(TVisObject* owner) : Owner(owner) {}
    virtual ~TZWindow() = default;
    TZWindow(const TZWindow&) = delete;
    TZWindow& operator=(const TZWindow&) = delete;

    // Draws the window's contents (window units, origin top-left); the base draws the frame.
    virtual void DrawContents();
    virtual void MouseMove(float x, float y) {}
    // A click (button 1 left, 2 right, 3 middle) or, with button 0, a move over region.
    virtual void Click(int32_t region, int32_t button) {}
    virtual void Hover(int32_t region, uint8_t state, float x, float y) {}
    virtual void Key(bool pressed, int32_t code, bool isVirtualKey) {}
    // Called when the window is closed or replaced.
    virtual void OnClose() {}
    // Everything DrawContents depends on, for a window that sets Cache; a
    // window that adds to it extends the base's key.
    virtual std::string CacheKey() const;

    // A mouse event at interface position x, y (see the module comment).
    void HandleMouse(int32_t button, bool pressed, uint8_t state, float x, float y);
    // Computes the screen position for the interface aspect.
    void Place(float aspect);
    // Places and, when visible, draws the window with the current matrices saved.
    void Draw(float aspect);

    // Region i (the list grows to hold it).
    void SetRegion(int32_t i, float x1, float y1, float x2, float y2, const std::string& hint = "");
    int32_t RegionCount() const { return static_cast<int32_t>(Regions.size()); }
    // The first region holding the point, -1 if none.
    int32_t HitRegion(float x, float y) const;
    // Entry k of an icon grid with row pitch p as region i.
    void SetGridRegion(int32_t i, int32_t k, float pitch, const std::string& hint);
    // The "Back" entry in the bottom-right corner, from y1 to y2, as region i.
    void SetBackRegion(int32_t i, float y1, float y2);
    // Icon of the icon texture (8 x 8) over region, in the glow colour.
    void DrawIcon(int32_t region, int32_t icon);
    // Tile of the bound texture's 8 x 8 grid over region i.
    void DrawRegionTile(int32_t i, int32_t tile);
    // Tile of a columns x rows grid (rows from the top) over a rectangle, y down.
    static void DrawTileRect(int32_t tile, int32_t columns, int32_t rows, float x1, float y1, float x2, float y2);

    void SetAlphaColour(float r, float g, float b, float a);
    void SetGlowColour();
    void BindTexture(int32_t n);
    void DrawTextLine(int32_t align, const std::string& text, float size, float width, float y, float x, float r,
                      float g, float b, float a);
    void DrawPanel(float x1, float y1, float x2, float y2);
    // A vertical scroll bar over region i with its knob at fraction (0 top, 1 bottom).
    void DrawScrollBar(int32_t i, float fraction);
    // The interface the window lives in (nullptr without one).
    class TZynUI* UI() const;

    TVisObject* Owner;
    float X = 0, Y = 0;
    uint8_t HAlign = 1, VAlign = 1;
    float ScreenX = 0, ScreenY = 0;
    float Width = 1, Height = 1;
    float Visibility = 0;
    float Scale = 0.7f;
    std::string Title = "No Title";
    float LocalX = 0, LocalY = 0;
    float RawX = 0, RawY = 0;
    std::vector<TZRegion> Regions;
    int32_t PressedRegion = -1;
    std::string Hint;
    bool CloseOnOutsideClick = true;
    // Set by windows whose drawing is costly and changes rarely (see ZynWindowCache).
    std::unique_ptr<TZWindowCache> Cache;
};
