// Tests of the image files: TGA and BMP reading, BMP writing, stretch, alpha merge/split, numbered names.
#include "gfx/kvTex.h"
#include "gfx/kvTexBMP.h"
#include "GfxTestUtil.h"

using namespace gfxtest;

namespace {

TkvImage Pattern(int w, int h)
{
    TkvImage img = kvNewImage(w, h);
    for (int i = 0; i < w * h; i++) {
        uint8_t* p = img.At(i);
        p[0] = static_cast<uint8_t>(i * 3);
        p[1] = static_cast<uint8_t>(i >> 2);
        p[2] = static_cast<uint8_t>(255 - i);
        p[3] = static_cast<uint8_t>(i * 5 + 1);
    }
    return img;
}

}  // namespace

TEST(TgaReader, Reads32BitWithAlphaAnd24BitOpaque)
{
    ScratchDir dir;
    LogCapture log;
    WriteBytes(dir.File("a.tga"), MakeTGA(256, 256, 32));
    TkvImage img = kvLoadTGA(dir.File("a.tga"));
    ASSERT_TRUE(img.HasPixels());
    EXPECT_EQ(img.Width, 256);
    EXPECT_EQ(img.Height, 256);
    EXPECT_EQ(img.Size, 256 * 256 * 4);
    // file B G R A -> memory R G B A, pixel 10 of the generated pattern
    const uint8_t* p = img.At(10);
    EXPECT_EQ(p[0], (10 * 7 + 100) & 0xff);
    EXPECT_EQ(p[1], (10 * 7 + 50) & 0xff);
    EXPECT_EQ(p[2], (10 * 7) & 0xff);
    EXPECT_EQ(p[3], (10 * 7 + 150) & 0xff);
    EXPECT_TRUE(log.Has("KVTEX (kvLoadTGA) - Loading TGA - \"" + dir.File("a.tga") + "\""));

    WriteBytes(dir.File("b.tga"), MakeTGA(4, 2, 24));
    TkvImage rgb = kvLoadTGA(dir.File("b.tga"));
    ASSERT_EQ(rgb.Size, 4 * 2 * 4);
    for (int i = 0; i < 8; i++) EXPECT_EQ(rgb.At(i)[3], 255);
    EXPECT_EQ(rgb.At(7)[2], (7 * 7) & 0xff);
}

TEST(TgaReader, RefusesWrongFilesWithTheirLine)
{
    ScratchDir dir;
    struct Case {
        std::vector<uint8_t> bytes;
        const char* line;
    } cases[] = {
        {MakeTGA(100, 100, 32), "KVTEX ERROR (kvLoadTGA) - Image file not correct size"},
        {MakeTGA(0, 4, 32), "KVTEX ERROR (kvLoadTGA) - Image file not correct size"},
        {MakeTGA(4, 4, 32, 10), "KVTEX ERROR (kvLoadTGA) - Incorrect TGA file type"},   // RLE
        {MakeTGA(4, 4, 32, 2, 1), "KVTEX ERROR (kvLoadTGA) - Incorrect TGA file type"},  // colour map
        {MakeTGA(4, 4, 16), "KVTEX ERROR (kvLoadTGA) - Incorrect bit depth"},
        {std::vector<uint8_t>(5, 0), "KVTEX ERROR (kvLoadTGA) - Incorrect TGA file type"},
    };
    for (auto& c : cases) {
        LogCapture log;
        WriteBytes(dir.File("x.tga"), c.bytes);
        TkvImage img = kvLoadTGA(dir.File("x.tga"));
        EXPECT_FALSE(img.HasPixels()) << c.line;
        EXPECT_EQ(img.Width, 0);
        EXPECT_TRUE(log.Has(c.line)) << c.line;
    }
    // Truncated body: refused before anything is read past the end.
    LogCapture log;
    auto bytes = MakeTGA(64, 64, 32);
    bytes.resize(bytes.size() - 1);
    WriteBytes(dir.File("t.tga"), bytes);
    EXPECT_FALSE(kvLoadTGA(dir.File("t.tga")).HasPixels());
    EXPECT_TRUE(log.Has("KVTEX ERROR (kvLoadTGA) - Couldn't retrieve file body"));
    EXPECT_FALSE(kvLoadTGA(dir.File("missing.tga")).HasPixels());
    EXPECT_TRUE(log.Has("KVTEX ERROR (kvLoadTGA) - Couldn't load file"));
}

TEST(TgaReader, SkipsTheImageIdField)
{
    ScratchDir dir;
    LogCapture log;
    WriteBytes(dir.File("id.tga"), MakeTGA(2, 2, 32, 2, 0, "made by zyn"));
    TkvImage img = kvLoadTGA(dir.File("id.tga"));
    ASSERT_TRUE(img.HasPixels());
    EXPECT_EQ(img.At(0)[2], 0);      // first pixel's blue byte is 0 in the pattern
    EXPECT_EQ(img.At(1)[2], 7);
    EXPECT_EQ(img.At(3)[3], (21 + 150) & 0xff);
}

TEST(TgaReader, SaveAndReloadKeepsOrientation)
{
    ScratchDir dir;
    LogCapture log;
    TkvImage img = Pattern(8, 4);
    ASSERT_TRUE(kvSaveTGA(img, dir.File("p.tga")));
    TkvImage back = kvLoadTGA(dir.File("p.tga"));
    ASSERT_TRUE(back.HasPixels());
    EXPECT_EQ(back.Pixels, img.Pixels);
}

TEST(BmpFiles, SaveAndReloadGivesSameColoursWithOpaqueAlpha)
{
    ScratchDir dir;
    LogCapture log;
    TkvImage img = Pattern(64, 64);
    ASSERT_TRUE(kvBMPSave(img, dir.File("c.bmp")));
    EXPECT_TRUE(log.Has("KVTEXBMP (kvBMPSave) - Saving to \"" + dir.File("c.bmp") + "\""));
    auto bytes = ReadBytes(dir.File("c.bmp"));
    ASSERT_EQ(bytes.size(), 64u * 64 * 3 + 54);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(Le32(bytes, 2), 64u * 64 * 3 + 54);
    EXPECT_EQ(Le32(bytes, 10), 54u);
    EXPECT_EQ(Le32(bytes, 14), 40u);
    EXPECT_EQ(Le32(bytes, 18), 64u);
    EXPECT_EQ(Le32(bytes, 22), 64u);
    EXPECT_EQ(bytes[26] | (bytes[27] << 8), 1);
    EXPECT_EQ(bytes[28] | (bytes[29] << 8), 24);
    EXPECT_EQ(bytes[54], img.At(0)[2]);   // B G R order
    EXPECT_EQ(bytes[56], img.At(0)[0]);

    TkvImage back = kvBMPLoad(dir.File("c.bmp"));
    EXPECT_TRUE(log.Has("KVTEXBMP (kvBMPLoad) - Loading \"" + dir.File("c.bmp") + "\""));
    ASSERT_TRUE(back.HasPixels());
    ASSERT_EQ(back.Width, 64);
    ASSERT_EQ(back.Height, 64);
    for (int i = 0; i < 64 * 64; i++) {
        ASSERT_EQ(0, memcmp(back.At(i), img.At(i), 3)) << i;
        ASSERT_EQ(back.At(i)[3], 255);
    }
}

TEST(BmpFiles, OddWidthsRoundTripWithPaddedRows)
{
    ScratchDir dir;
    LogCapture log;
    TkvImage img = Pattern(5, 3);
    ASSERT_TRUE(kvBMPSave(img, dir.File("o.bmp")));
    EXPECT_EQ(ReadBytes(dir.File("o.bmp")).size(), 54u + 16 * 3);   // 15 bytes -> 16 per row
    TkvImage back = kvBMPLoad(dir.File("o.bmp"));
    ASSERT_EQ(back.Size, 5 * 3 * 4);
    for (int i = 0; i < 15; i++) EXPECT_EQ(0, memcmp(back.At(i), img.At(i), 3)) << i;

    // An unpadded file (rows back to back, size field w*h*3+54) also reads.
    std::vector<uint8_t> raw(54 + 15 * 3, 0);
    raw[0] = 'B'; raw[1] = 'M';
    Put32(raw, 2, static_cast<uint32_t>(raw.size()));
    Put32(raw, 10, 54); Put32(raw, 14, 40); Put32(raw, 18, 5); Put32(raw, 22, 3);
    raw[26] = 1; raw[28] = 24;
    for (int i = 0; i < 15; i++) raw[54 + i * 3] = static_cast<uint8_t>(i);   // blue = index
    WriteBytes(dir.File("u.bmp"), raw);
    TkvImage un = kvBMPLoad(dir.File("u.bmp"));
    ASSERT_EQ(un.Size, 60);
    for (int i = 0; i < 15; i++) EXPECT_EQ(un.At(i)[2], i);
}

TEST(BmpFiles, RefusesBadFilesWithTheirLineAndNoImage)
{
    ScratchDir dir;
    TkvImage good = Pattern(8, 8);
    {
        LogCapture quiet;
        ASSERT_TRUE(kvBMPSave(good, dir.File("g.bmp")));
    }
    const auto base = ReadBytes(dir.File("g.bmp"));
    const std::string tag = "KVTEXBMP ERROR (kvBMPLoad) - ";
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        std::string line;
    };
    std::vector<Case> cases;
    auto with = [&](size_t at, uint32_t v, int width) {
        auto b = base;
        for (int i = 0; i < width; i++) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
        return b;
    };
    cases.push_back({"magic", with(0, 'X', 1), tag + "Invalid Bitmap Header"});
    cases.push_back({"size field + 1", with(2, static_cast<uint32_t>(base.size() + 1), 4), tag + "Bitmap file wrong size"});
    cases.push_back({"size field - 1", with(2, static_cast<uint32_t>(base.size() - 1), 4), tag + "Bitmap file wrong size"});
    cases.push_back({"planes", with(26, 2, 2), tag + "File only supposed to have 1 plane"});
    cases.push_back({"bits", with(28, 32, 2), tag + "File must be 24 bit"});
    cases.push_back({"compression", with(30, 1, 4), tag + "File must be 24 bit RGB uncompressed"});
    cases.push_back({"top-down", with(22, static_cast<uint32_t>(-8), 4), tag + "Bitmap file wrong size"});
    cases.push_back({"huge sizes", with(18, 0x40000000u, 4), tag + "Bitmap file wrong size"});
    cases.push_back({"width*height overflow", with(22, 0xffffu, 4), tag + "Bitmap file wrong size"});
    cases.push_back({"zero width", with(18, 0, 4), tag + "Bitmap file wrong size"});
    auto shortFile = std::vector<uint8_t>(base.begin(), base.begin() + 20);
    Put32(shortFile, 2, 20);
    cases.push_back({"short file", shortFile, tag + "Bitmap file wrong size"});
    auto cut = with(2, 54 + 10, 4);   // consistent size field, but far too few pixels
    cut.resize(54 + 10);
    cases.push_back({"too few pixels", cut, tag + "Bitmap file wrong size"});
    for (auto& c : cases) {
        LogCapture log;
        WriteBytes(dir.File("bad.bmp"), c.bytes);
        TkvImage img = kvBMPLoad(dir.File("bad.bmp"));
        EXPECT_FALSE(img.HasPixels()) << c.what;
        EXPECT_EQ(img.Size, 0) << c.what;
        EXPECT_TRUE(log.Has(c.line)) << c.what;
    }
    LogCapture log;
    EXPECT_FALSE(kvBMPLoad(dir.File("none.bmp")).HasPixels());
    EXPECT_TRUE(log.Has(tag + "Can't Load \"" + dir.File("none.bmp") + "\""));
}

TEST(BmpFiles, SaveToUnwritablePlaceReportsFailure)
{
    ScratchDir dir;
    LogCapture log;
    std::string file = dir.File("no/such/folder/x.bmp");
    EXPECT_FALSE(kvBMPSave(Pattern(4, 4), file));
    EXPECT_TRUE(log.Has("KVTEXBMP ERROR (kvBMPSave) - Can't Save \"" + file + "\""));
}

TEST(ImageOps, StretchKeepsNearestSourcePixels)
{
    LogCapture log;
    TkvImage img = Pattern(4, 4);
    TkvImage src = img;
    kvStretchImage(2, 2, img);
    EXPECT_TRUE(log.Has("KVTEX (kvStretchImage) - Stretching 4x4 to 2x2"));
    ASSERT_EQ(img.Width, 2);
    ASSERT_EQ(img.Size, 16);
    EXPECT_EQ(0, memcmp(img.At(0), src.At(0), 4));    // (0,0)
    EXPECT_EQ(0, memcmp(img.At(1), src.At(2), 4));    // (2,0)
    EXPECT_EQ(0, memcmp(img.At(2), src.At(8), 4));    // (0,2)
    EXPECT_EQ(0, memcmp(img.At(3), src.At(10), 4));   // (2,2)

    // Same size: untouched and silent. Growing: every source pixel repeated.
    log.lines.clear();
    kvStretchImage(2, 2, img);
    EXPECT_TRUE(log.lines.empty());
    TkvImage small = Pattern(2, 1);
    kvStretchImage(4, 2, small);
    ASSERT_EQ(small.Size, 32);
    EXPECT_EQ(0, memcmp(small.At(1), small.At(0), 4));
    EXPECT_EQ(0, memcmp(small.At(7), Pattern(2, 1).At(1), 4));
}

TEST(ImageOps, MergeAndSplitAlpha)
{
    TkvImage colour = Pattern(8, 8);
    TkvImage alpha = kvNewImage(8, 8);
    for (int i = 0; i < 64; i++) {
        uint8_t* p = alpha.At(i);
        p[0] = static_cast<uint8_t>(i);
        p[1] = static_cast<uint8_t>(i * 2);
        p[2] = static_cast<uint8_t>(i * 3 + 1);
    }
    TkvImage merged = kvMergeAlpha(colour, alpha);
    ASSERT_TRUE(merged.HasPixels());
    for (int i = 0; i < 64; i++) {
        EXPECT_EQ(merged.At(i)[3], (i + i * 2 + i * 3 + 1) / 3);
        EXPECT_EQ(0, memcmp(merged.At(i), colour.At(i), 3));
    }
    TkvImage c2, a2;
    kvSplitAlpha(merged, c2, a2);
    TkvImage again = kvMergeAlpha(c2, a2);
    EXPECT_EQ(again.Pixels, merged.Pixels);
    EXPECT_EQ(c2.At(5)[3], 255);
    EXPECT_EQ(a2.At(5)[0], merged.At(5)[3]);
    EXPECT_EQ(a2.At(5)[3], 255);

    // Different pixel counts or a missing image: empty result.
    EXPECT_FALSE(kvMergeAlpha(Pattern(64, 64), Pattern(32, 32)).HasPixels());
    EXPECT_FALSE(kvMergeAlpha(Pattern(4, 4), TkvImage{}).HasPixels());
}

TEST(ImageOps, NewImageRefusesImpossibleSizes)
{
    EXPECT_FALSE(kvNewImage(0, 4).HasPixels());
    EXPECT_FALSE(kvNewImage(70000, 4).HasPixels());
    TkvImage img = kvNewImage(3, 2);
    ASSERT_EQ(img.Size, 24);
    for (uint8_t b : img.Pixels) EXPECT_EQ(b, 0);
    kvFreeImage(img);
    EXPECT_FALSE(img.HasPixels());
    EXPECT_EQ(img.Width, 0);
    EXPECT_EQ(img.Size, 0);
}

TEST(UniqueFileName, TakesTheFirstFreeNumber)
{
    ScratchDir dir;
    std::string base = dir.File("Screenshot");
    EXPECT_EQ(kvUniqueFileName(base, ".bmp"), base + "0000.bmp");
    WriteBytes(base + "0000.bmp", {1});
    WriteBytes(base + "0001.bmp", {1});
    WriteBytes(base + "0003.bmp", {1});
    EXPECT_EQ(kvUniqueFileName(base, ".bmp"), base + "0002.bmp");
}

TEST(ShippedPictures, StoredBottomRowFirstSoTheyAreUpright)
{
    LogCapture log;
    // The sample picture has a red "F" in its top-left quarter.
    TkvImage img = kvLoadTGA(std::string(ZYN_RUNTIME_DIR) + "/custom/Checker.tga");
    ASSERT_EQ(img.Width, 64);
    ASSERT_EQ(img.Height, 64);
    auto isRed = [&](int x, int yFromBottom) {
        const uint8_t* p = img.At(static_cast<size_t>(yFromBottom) * 64 + x);
        return p[0] > 200 && p[1] < 120 && p[2] < 120;
    };
    EXPECT_TRUE(isRed(10, 63 - 16));    // the F's stem, near the top
    EXPECT_TRUE(isRed(20, 63 - 7));     // its top bar reaches right
    EXPECT_FALSE(isRed(10, 16));        // nothing mirrored at the bottom
    EXPECT_FALSE(isRed(53, 63 - 16));   // nor at the right
    TkvImage rings = kvBMPLoad(std::string(ZYN_RUNTIME_DIR) + "/custom/Rings.bmp");
    EXPECT_EQ(rings.Width, 128);
    // The generated cube faces and main textures are all power-of-two TGA files.
    for (const char* name : {"cm_0", "cm_5", "FontS", "Lines", "Trail"}) {
        TkvImage t = kvLoadTGA(std::string(ZYN_RUNTIME_DIR) + "/Images/" + name + ".tga");
        EXPECT_TRUE(t.HasPixels()) << name;
    }
}

TEST(BmpFiles, SavingReplacesTheFileAtomically)
{
    // Before: written in place, so a kill midway left a 0-byte Custom2.bmp.
    // Now a new file takes the old one's place at once: a second link to the
    // old file still holds the old picture, and no temporary file stays.
    ScratchDir dir;
    LogCapture log;
    ASSERT_TRUE(kvBMPSave(Pattern(8, 8), dir.File("Custom2.bmp")));
    const auto before = ReadBytes(dir.File("Custom2.bmp"));
    std::filesystem::create_hard_link(dir.File("Custom2.bmp"), dir.File("old.bmp"));
    ASSERT_TRUE(kvBMPSave(Pattern(16, 4), dir.File("Custom2.bmp")));
    EXPECT_EQ(ReadBytes(dir.File("old.bmp")), before);
    EXPECT_EQ(kvBMPLoad(dir.File("Custom2.bmp")).Width, 16);
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.File(""))) files += e.is_regular_file();
    EXPECT_EQ(files, 2);
}
