// Scene predefines: loading and numbering, actions, constants kept private, special textures.
#include "EngineTestSupport.h"

#include "config/ZynConst.h"
#include "engine/ZynSceneCatalogue.h"
#include "config/ZynConstFormula.h"
#include "engine/ZynScenePred.h"
#include "engine/ZynVis.h"
#include "gfx/ZynTextures.h"
#include "scenes/ZynSceneTunnel.h"

#include <cmath>
#include <cstring>
#include <fstream>

namespace {
TVisData Music()
{
    TVisData v;
    std::memset(&v, 0, sizeof v);
    v.Bass = 0.8f;
    for (int i = 0; i < 576; i++) v.Waveform[i] = uint8_t(128 + 60 * std::sin(i * 0.1));
    return v;
}

class PredefineTest : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        ConstFormulaInstallHooks();
        ZynVisHooks = TZynVisHooks{};
        ZynVisHooks.CreatePredefines = ZynVisDefaultHooks().CreatePredefines;
        Data = std::filesystem::path(ZynBaseDir()) / "data";
        std::filesystem::create_directories(Data);
        for (int32_t i = 0; i < ConstCount(); i++) Saved.push_back(ConstAsFloat(i));
        zcSCENE_StartScene = 0;
    }
    void TearDown() override
    {
        std::filesystem::remove_all(Data);
        for (int32_t i = 0; i < ConstCount(); i++)
            if (ConstRow(i)->ValueType != ZC_TYPE_STRING) ConstSetFloat(i, Saved[size_t(i)]);
        ZynVisHooks = TZynVisHooks{};
        GLTest::TearDown();
    }
    void Write(const std::string& name, const std::string& text) { std::ofstream(Data / name) << text; }
    static std::string Entry(const std::string& name, const std::vector<std::string>& actions)
    {
        std::string s = "Name=" + name + "\nAuthor=" + name + " author\nCount=" + std::to_string(actions.size()) + "\n";
        for (size_t i = 0; i < actions.size(); i++) s += "A" + std::to_string(i) + "=" + actions[i] + "\n";
        return s;
    }
    static TZynScenePredefine& Pred(TVisObject& vis) { return static_cast<TZynScenePredefine&>(*vis.Predefines); }
    static void Show(TVisObject& vis, int32_t n)
    {
        if (vis.FirstFrame) vis.Frame(Music(), 0);   // it would replace -1 by a random pick
        vis.CurrentScene = n;
        vis.FadeProgress = 1;
        vis.ActivateScene(n);
    }
    std::filesystem::path Data;
    std::vector<float> Saved;
    LogCapture log;
};
}  // namespace

TEST_F(PredefineTest, FilesLoadInNameOrderAndSectionsFillFromTheEnd)
{
    Write("beta.predefine", "[MAIN]\nCOUNT=2\n[1]\n" + Entry("A", {"R TUNNEL"}) + "[2]\n" + Entry("B", {"C", "R 14,3"}));
    Write("Alpha.predefine", "[MAIN]\nCOUNT=1\n[1]\n" + Entry("First", {}));
    TVisObject vis;
    ASSERT_EQ(vis.PredefineCount(), 3);
    EXPECT_EQ(vis.Predefines->Name(0), "First");
    EXPECT_EQ(vis.Predefines->Name(1), "B");   // scene -2
    EXPECT_EQ(vis.Predefines->Name(2), "A");   // scene -3
    EXPECT_TRUE(log.Has("-------- LOADING PREDEFINE FILE \"" + (Data / "beta.predefine").string() + "\""));
    EXPECT_TRUE(log.Has("\"A\" - A author"));
    EXPECT_TRUE(log.Has("\"B\" - B author"));
    EXPECT_EQ(log.CountOf("Copying Scene TUNNEL"), 2);
    EXPECT_EQ(Pred(vis).Entry(1)->Scenes->Count(), 1);

    vis.SceneChange(-2, 0);
    EXPECT_TRUE(log.Has("RESETSCENE PREDEFINE 1 (B)"));
    vis.SceneChange(-4, 0);
    EXPECT_TRUE(log.Has("#ERROR : VisObject.SceneChange - Scene/Fader out of range"));
    EXPECT_EQ(vis.CurrentScene, -2);
}

TEST_F(PredefineTest, FormulasAffectOnlyTheirOwnFrameAndConstantsComeBackExactly)
{
    Write("Speed.predefine", "[MAIN]\nCOUNT=1\n[1]\n" + Entry("Fast", {"FTUNNEL.Speed=7; TUNNEL.Length=9;", "R TUNNEL"}));
    TVisObject vis;
    Show(vis, -1);
    zcTUNNEL_Speed = 0.123f;   // off the constant's step: a setter would snap it
    int32_t text = -1;
    for (int32_t i = 0; i < ConstCount() && text < 0; i++)
        if (ConstRow(i)->ValueType == ZC_TYPE_STRING) text = i;
    std::string oldText = text >= 0 ? ConstToString(text) : "";
    if (text >= 0) ConstSetString(text, "kept as text");
    auto& tunnel = static_cast<TvisTunnel&>(*Pred(vis).Entry(0)->Scenes->Items(0));
    vis.Frame(Music(), 0.1f);
    vis.Frame(Music(), 0.1f);
    EXPECT_EQ(zcTUNNEL_Speed, 0.123f);
    EXPECT_EQ(zcTUNNEL_Length, int32_t(ConstDefault(zciTUNNEL_Length)));
    if (text >= 0) EXPECT_EQ(ConstToString(text), "kept as text");
    if (text >= 0) ConstSetString(text, oldText);
    // The copy ran at speed 7: two frames of 0.1 s * (0.8 + 0.6) * 7 sections of path.
    EXPECT_NEAR(tunnel.Position(), 0.96f, 1e-3);
}

TEST_F(PredefineTest, BadActionLinesAreReportedAndTheProgramGoesOn)
{
    Write("Bad.predefine", "[MAIN]\nCOUNT=1\n[1]\n" +
                               Entry("Bad", {"R", "R TUNNEL,x", "R 999", "R TUNNEL,0", "R TUNNEL,5", "Q", "", "c"}));
    TVisObject vis;
    TZynPredefineEntry& e = *Pred(vis).Entry(0);
    EXPECT_TRUE(log.Has("#ERROR : TZynScenePredefine:Not a valid integer value in \"R\""));
    EXPECT_TRUE(log.Has("#ERROR : TZynScenePredefine:Not a valid integer value in \"R TUNNEL,x\""));
    EXPECT_EQ(log.CountOf("Copying Scene SNAKE"), 2);   // no scene and 999 both fall back to scene 0
    EXPECT_EQ(e.Scenes->Count(), 5);
    EXPECT_EQ(e.Actions[1].Target, -1);
    EXPECT_EQ(e.Actions[5].Kind, TZynPredefineAction::None);
    EXPECT_EQ(e.Actions[6].Kind, TZynPredefineAction::None);
    EXPECT_EQ(e.Actions[7].Kind, TZynPredefineAction::Clear);
    Show(vis, -1);
    log.Lines.clear();
    vis.Frame(Music(), 0.05f);
    EXPECT_FALSE(log.AnyContains("#ERROR"));
    EXPECT_FALSE(log.AnyContains("OPENGL"));
}

TEST_F(PredefineTest, HostileCountsAreCappedOrEmpty)
{
    std::string file = "[MAIN]\nCOUNT=1000000000\n[1]\nCount=-5\nA0=R TUNNEL\n[2]\nCount=99999\n";
    Write("Huge.predefine", file);
    Write("Odd.predefine", "[MAIN]\nCOUNT=-5\n[1]\n" + Entry("Never", {"R TUNNEL"}));
    TVisObject vis;
    ASSERT_EQ(vis.PredefineCount(), kZynMaxPredefinesPerFile);
    TZynPredefineEntry& one = *Pred(vis).Entry(kZynMaxPredefinesPerFile - 1);   // section 1
    EXPECT_EQ(one.Name, "[Unknown]");
    EXPECT_TRUE(one.Actions.empty());
    EXPECT_EQ(int32_t(Pred(vis).Entry(kZynMaxPredefinesPerFile - 2)->Actions.size()), kZynMaxPredefineActions);
    EXPECT_EQ(log.CountOf("\"Never\" - Never author"), 0);
    EXPECT_GE(std::count_if(log.Lines.begin(), log.Lines.end(),
                            [](const std::string& l) { return l.rfind("#WARNING : ", 0) == 0; }),
              2);
}

TEST_F(PredefineTest, RenderingIntoASpecialTextureLeavesTheScreenClean)
{
    Write("Tex.predefine", "[MAIN]\nCOUNT=2\n[1]\n" + Entry("Tunnel", {"R TUNNEL,2"}) + "[2]\n" +
                               Entry("Own", {"R KESSA,1"}));
    TVisObject vis;
    Show(vis, -2);   // section 1
    vis.Frame(Music(), 0.05f);
    tZynTextures& tex = *vis.Textures();
    ASSERT_NE(tex.Special[1], 0u);
    EXPECT_EQ(tex.Special[1], tex.SpecialStore[1]);
    EXPECT_EQ(Pixel(100, 100), (std::vector<int>{0, 0, 0}));
    // The texture holds the tunnel.
    std::vector<uint8_t> texels(size_t(vis.TextureWidth()) * vis.TextureHeight() * 4);
    glBindTexture(GL_TEXTURE_2D, tex.Special[1]);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    EXPECT_GT(*std::max_element(texels.begin(), texels.end()), 40);

    // A scene that keeps its own texture: the slot shows it until the scene drops it.
    vis.SceneChange(-1, 0);
    vis.FadeProgress = 1;
    vis.Frame(Music(), 0.05f);
    vis.Frame(Music(), 0.05f);
    ASSERT_NE(tex.Special[0], 0u);
    EXPECT_EQ(tex.Special[0], Pred(vis).Entry(0)->Scenes->Items(0)->OwnTexture);
    vis.ActivateScene(-1);   // resets the copy, which frees its texture
    EXPECT_EQ(tex.Special[0], 0u);
    vis.Frame(Music(), 0.05f);
    vis.Resize(320, 240);    // the stores go, and so do the slots that showed them
    EXPECT_EQ(tex.Special[1], 0u);
    EXPECT_EQ(tex.Special[0], 0u);
}

TEST_F(PredefineTest, AFailingSceneLeavesViewportMatricesAndConstantsAsTheyWere)
{
    ProbeSettings::Clear();
    ProbeSettings::ThrowInRender = true;
    static const std::vector<TZynSceneClass> scenes = {ZynSceneClassOf<TvisProbe>("TvisProbe")};
    Write("Boom.predefine", "[MAIN]\nCOUNT=1\n[1]\n" + Entry("Boom", {"FTUNNEL.Speed=7;", "R 0", "R 0,3"}));
    TVisObject vis(scenes, ZynFaderCatalogue());
    Show(vis, -1);
    float speed = zcTUNNEL_Speed;
    GLint depth = 0;
    vis.Frame(Music(), 0.05f);
    vis.RenderSceneTex(-1, Music(), 0.05f, 1, vis.NewSceneStore);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 480);
    EXPECT_EQ(depth, 1);
    EXPECT_EQ(zcTUNNEL_Speed, speed);
    EXPECT_TRUE(log.AnyContains("probe exploded"));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    ProbeSettings::Clear();
}

TEST_F(PredefineTest, ChangedWeightsAreWrittenToTheirSections)
{
    Write("Pref.predefine", "[MAIN]\nCOUNT=2\n[1]\n" + Entry("One", {}) + "Pref=2\n[2]\n" + Entry("Two", {}));
    TVisObject vis;
    EXPECT_EQ(vis.SceneWeight(-2), 2.0f);   // section 1
    EXPECT_EQ(vis.Predefines->Description(1), "One author");
    vis.Predefines->SetWeight(1, 4.5f);
    vis.Predefines->SetWeight(0, -3);
    EXPECT_EQ(vis.SceneWeight(-1), 0.0f);
    TZynIniFile ini((Data / "Pref.predefine").string());
    EXPECT_EQ(ini.ReadFloat("1", "Pref", 0), 4.5);
    EXPECT_EQ(ini.ReadString("1", "Name", ""), "One");
    EXPECT_EQ(ini.ReadFloat("2", "Pref", -1), 0.0);
}
