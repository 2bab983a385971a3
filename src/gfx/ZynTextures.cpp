// ZynTextures: loading, binding, editing and saving the numbered textures.
#include "gfx/ZynTextures.h"

#include "app/ZynLog.h"
#include "config/ZynConst.h"
#include "gfx/kvFont.h"
#include "gfx/kvTexBMP.h"
#include "gfx/kvTexCube.h"
#include "platform/ZynNumbers.h"
#include "platform/ZynPath.h"

#include <GL/gl.h>
#include <filesystem>

#include <cstring>

#include "app/ZynLoading.h"

static bool CubeMapEnabled() { return zcMAIN_CubeMap == 1; }
// The six faces were accepted: reflections use the cube map (else the sphere map).
static bool g_cubeMapReady = false;

// Every texture-number constant (name beginning with TEX) gets the range of
// valid texture numbers, so setting one through the registry is clamped.
static void LimitTextureConstants()
{
    for (int32_t i = 0; i < ConstCount(); i++) {
        TConstDef* row = ConstRow(i);
        if (!row || ZynUpper(row->Name).rfind("TEX", 0) != 0) continue;
        row->HasMin = true;
        row->Min = static_cast<float>(kZynTexMin);
        row->HasMax = true;
        row->Max = static_cast<float>(kZynTexMax);
    }
}

uint32_t FontTexture = 0;

const char* const tZynTextures::TextureNames[kZynTextures] = {
    "images\\Custom0.bmp", "images\\Custom1.bmp", "images\\Custom2.bmp", "images\\Custom3.bmp",
    "images\\Custom4.bmp", "images\\Custom5.bmp", "images\\Custom6.bmp", "images\\Custom7.bmp",
    "images\\FontS.tga",   "images\\FontL.tga",   "images\\Menu.tga",    "images\\Icon1.tga",
    "images\\CubeMap.tga", "images\\SnakeMap.tga", "images\\SunMap.tga", "images\\Particle.tga",
    "images\\Trail.tga",   "images\\Spark.tga",   "images\\Blur.tga",    "images\\Zy.tga",
    "images\\CubeSide.tga", "images\\Outdoor.tga", "images\\Tunnel.tga", "images\\Lines.tga",
};

const bool tZynTextures::TextureMipmaps[kZynTextures] = {
    true,  true, true,  true,  true, true, true, true,
    false, true, true,  false, true, true, true, true,
    true,  true, true,  true,  true, true, true, false,
};

// Read from the user's folder or the shipped default, written to the user's folder.
static std::string CustomPath(const char* stem, int n, ZynPlace place)
{
    return ZynPath("\\Images\\" + std::string(stem) + std::to_string(n) + ".bmp", place);
}

tZynTextures::tZynTextures()
{
    FontTexture = 0;
    g_cubeMapReady = false;
    ZynLogLine("LOADING TEXTURES");
    LoadMainTextures();
    LoadCustomTextures();
    if (CubeMapEnabled()) LoadCubeMap();
    LimitTextureConstants();
}

void tZynTextures::LoadMainTextures()
{
    ZynLogLine("MAIN TEXTURES");
    for (int number = 0; number < kZynTextures; number++) {
        const std::string name = TextureNames[number];
        if (number > 7) {
            TkvImage image = kvLoadTGA(ZynPath("\\" + name));
            Textures[number] = kvTextureRGBA(GL_TEXTURE_2D, image, TextureMipmaps[number], true);
            if (number == 8) FontTexture = Textures[number];
        }
        ZynCheckGL("tZynTextures.Create (tex)", number);
        ShowLoading("Texture \"" + name + "\"", (number + 1) / 24.0f);
    }
}

void tZynTextures::LoadCustomTextures()
{
    ZynLogLine("LOADING CUSTOM TEXTURES");
    for (int n = 0; n < kZynCustomTextures; n++) {
        ShowLoading("Custom Textures", (n + 1) / 8.0f);
        TkvImage colour = kvBMPLoad(CustomPath("Custom", n, ZynPlace::Data));
        TkvImage alpha = kvBMPLoad(CustomPath("CustomA", n, ZynPlace::Data));
        if (!colour.HasPixels()) continue;
        Custom[n] = alpha.HasPixels() ? kvMergeAlpha(colour, alpha) : std::move(colour);
        CustomTexToGL(n);
    }
}

void tZynTextures::LoadCubeMap()
{
    ZynLogLine("LOADING CUBEMAPS");
    TkvImage faces[6];
    for (int face = 0; face < 6; face++) {
        ShowLoading("CubeMaps", (face + 1) / 6.0f);
        faces[face] = kvLoadTGA(ZynPath("\\images\\" + kvCubeFaceFile(face)));
    }
    // A cube map needs six square faces of one size; anything else is refused
    // as a whole and the reflections use the sphere map.
    for (int face = 0; face < 6; face++) {
        const TkvImage& f = faces[face];
        if (f.HasPixels() && f.Width == f.Height && f.Width == faces[0].Width) continue;
        if (!f.HasPixels()) {   // the loader has said why
            ZynLogLine("tZynTextures.Create (cube) - cube-map face " + kvCubeFaceFile(face) +
                       " missing: the sphere map is used instead");
            return;
        }
        ZynLogError("tZynTextures.Create (cube) - cube-map face " + kvCubeFaceFile(face) + " is " +
                    std::to_string(f.Width) + "x" + std::to_string(f.Height) +
                    ": the faces must be square and of one size; the sphere map is used instead");
        return;
    }
    for (int face = 0; face < 6; face++) {
        // The faces fill the default cube-map texture; the generated names are
        // kept only so that they are released again.
        CubeFaces[face] = kvTextureRGBA(kvCubeFaceTarget(face), faces[face], true, true);
        ZynCheckGL("tZynTextures.Create (cube)", 0);
    }
    g_cubeMapReady = true;
}

tZynTextures::~tZynTextures()
{
    try {
        if (SaveOnExit) SaveCustomTextures();
    } catch (...) {
        ZynLogError("tZynTextures.Destroy - custom textures not saved");
    }
    ZynLogLine("UNLOADING TEXTURES");
    for (uint32_t& t : SpecialStore) {
        kvDeleteTexture(t);
        t = 0;
    }
    for (int number = 0; number < kZynTextures; number++) {
        kvDeleteTexture(Textures[number]);
        Textures[number] = 0;
        ZynCheckGL("tZynTextures.Destroy (tex)", number);
    }
    if (CubeMapEnabled()) {
        for (uint32_t& t : CubeFaces) {
            kvDeleteTexture(t);
            t = 0;
            ZynCheckGL("tZynTextures.Create (cubemap)", 0);
        }
    }
    FontTexture = 0;
    g_cubeMapReady = false;
}

void tZynTextures::SaveCustomTextures()
{
    ZynLogLine("FREEING CUSTOM TEXTURES");
    // A base folder copied without its Images folder still gets the user's pictures back.
    std::error_code ec;
    std::filesystem::create_directories(ZynPath("\\Images", ZynPlace::User), ec);
    for (int n = 0; n < kZynCustomTextures; n++) {
        if (!Custom[n].HasPixels()) continue;
        TkvImage colour, alpha;
        kvSplitAlpha(Custom[n], colour, alpha);
        kvBMPSave(colour, CustomPath("Custom", n, ZynPlace::User));
        kvBMPSave(alpha, CustomPath("CustomA", n, ZynPlace::User));
        kvFreeImage(Custom[n]);
    }
}

void tZynTextures::Bind(int32_t number)
{
    if (number >= 0 && number <= kZynTexMax) {
        BindMain(static_cast<uint8_t>(number));
    } else if (number >= kZynTexMin && number <= -1) {
        glBindTexture(GL_TEXTURE_2D, Special[-number - 1]);
        glEnable(GL_TEXTURE_2D);
    }
}

void tZynTextures::BindMain(uint8_t number)
{
    if (number > kZynTexMax) return;
    glBindTexture(GL_TEXTURE_2D, Textures[number]);
    glEnable(GL_TEXTURE_2D);
}

bool tZynTextures::CheckCustom(const char* where, int32_t n)
{
    if (n >= 0 && n < kZynCustomTextures) return true;
    ZynLogError(std::string(where) + " - texture number out of range - " + std::to_string(n));
    return false;
}

void tZynTextures::CustomTexLine(int32_t n, int32_t start, const uint32_t* pixels, int32_t count)
{
    if (!CheckCustom("ZynTextures.CustomTexLine", n)) return;
    TkvImage& image = Custom[n];
    if (!image.HasPixels()) {
        ZynLogError("ZynTextures.CustomTexLine - texture has no image - " + std::to_string(n));
        return;
    }
    if (start < 0) {
        ZynLogError("ZynTextures.CustomTexLine - start pixel out of range - " + std::to_string(start));
        return;
    }
    size_t total = image.Pixels.size() / 4;
    if (!pixels || count <= 0 || static_cast<size_t>(start) >= total) return;
    size_t copy = std::min(static_cast<size_t>(count), total - static_cast<size_t>(start));
    for (size_t i = 0; i < copy; i++) {
        uint32_t v = pixels[i];
        uint8_t* d = image.At(static_cast<size_t>(start) + i);
        d[0] = static_cast<uint8_t>(v);
        d[1] = static_cast<uint8_t>(v >> 8);
        d[2] = static_cast<uint8_t>(v >> 16);
        d[3] = static_cast<uint8_t>(v >> 24);
    }
}

void tZynTextures::CustomTexToGL(int32_t n)
{
    if (!CheckCustom("tZynTextures.CustomTexToGL", n)) return;
    ZynLogLine("tZynTextures.CustomTexToGL - Loading " + std::to_string(n));
    if (Custom[n].HasPixels()) {
        kvDeleteTexture(Textures[n]);
        Textures[n] = kvTextureRGBA(GL_TEXTURE_2D, Custom[n], true, false);
    }
    ZynCheckGL("tZynTextures.CustomTexToGL", n);
}

bool tZynTextures::CustomTexSize(int32_t n, int32_t width, int32_t height)
{
    if (!CheckCustom("tZynTextures.CustomTexSize", n)) return false;
    int32_t limit = kvMaxTextureSize();
    if (limit <= 0 || limit > static_cast<int32_t>(kvMaxImageSide)) limit = kvMaxImageSide;
    if (width < 1 || height < 1 || width > limit || height > limit) {
        ZynLogError("tZynTextures.CustomTexSize - size out of range - " + std::to_string(width) + "x" +
                    std::to_string(height));
        return false;
    }
    TkvImage& image = Custom[n];
    if (image.HasPixels()) {
        kvStretchImage(static_cast<uint32_t>(width), static_cast<uint32_t>(height), image);
    } else {
        image = kvNewImage(static_cast<uint32_t>(width), static_cast<uint32_t>(height));
    }
    return image.HasPixels();
}

bool tZynTextures::CustomTexReplace(int32_t n, TkvImage image)
{
    if (!CheckCustom("tZynTextures.CustomTexReplace", n)) return false;
    Custom[n] = std::move(image);
    CustomTexToGL(n);
    return Custom[n].HasPixels();
}

void tZynTextures::TemporaryResize(int32_t width, int32_t height)
{
    ZynLogLine("TZynTextures:TEMPORARY TEXTURE RESIZE (" + std::to_string(width) + "x" + std::to_string(height) + ")");
    for (uint32_t& t : SpecialStore) {
        kvDeleteTexture(t);
        t = 0;
    }
    // The slots may show those stores: they stay empty until rendered again
    // rather than bind a deleted (or meanwhile reused) texture name.
    for (uint32_t& t : Special) t = 0;
}

TZynTileUV ZynTileUV(int32_t index, int32_t columns, int32_t rows)
{
    TZynTileUV uv{0, 0, 0, 0};
    if (columns <= 0 || rows <= 0) return uv;
    int32_t column = index % columns;
    int32_t row = index / columns;
    uv.u0 = static_cast<float>(column) / columns + 0.0025f;
    uv.u1 = uv.u0 + 1.0f / columns - 0.0025f;
    uv.vTop = 1.0f - (static_cast<float>(row) / rows + 0.0025f);
    uv.vBottom = uv.vTop - (1.0f / rows - 0.0025f);
    return uv;
}

void tZynTextures::DrawTile(int32_t index, int32_t columns, int32_t rows, float y1, float x2, float y2, float x1)
{
    TZynTileUV t = ZynTileUV(index, columns, rows);
    glBegin(GL_QUADS);
    glTexCoord2f(t.u0, t.vTop);    glVertex2f(x1, y2);
    glTexCoord2f(t.u1, t.vTop);    glVertex2f(x2, y2);
    glTexCoord2f(t.u1, t.vBottom); glVertex2f(x2, y1);
    glTexCoord2f(t.u0, t.vBottom); glVertex2f(x1, y1);
    glEnd();
}

void tZynTextures::DrawTileTurned(int32_t index, int32_t columns, int32_t rows, float y1, float x2, float y2, float x1)
{
    TZynTileUV t = ZynTileUV(index, columns, rows);
    glBegin(GL_QUADS);
    glTexCoord2f(t.u0, t.vTop);    glVertex2f(x1, y2);
    glTexCoord2f(t.u0, t.vBottom); glVertex2f(x2, y2);
    glTexCoord2f(t.u1, t.vBottom); glVertex2f(x2, y1);
    glTexCoord2f(t.u1, t.vTop);    glVertex2f(x1, y1);
    glEnd();
}

std::string ZynScreenshotFileName()
{
    // The pictures folder (installed mode) is made on the first screenshot only.
    std::error_code ec;
    std::filesystem::create_directories(ZynPath("", ZynPlace::Pictures), ec);
    return kvUniqueFileName(ZynPath("\\Screenshot", ZynPlace::Pictures), ".bmp");
}

bool ZynSaveViewportBMP(const std::string& fileName)
{
    GLint vp[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, vp);
    return kvSaveScreenBMP(vp[0], vp[1], vp[2], vp[3], fileName);
}

void ZynBeginEnvMap(tZynTextures* textures)
{
    if (zcMAIN_CubeMap == 1 && g_cubeMapReady) {
        EnableCubeMap();
        return;
    }
    if (textures) textures->BindMain(12);
    glEnable(GL_TEXTURE_2D);
    kvSphereMapOn();
}

void ZynEndEnvMap()
{
    if (zcMAIN_CubeMap == 1 && g_cubeMapReady) DisableCubeMap();
    else kvSphereMapOff();
}
