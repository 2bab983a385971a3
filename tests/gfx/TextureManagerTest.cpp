// GL tests of the texture utilities, screenshots and the texture manager (offscreen context).
#include "app/ZynLoading.h"
#include "app/ZynLog.h"
#include "app/ZynOffscreenGL.h"
#include "config/ZynConst.h"
#include "gfx/ZynTextures.h"
#include "gfx/kvTexBMP.h"
#include "gfx/kvTexCube.h"
#include "platform/ZynPath.h"
#include "GfxTestUtil.h"

#include <GL/gl.h>

#include <set>

using namespace gfxtest;

namespace {

class GLContext : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(ZynOffscreenGL::Create(640, 480)) << ZynOffscreenGL::LastError(); }
    static void TearDownTestSuite() { ZynOffscreenGL::Destroy(); }
    void SetUp() override
    {
        ASSERT_TRUE(ZynOffscreenGL::Exists());
        glViewport(0, 0, 640, 480);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_TEXTURE_2D);
        while (glGetError() != GL_NO_ERROR) {}
    }
};

// Both the library lines and the program log lines, in order.
struct AllLines {
    AllLines()
    {
        kvLogSetSink([this](const std::string& s) { lines.push_back(s); });
        ZynLogSetConsoleSink([this](const std::string& s) { lines.push_back(s); });
    }
    ~AllLines()
    {
        kvLogSetSink(nullptr);
        ZynLogSetConsoleSink(nullptr);
    }
    bool Has(const std::string& s) const { return std::find(lines.begin(), lines.end(), s) != lines.end(); }
    std::vector<std::string> lines;
};

// Texture level 0 as RGBA bytes.
std::vector<uint8_t> ReadTexture(uint32_t name, int& w, int& h)
{
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    std::vector<uint8_t> px(static_cast<size_t>(w) * h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (!px.empty()) glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    return px;
}

// A base folder holding a copy of the generated images (custom images get written back there).
struct BaseFolder {
    BaseFolder(bool withRuntimeImages)
    {
        old = ZynBaseDir();
        std::filesystem::create_directories(dir.Path() + "/Images");
        if (withRuntimeImages)
            std::filesystem::copy(std::string(ZYN_RUNTIME_DIR) + "/Images", dir.Path() + "/Images",
                                  std::filesystem::copy_options::overwrite_existing | std::filesystem::copy_options::recursive);
        ZynSetBaseDir(dir.Path());
    }
    ~BaseFolder() { ZynSetBaseDir(old); }
    std::string Images(const std::string& name) const { return dir.Path() + "/Images/" + name; }
    ScratchDir dir;
    std::string old;
};

TkvImage Solid(int w, int h, uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    TkvImage img = kvNewImage(w, h);
    for (int i = 0; i < w * h; i++) {
        uint8_t* p = img.At(i);
        p[0] = r; p[1] = g; p[2] = b; p[3] = a;
    }
    return img;
}

}  // namespace

TEST_F(GLContext, ScreenshotOfTheWindowIsAFullBmpWithTheDrawnPixels)
{
    ScratchDir dir;
    AllLines log;
    glClearColor(1, 0, 0, 1);   // red everywhere
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3ub(0, 255, 0);      // green left half
    glRectf(-1, -1, 0, 1);
    glColor3ub(0, 0, 255);      // blue 10x10 square at the bottom-left corner
    glRectf(-1, -1, -1 + 20.0f / 640, -1 + 20.0f / 480);
    glFinish();
    std::string first = kvUniqueFileName(dir.File("Screenshot"), ".bmp");
    EXPECT_EQ(first, dir.File("Screenshot0000.bmp"));
    ASSERT_TRUE(kvSaveScreenBMP(0, 0, 640, 480, first));
    EXPECT_TRUE(log.Has("KVTEX (kvSaveScreenBMP) - Saving Screen area to disk"));
    auto bytes = ReadBytes(first);
    ASSERT_EQ(bytes.size(), 921654u);
    EXPECT_EQ(Le32(bytes, 2), 921654u);
    EXPECT_EQ(Le32(bytes, 10), 54u);
    EXPECT_EQ(Le32(bytes, 18), 640u);
    EXPECT_EQ(Le32(bytes, 22), 480u);
    EXPECT_EQ(bytes[28], 24);
    auto pixel = [&](int x, int y) {   // y from the bottom, as stored
        size_t at = 54 + (static_cast<size_t>(y) * 640 + x) * 3;
        return std::vector<int>{bytes[at + 2], bytes[at + 1], bytes[at]};   // R G B
    };
    EXPECT_EQ(pixel(0, 0), (std::vector<int>{0, 0, 255}));
    EXPECT_EQ(pixel(9, 9), (std::vector<int>{0, 0, 255}));
    EXPECT_EQ(pixel(15, 15), (std::vector<int>{0, 255, 0}));
    EXPECT_EQ(pixel(100, 400), (std::vector<int>{0, 255, 0}));
    EXPECT_EQ(pixel(500, 100), (std::vector<int>{255, 0, 0}));
    EXPECT_EQ(pixel(639, 479), (std::vector<int>{255, 0, 0}));
    // The reader gets the same picture back.
    TkvImage back = kvBMPLoad(first);
    ASSERT_EQ(back.Width, 640);
    EXPECT_EQ(back.At(0)[2], 255);
    EXPECT_EQ(back.At(479 * 640 + 639)[0], 255);

    std::string second = kvUniqueFileName(dir.File("Screenshot"), ".bmp");
    EXPECT_EQ(second, dir.File("Screenshot0001.bmp"));
    ASSERT_TRUE(kvSaveScreenBMP(0, 0, 640, 480, second));
    EXPECT_EQ(ReadBytes(second), bytes);

    // An odd-width area is read with byte packing (no skewed rows).
    ASSERT_TRUE(kvSaveScreenBMP(319, 0, 3, 2, dir.File("odd.bmp")));
    TkvImage odd = kvBMPLoad(dir.File("odd.bmp"));
    ASSERT_EQ(odd.Size, 3 * 2 * 4);
    EXPECT_EQ(odd.At(0)[1], 255);   // x 319: green
    EXPECT_EQ(odd.At(1)[0], 255);   // x 320: red
    EXPECT_EQ(odd.At(4)[0], 255);   // second row, x 320

    // Failure is reported, not hidden.
    EXPECT_FALSE(kvSaveScreenBMP(0, 0, 4, 4, dir.File("missing/dir/s.bmp")));
}

TEST_F(GLContext, TextureFromImageDrawsItsPixels)
{
    AllLines log;
    TkvImage img = kvNewImage(2, 2);
    const uint8_t colours[4][4] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}};
    for (int i = 0; i < 4; i++) memcpy(img.At(i), colours[i], 4);
    uint32_t name = kvTextureRGBA(GL_TEXTURE_2D, img, false, false);
    ASSERT_NE(name, 0u);
    EXPECT_TRUE(img.HasPixels());
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<uint32_t>(bound), name);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLint minFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(minFilter, GL_LINEAR);
    // First stored row is t = 0: the bottom of the screen quad.
    glColor4f(1, 1, 1, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    kvDrawScreenQuad();
    uint8_t px[4];
    glReadPixels(10, 10, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    EXPECT_EQ(px[0], 255);
    EXPECT_EQ(px[1], 0);
    glReadPixels(630, 470, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    EXPECT_EQ(px[0], 255);
    EXPECT_EQ(px[1], 255);
    EXPECT_EQ(px[2], 255);
    glReadPixels(10, 470, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    EXPECT_EQ(px[2], 255);
    EXPECT_EQ(px[0], 0);
    kvDeleteTexture(name);
    EXPECT_FALSE(glIsTexture(name));

    uint32_t mip = kvTextureRGBA(GL_TEXTURE_2D, img, true, true);
    EXPECT_NE(mip, 0u);
    EXPECT_FALSE(img.HasPixels());
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);
    kvDeleteTexture(mip);

    TkvImage none;
    EXPECT_EQ(kvTextureRGBA(GL_TEXTURE_2D, none, true, false), 0u);
    EXPECT_TRUE(log.Has("KVTEX (kvTextureRGBA) - texture pointer NIL"));
    kvUnbindTexture();
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
    EXPECT_TRUE(ZynCheckGL("TextureFromImage", 0));
}

TEST_F(GLContext, OversizedImageIsUploadedShrunkAndKept)
{
    AllLines log;
    int32_t limit = kvMaxTextureSize();
    ASSERT_GT(limit, 0);
    TkvImage img = Solid(limit * 2, 2, 10, 20, 30, 255);
    ASSERT_TRUE(img.HasPixels());
    uint32_t name = kvTextureRGBA(GL_TEXTURE_2D, img, false, false);
    ASSERT_NE(name, 0u);
    EXPECT_EQ(img.Width, limit * 2);   // the caller's image is untouched
    int w = 0, h = 0;
    auto px = ReadTexture(name, w, h);
    EXPECT_EQ(w, limit);
    EXPECT_EQ(h, 2);
    EXPECT_EQ(px[1], 20);
    kvDeleteTexture(name);
    EXPECT_TRUE(ZynCheckGL("Oversized", 0));
}

TEST_F(GLContext, ReflectionSwitches)
{
    EXPECT_TRUE(HasCubeMap());
    EXPECT_TRUE(kvExtensionsHaveCubeMap("GL_ARB_foo gl_ext_texture_cube_map GL_bar"));
    EXPECT_FALSE(kvExtensionsHaveCubeMap("GL_ARB_texture_cube_map"));
    EnableCubeMap();
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_CUBE_MAP));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_GEN_R));
    GLint mode = 0;
    glGetTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &mode);
    EXPECT_EQ(mode, GL_REFLECTION_MAP);
    DisableCubeMap();
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_CUBE_MAP));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
    kvSphereMapOn();
    glGetTexGeniv(GL_T, GL_TEXTURE_GEN_MODE, &mode);
    EXPECT_EQ(mode, GL_SPHERE_MAP);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_GEN_T));
    kvSphereMapOff();
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_T));
    EXPECT_FALSE(GLString(GL_VERSION).empty());
    EXPECT_EQ(kvCubeFaceTarget(3), static_cast<uint32_t>(GL_TEXTURE_CUBE_MAP_NEGATIVE_Y));
    EXPECT_EQ(kvCubeFaceFile(5), "cm_5.tga");
}

TEST_F(GLContext, ManagerLoadsEveryShippedPicture)
{
    BaseFolder base(true);
    AllLines log;
    int32_t oldCube = zcMAIN_CubeMap;
    zcMAIN_CubeMap = 1;
    {
        tZynTextures tex;
        EXPECT_TRUE(log.Has("LOADING TEXTURES"));
        EXPECT_TRUE(log.Has("MAIN TEXTURES"));
        EXPECT_TRUE(log.Has("LOADING CUSTOM TEXTURES"));
        EXPECT_TRUE(log.Has("LOADING CUBEMAPS"));
        EXPECT_EQ(FontTexture, tex.Textures[8]);
        std::set<uint32_t> names;
        for (int n = 8; n < 24; n++) {
            ASSERT_NE(tex.Textures[n], 0u) << n;
            names.insert(tex.Textures[n]);
            int w = 0, h = 0;
            auto px = ReadTexture(tex.Textures[n], w, h);
            EXPECT_GE(w, 64) << n;
            EXPECT_GE(h, 32) << n;
            EXPECT_EQ(w & (w - 1), 0) << n;
            std::set<uint32_t> distinct;
            for (size_t i = 0; i + 3 < px.size() && distinct.size() < 16; i += 4 * 7)
                distinct.insert(px[i] | (px[i + 1] << 8) | (px[i + 2] << 16) | (static_cast<uint32_t>(px[i + 3]) << 24));
            EXPECT_GE(distinct.size(), 16u) << "texture " << n << " is (almost) uniform";
        }
        EXPECT_EQ(names.size(), 16u);
        // The shipped logo is custom image 0, with its alpha image merged in.
        ASSERT_TRUE(tex.Custom[0].HasPixels());
        EXPECT_NE(tex.Textures[0], 0u);
        bool clear = false, solid = false;
        for (int i = 0; i < tex.Custom[0].Width * tex.Custom[0].Height; i++) {
            clear |= tex.Custom[0].At(i)[3] == 0;
            solid |= tex.Custom[0].At(i)[3] > 200;
        }
        EXPECT_TRUE(clear && solid);
        for (int n = 1; n < 8; n++) EXPECT_EQ(tex.Textures[n], 0u) << n;
        for (int f = 0; f < 6; f++) EXPECT_NE(tex.CubeFaces[f], 0u);
        // The faces filled the default cube-map texture.
        GLint faceSize = 0;
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
        glGetTexLevelParameteriv(GL_TEXTURE_CUBE_MAP_NEGATIVE_Z, 0, GL_TEXTURE_WIDTH, &faceSize);
        EXPECT_EQ(faceSize, 256);
        // Font glyph 'A' (code 65): cell column 1, row 4 from the top has ink; cell of code 127 is empty.
        int w = 0, h = 0;
        auto font = ReadTexture(tex.Textures[8], w, h);
        auto cellInk = [&](int code) {
            int cw = w / 16, ch = h / 16, col = code % 16, rowFromBottom = 15 - code / 16;
            int ink = 0;
            for (int y = rowFromBottom * ch; y < (rowFromBottom + 1) * ch; y++)
                for (int x = col * cw; x < (col + 1) * cw; x++) ink += font[(static_cast<size_t>(y) * w + x) * 4 + 3] > 128;
            return ink;
        };
        EXPECT_GT(cellInk('A'), 10);
        EXPECT_GT(cellInk('g'), 10);
        EXPECT_EQ(cellInk(127), 0);
        EXPECT_TRUE(ZynCheckGL("ManagerLoads", 0));
    }
    EXPECT_EQ(FontTexture, 0u);
    EXPECT_TRUE(log.Has("FREEING CUSTOM TEXTURES"));
    EXPECT_TRUE(log.Has("UNLOADING TEXTURES"));
    // Custom 0 went back to disk, still readable, nothing else was written.
    EXPECT_TRUE(kvBMPLoad(base.Images("Custom0.bmp")).HasPixels());
    EXPECT_TRUE(kvBMPLoad(base.Images("CustomA0.bmp")).HasPixels());
    EXPECT_FALSE(ZynFileExists(base.Images("Custom1.bmp")));
    zcMAIN_CubeMap = oldCube;
}

TEST_F(GLContext, ManagerSurvivesBadAndMissingFiles)
{
    BaseFolder base(true);
    // A 100x100 TGA in place of the tunnel wall, a BMP with its size field off by one as custom 1,
    // a 64x64 colour image with a 32x32 alpha image as custom 2.
    WriteBytes(base.Images("Tunnel.tga"), MakeTGA(100, 100, 32));
    {
        AllLines quiet;
        TkvImage c = Solid(64, 64, 1, 2, 3, 255);
        ASSERT_TRUE(kvBMPSave(c, base.Images("Custom1.bmp")));
        ASSERT_TRUE(kvBMPSave(c, base.Images("Custom2.bmp")));
        ASSERT_TRUE(kvBMPSave(Solid(32, 32, 9, 9, 9, 255), base.Images("CustomA2.bmp")));
    }
    auto bad = ReadBytes(base.Images("Custom1.bmp"));
    Put32(bad, 2, Le32(bad, 2) + 1);
    WriteBytes(base.Images("Custom1.bmp"), bad);
    std::filesystem::remove(base.Images("Particle.tga"));
    AllLines log;
    int32_t oldCube = zcMAIN_CubeMap;
    zcMAIN_CubeMap = 0;
    {
        tZynTextures tex;
        EXPECT_TRUE(log.Has("KVTEX ERROR (kvLoadTGA) - Image file not correct size"));
        EXPECT_TRUE(log.Has("KVTEXBMP ERROR (kvBMPLoad) - Bitmap file wrong size"));
        EXPECT_TRUE(log.Has("KVTEX ERROR (kvLoadTGA) - Couldn't load file"));
        EXPECT_FALSE(log.Has("LOADING CUBEMAPS"));
        EXPECT_EQ(tex.Textures[22], 0u);
        EXPECT_EQ(tex.Textures[15], 0u);
        EXPECT_NE(tex.Textures[21], 0u);
        EXPECT_EQ(tex.Textures[1], 0u);
        EXPECT_FALSE(tex.Custom[2].HasPixels());
        EXPECT_EQ(tex.Textures[2], 0u);
        for (int f = 0; f < 6; f++) EXPECT_EQ(tex.CubeFaces[f], 0u);
        tex.Bind(22);   // binds name 0: untextured drawing, no GL error
        EXPECT_TRUE(ZynCheckGL("BadFiles", 0));
    }
    for (auto& l : log.lines) EXPECT_EQ(l.find("cm_"), std::string::npos) << l;
    // Nothing written back for the refused images; the bad file is left as it was.
    EXPECT_FALSE(ZynFileExists(base.Images("CustomA1.bmp")));
    EXPECT_EQ(ReadBytes(base.Images("Custom1.bmp")), bad);
    EXPECT_EQ(ReadBytes(base.Images("CustomA2.bmp")).size(), 32u * 32 * 3 + 54);
    zcMAIN_CubeMap = oldCube;
}

TEST_F(GLContext, BindPicksMainSpecialOrNothing)
{
    BaseFolder base(true);
    AllLines log;
    tZynTextures tex;
    GLint bound = -1;
    tex.Bind(9);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<uint32_t>(bound), tex.Textures[9]);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLuint special = 0;
    glGenTextures(1, &special);
    tex.Special[2] = special;
    tex.Bind(-3);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<uint32_t>(bound), special);
    for (int32_t outside : {24, -5, 1000, -1000}) {
        tex.Bind(outside);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(static_cast<uint32_t>(bound), special) << outside;
    }
    tex.BindMain(200);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<uint32_t>(bound), special);
    tex.Special[2] = 0;
    glDeleteTextures(1, &special);
}

TEST_F(GLContext, TextureConstantsGetTheTextureRange)
{
    BaseFolder base(true);
    AllLines log;
    tZynTextures tex;
    int32_t tunnel = FindConst("TUNNEL.TEX0");
    ASSERT_GE(tunnel, 0);
    int32_t saved = ConstAsInt(tunnel);
    ASSERT_TRUE(ConstSetString(tunnel, "30"));
    EXPECT_EQ(ConstAsInt(tunnel), 23);
    ASSERT_TRUE(ConstSetString(tunnel, "-7"));
    EXPECT_EQ(ConstAsInt(tunnel), -4);
    ConstSetInt(tunnel, saved);
    for (const char* name : {"SPARK.Tex0", "POINT.TEX1", "WINDOW.TEXLogo"}) {
        int32_t i = FindConst(name);
        ASSERT_GE(i, 0) << name;
        EXPECT_TRUE(ConstRow(i)->HasMin && ConstRow(i)->HasMax) << name;
        EXPECT_EQ(ConstRow(i)->Min, -4.0f) << name;
        EXPECT_EQ(ConstRow(i)->Max, 23.0f) << name;
    }
    EXPECT_FALSE(ConstRow(FindConst("MAIN.ScreenX"))->Max == 23.0f);
}

TEST_F(GLContext, CustomImagesCanBeEditedAndUploaded)
{
    BaseFolder base(false);
    AllLines log;
    {
        tZynTextures tex;
        for (int n = 0; n < 8; n++) EXPECT_EQ(tex.Textures[n], 0u);

        // Bounds: number, missing image, negative start.
        const uint32_t two[2] = {0xFF0000FFu, 0x00FF00FFu};
        tex.CustomTexLine(8, 0, two, 2);
        EXPECT_TRUE(log.Has("#ERROR : ZynTextures.CustomTexLine - texture number out of range - 8"));
        tex.CustomTexLine(3, 0, two, 2);   // no image yet: nothing happens, no crash
        EXPECT_FALSE(tex.Custom[3].HasPixels());

        ASSERT_TRUE(tex.CustomTexSize(3, 4, 2));
        ASSERT_EQ(tex.Custom[3].Size, 4 * 2 * 4);
        for (uint8_t b : tex.Custom[3].Pixels) ASSERT_EQ(b, 0);
        tex.CustomTexLine(3, -1, two, 2);
        for (uint8_t b : tex.Custom[3].Pixels) ASSERT_EQ(b, 0);
        tex.CustomTexLine(3, 3, two, 2);
        EXPECT_EQ(tex.Custom[3].At(3)[0], 0xFF);
        EXPECT_EQ(tex.Custom[3].At(3)[1], 0x00);
        EXPECT_EQ(tex.Custom[3].At(3)[3], 0xFF);
        EXPECT_EQ(tex.Custom[3].At(4)[0], 0xFF);   // 0x00FF00FF: bytes FF 00 FF 00
        EXPECT_EQ(tex.Custom[3].At(4)[2], 0xFF);
        EXPECT_EQ(tex.Custom[3].At(4)[3], 0x00);
        // Near the end: only up to the last pixel.
        const uint32_t many[5] = {0x11111111u, 0x22222222u, 0x33333333u, 0x44444444u, 0x55555555u};
        tex.CustomTexLine(3, 6, many, 5);
        EXPECT_EQ(tex.Custom[3].At(6)[0], 0x11);
        EXPECT_EQ(tex.Custom[3].At(7)[0], 0x22);
        EXPECT_EQ(tex.Custom[3].Pixels.size(), 32u);
        tex.CustomTexLine(3, 8, many, 5);   // start past the end: nothing
        EXPECT_EQ(tex.Custom[3].At(7)[0], 0x22);

        tex.CustomTexToGL(3);
        EXPECT_TRUE(log.Has("tZynTextures.CustomTexToGL - Loading 3"));
        uint32_t first = tex.Textures[3];
        ASSERT_NE(first, 0u);
        int w = 0, h = 0;
        auto px = ReadTexture(first, w, h);
        EXPECT_EQ(w, 4);
        EXPECT_EQ(px[3 * 4], 0xFF);
        tex.CustomTexToGL(3);   // re-upload frees the old texture
        EXPECT_NE(tex.Textures[3], 0u);
        EXPECT_TRUE(glIsTexture(tex.Textures[3]));
        if (tex.Textures[3] != first) EXPECT_FALSE(glIsTexture(first));

        // Resizing an image with pixels stretches it; bad sizes are refused.
        ASSERT_TRUE(tex.CustomTexSize(3, 8, 4));
        EXPECT_EQ(tex.Custom[3].Width, 8);
        EXPECT_EQ(tex.Custom[3].At(6)[0], 0xFF);   // (6,0) <- (3,0)
        EXPECT_FALSE(tex.CustomTexSize(3, 0, 4));
        EXPECT_FALSE(tex.CustomTexSize(3, kvMaxTextureSize() * 2, 4));
        EXPECT_FALSE(tex.CustomTexSize(-1, 4, 4));
        EXPECT_EQ(tex.Custom[3].Width, 8);

        // Replacing by a picture from a file.
        EXPECT_TRUE(tex.CustomTexReplace(5, Solid(2, 2, 7, 8, 9, 128)));
        EXPECT_NE(tex.Textures[5], 0u);
        EXPECT_TRUE(ZynCheckGL("CustomEdit", 0));
    }
    // Edited images persist: colour and alpha images.
    TkvImage c3 = kvBMPLoad(base.Images("Custom3.bmp"));
    TkvImage a3 = kvBMPLoad(base.Images("CustomA3.bmp"));
    ASSERT_EQ(c3.Width, 8);
    EXPECT_EQ(c3.At(6)[0], 0xFF);
    EXPECT_EQ(a3.At(6)[0], 0xFF);   // the pixel had alpha FF
    TkvImage a5 = kvBMPLoad(base.Images("CustomA5.bmp"));
    ASSERT_TRUE(a5.HasPixels());
    EXPECT_EQ(a5.At(0)[1], 128);
    // and come back at the next start, merged again
    {
        tZynTextures tex;
        ASSERT_TRUE(tex.Custom[5].HasPixels());
        EXPECT_EQ(tex.Custom[5].At(0)[3], 128);
        EXPECT_EQ(tex.Custom[5].At(0)[0], 7);
    }
}

TEST_F(GLContext, TemporaryResizeDropsTheSpecialStores)
{
    BaseFolder base(false);
    AllLines log;
    tZynTextures tex;
    GLuint names[4];
    glGenTextures(4, names);
    for (int i = 0; i < 4; i++) {
        glBindTexture(GL_TEXTURE_2D, names[i]);   // make them real texture objects
        tex.SpecialStore[i] = names[i];
    }
    tex.TemporaryResize(512, 256);
    EXPECT_TRUE(log.Has("TZynTextures:TEMPORARY TEXTURE RESIZE (512x256)"));
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(tex.SpecialStore[i], 0u);
        EXPECT_FALSE(glIsTexture(names[i]));
    }
}

TEST_F(GLContext, DrawTileCoversTheAtlasCell)
{
    // Tile 9 of an 8 x 4 atlas is column 1, row 1 from the top.
    TZynTileUV uv = ZynTileUV(9, 8, 4);
    EXPECT_FLOAT_EQ(uv.u0, 0.125f + 0.0025f);
    EXPECT_FLOAT_EQ(uv.u1, 0.25f);
    EXPECT_FLOAT_EQ(uv.vTop, 1 - (0.25f + 0.0025f));
    EXPECT_FLOAT_EQ(uv.vBottom, 0.5f);
    // Draw a 2x2 atlas tile 1 (top-right: green) over the whole screen.
    TkvImage atlas = kvNewImage(2, 2);   // bottom row first: red, blue / top row: white, green
    const uint8_t colours[4][4] = {{255, 0, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}, {0, 255, 0, 255}};
    for (int i = 0; i < 4; i++) memcpy(atlas.At(i), colours[i], 4);
    uint32_t name = kvTextureRGBA(GL_TEXTURE_2D, atlas, false, true);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glColor4f(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    tZynTextures::DrawTile(1, 2, 2, -1, 1, 1, -1);
    uint8_t px[4];
    glReadPixels(320, 240, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    EXPECT_EQ(px[0], 0);
    EXPECT_EQ(px[1], 255);
    tZynTextures::DrawTile(2, 2, 2, -1, 1, 1, -1);   // bottom-left: red
    glReadPixels(320, 240, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    EXPECT_EQ(px[0], 255);
    EXPECT_EQ(px[2], 0);
    kvDeleteTexture(name);
    glDisable(GL_TEXTURE_2D);
}

TEST_F(GLContext, LoadingTextAppearsOnceTheFontIsLoaded)
{
    BaseFolder base(true);
    AllLines log;
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_FALSE(ZynDrawLoadingText("Custom Textures"));   // no font yet
    auto inkIn = [](int x0, int y0, int x1, int y1) {
        std::vector<uint8_t> px(static_cast<size_t>(x1 - x0) * (y1 - y0) * 4);
        glReadPixels(x0, y0, x1 - x0, y1 - y0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
        int ink = 0;
        for (size_t i = 0; i < px.size(); i += 4) ink += px[i] > 128;
        return ink;
    };
    EXPECT_EQ(inkIn(0, 0, 640, 480), 0);
    {
        tZynTextures tex;
        glClear(GL_COLOR_BUFFER_BIT);
        EXPECT_TRUE(ZynDrawLoadingText("Custom Textures"));
        // The text ends at x = 1.02 and spans 15 * 0.04 = 0.6 to the left, from y -0.13 to -0.05.
        int textInk = inkIn(400, 210, 640, 228);
        EXPECT_GT(textInk, 100);
        EXPECT_EQ(inkIn(0, 0, 640, 200), 0);
        EXPECT_EQ(inkIn(0, 240, 640, 480), 0);
        EXPECT_EQ(inkIn(0, 200, 300, 240), 0);
        EXPECT_TRUE(ZynCheckGL("LoadingText", 0));
    }
    EXPECT_FALSE(ZynDrawLoadingText("after"));
}

TEST_F(GLContext, ScreenshotsOfTheViewportAreNumberedBelowBaseDir)
{
    BaseFolder base(false);
    AllLines log;
    glViewport(0, 0, 320, 240);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    std::string a = ZynScreenshotFileName();
    EXPECT_EQ(a, base.dir.File("Screenshot0000.bmp"));
    ASSERT_TRUE(ZynSaveViewportBMP(a));
    EXPECT_EQ(ReadBytes(a).size(), 320u * 240 * 3 + 54);
    std::string b = ZynScreenshotFileName();
    EXPECT_EQ(b, base.dir.File("Screenshot0001.bmp"));
    EXPECT_FALSE(ZynSaveViewportBMP(base.dir.File("no/such/dir/x.bmp")));
    glViewport(0, 0, 640, 480);
}

TEST_F(GLContext, CustomImagesAreSavedEvenWithoutAnImagesFolder)
{
    BaseFolder base(false);
    std::filesystem::remove_all(base.dir.Path() + "/Images");
    AllLines quiet;
    int32_t oldCube = zcMAIN_CubeMap;
    zcMAIN_CubeMap = 0;
    {
        tZynTextures tex;
        ASSERT_TRUE(tex.CustomTexReplace(3, Solid(16, 16, 200, 100, 50, 255)));
    }
    zcMAIN_CubeMap = oldCube;
    EXPECT_TRUE(kvBMPLoad(base.Images("Custom3.bmp")).HasPixels());
    EXPECT_TRUE(kvBMPLoad(base.Images("CustomA3.bmp")).HasPixels());
}
