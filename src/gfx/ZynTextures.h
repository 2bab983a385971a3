// ZynTextures: tZynTextures, the numbered textures the program draws with.
//
// Numbers 0..7 are the editable custom images (Images\Custom<n>.bmp plus an
// optional alpha image Images\CustomA<n>.bmp, written back at exit), 8..23 the
// fixed pictures shipped in the images folder, -1..-4 the special
// render-to-texture slots filled by scene combinations. The optional six-face
// cube map fills the default cube-map texture. One instance exists while the
// user interface exists; everything runs with the GL context current.
// Depends on: gfx/kvTex, gfx/kvTexBMP, gfx/kvTexCube, gfx/kvFont, app/ZynLog, app/ZynLoading
// (loading screen), config (MAIN.CubeMap, the TEX constants' limits), OpenGL.
#pragma once

#include "gfx/kvTex.h"

#include <cstdint>
#include <string>

constexpr int kZynCustomTextures = 8;
constexpr int kZynTextures = 24;
constexpr int kZynSpecialTextures = 4;
constexpr int32_t kZynTexMin = -4;   // lowest valid texture number
constexpr int32_t kZynTexMax = 23;   // highest valid texture number

class tZynTextures {
public:
    tZynTextures();    // loads everything
    ~tZynTextures();   // saves the custom images (unless SaveOnExit is off), frees all textures
    // Off for runs that must leave the user's files alone (an offline render).
    static inline bool SaveOnExit = true;
    tZynTextures(const tZynTextures&) = delete;
    tZynTextures& operator=(const tZynTextures&) = delete;

    uint32_t Textures[kZynTextures] = {};
    uint32_t CubeFaces[6] = {};
    uint32_t Special[kZynSpecialTextures] = {};
    uint32_t SpecialStore[kZynSpecialTextures] = {};
    TkvImage Custom[kZynCustomTextures];

    // 0..23: BindMain; -4..-1: special slot; anything else binds nothing.
    void Bind(int32_t number);
    void BindMain(uint8_t number);

    // Copies up to count 32-bit pixels into custom image n from pixel index
    // start on (row-major from the first stored row), stopping at its last
    // pixel. A value's bytes go in memory order: lowest byte R, then G, B, A.
    void CustomTexLine(int32_t n, int32_t start, const uint32_t* pixels, int32_t count);
    // Uploads custom image n (mipmapped) to texture n, freeing the old texture.
    void CustomTexToGL(int32_t n);
    // Resizes custom image n: stretched when it has pixels, else a new zero-filled
    // image. False (with an error line) for a bad number or size.
    bool CustomTexSize(int32_t n, int32_t width, int32_t height);
    // Replaces custom image n by image (which may be empty) and uploads it.
    bool CustomTexReplace(int32_t n, TkvImage image);

    // Drops the special store textures so the next render-to-texture recreates them.
    void TemporaryResize(int32_t width, int32_t height);

    // One tile of a columns x rows atlas (rows counted from the top) as a quad.
    static void DrawTile(int32_t index, int32_t columns, int32_t rows, float y1, float x2, float y2, float x1);
    // The same quad with the tile's texture axes swapped.
    static void DrawTileTurned(int32_t index, int32_t columns, int32_t rows, float y1, float x2, float y2, float x1);

    // File names by number ("images\FontS.tga"; 0..7 only label the loading screen).
    static const char* const TextureNames[kZynTextures];
    static const bool TextureMipmaps[kZynTextures];

private:
    void LoadMainTextures();
    void LoadCustomTextures();
    void LoadCubeMap();
    void SaveCustomTextures();
    bool CheckCustom(const char* where, int32_t n);
};

// The GL name of texture 8 (the small font) once loaded, 0 before: the loading
// screen prints its text only when this is set.
extern uint32_t FontTexture;


// Screenshots: the next free BaseDir\Screenshot0000.bmp .. 9999 (the last one is
// reused when all exist), and the current viewport written to a BMP file.
// ZynSaveViewportBMP returns false (after a library error line) when the file
// cannot be written, so the caller can report the failure.
std::string ZynScreenshotFileName();
bool ZynSaveViewportBMP(const std::string& fileName);

// Reflection mapping for scenes and faders: the cube map when MAIN.CubeMap is
// 1, otherwise texture 12 as a sphere map (bound only with a texture manager).
// ZynEndEnvMap turns off whichever ZynBeginEnvMap turned on.
void ZynBeginEnvMap(tZynTextures* textures);
void ZynEndEnvMap();

// Tile texture coordinates of DrawTile (GL-free, for tests and other atlases).
struct TZynTileUV {
    float u0, u1, vTop, vBottom;
};
TZynTileUV ZynTileUV(int32_t index, int32_t columns, int32_t rows);
