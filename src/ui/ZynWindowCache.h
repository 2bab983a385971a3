// ZynWindowCache: TZWindowCache, a window's drawing kept as one picture while it stays the same.
//
// A window with much text over a large translucent body costs the software
// renderer a lot of fill every frame. Its drawing depends only on what it
// shows, so once that has stayed the same for a frame the cache draws it twice
// into the back buffer (over black and over white), reads both back and keeps
// the result as one premultiplied RGBA texture: colour = the picture over
// black, alpha = 1 - (over white - over black). Every following frame then
// blends that texture over the same pixel rectangle in a single pass, which
// gives the same pixels (within the 8-bit rounding of one more blend) as long
// as the drawing uses blend factors that do not read the destination.
// Whatever was under the rectangle is put back before the cached picture goes
// on, so building changes nothing but the cost of that frame.
// Depends on: app/ZynLog, OpenGL, GLU.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TZWindowCache {
public:
    TZWindowCache() = default;
    ~TZWindowCache();
    TZWindowCache(const TZWindowCache&) = delete;
    TZWindowCache& operator=(const TZWindowCache&) = delete;

    // Draws what draw() would, through the cache. key names everything the
    // drawing depends on besides the GL matrices and viewport; x1, y1 .. x2, y2
    // (current model-view units) bounds all it draws. A changed key is drawn
    // directly until it has stayed the same for SettleFrames frames: building
    // costs about two direct drawings, so output that keeps changing (a flood of
    // console lines, typing) never pays for it more than once in that time.
    void Draw(const std::string& key, const std::function<void()>& draw, float x1, float y1, float x2, float y2);

    static constexpr int32_t SettleFrames = 6;

    // How often the picture was built (a viewer of the cost, and tests).
    int32_t Builds() const { return BuildCount; }

private:
    struct TState {
        std::string Key;
        float ModelView[16] = {}, Projection[16] = {};
        int32_t Viewport[4] = {};
        int32_t Rect[4] = {};   // x, y, width, height in window pixels
        bool operator==(const TState& o) const;
    };
    bool Capture(TState& s, float x1, float y1, float x2, float y2) const;
    bool Build(const std::function<void()>& draw);
    void Blit() const;

    TState Built, Seen;
    int32_t SeenFrames = 0;   // frames that Seen has stayed the same
    bool Valid = false;
    bool Failed = false;   // a GL error while building: draw directly from then on
    uint32_t Texture = 0;
    int32_t TexWidth = 0, TexHeight = 0;
    int32_t BuildCount = 0;
    std::vector<uint8_t> Under, OverBlack, OverWhite;
};
