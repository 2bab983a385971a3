// Scene base class and scene list: guarded rendering, rebuilds, texture slots, texture size.
#include "EngineTestSupport.h"

#include "config/ZynConst.h"
#include "engine/ZynSceneList.h"
#include "engine/ZynVis.h"

#include <cstring>

namespace {
const TZynSceneClass& ProbeClass()
{
    static const TZynSceneClass cls = ZynSceneClassOf<TvisProbe>("TvisProbe");
    return cls;
}

TVisData Silence()
{
    TVisData v;
    std::memset(&v, 0, sizeof v);
    return v;
}

class SceneListTest : public GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        ProbeSettings::Clear();
    }
    void TearDown() override
    {
        ProbeSettings::Clear();
        GLTest::TearDown();
    }
};
}  // namespace

TEST_F(SceneListTest, OutOfRangeNumbersWriteTheirLinesAndDrawNothing)
{
    LogCapture log;
    TZynSceneList list(nullptr);
    list.AddNew(ProbeClass());
    TVisData vis = Silence();
    list.RenderScene(-1, vis, 0.1f, 1);
    list.RenderScene(1, vis, 0.1f, 1);
    uint32_t store = 0;
    EXPECT_EQ(list.RenderSceneTex(1, vis, 0.1f, 1, store), 0u);
    EXPECT_TRUE(log.Has("#ERROR : TZynSceneList.RenderScene - Scene number out of Range [-1]"));
    EXPECT_TRUE(log.Has("#ERROR : TZynSceneList.RenderScene - Scene number out of Range [1]"));
    EXPECT_TRUE(log.Has("#ERROR : TZynSceneList.RenderSceneTex - Scene number out of Range [1]"));
    EXPECT_EQ(ProbeSettings::Renders, 0);
    EXPECT_EQ(store, 0u);
}

TEST_F(SceneListTest, ConstructionRunsInitWhichResetsAndDestructionLogs)
{
    LogCapture log;
    {
        TZynSceneList list(nullptr);
        list.AddNew(ProbeClass());
        EXPECT_EQ(list.Items(0)->Name, "Probe");
        EXPECT_EQ(list.Items(0)->SceneClass(), &ProbeClass());
        EXPECT_EQ(log.CountOf("RESETSCENE \"Probe\""), 1);
    }
    EXPECT_TRUE(log.Has("DESTROY \"Probe\""));
}

TEST_F(SceneListTest, ThrowingSceneIsLoggedRebuiltAndLeavesGLStateAsItWas)
{
    LogCapture log;
    TZynSceneList list(nullptr);
    list.AddNew(ProbeClass());
    list.Items(0)->Time = 5;
    int built = ProbeSettings::Built;

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glScalef(2, 3, 4);
    glMatrixMode(GL_MODELVIEW);
    GLint depthBefore = 0;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depthBefore);

    ProbeSettings::ThrowInRender = true;
    TVisData vis = Silence();
    for (int frame = 0; frame < 2; frame++) list.RenderScene(0, vis, 0.1f, 1);

    // Rebuilt once per frame, in this order.
    int err = log.IndexOf("#ERROR : TZynSceneList.RenderScene (TUNNEL) - probe exploded");
    ASSERT_GE(err, 0);
    int restart = log.IndexOf("RESTARTING SCENE #0", err);
    int destroy = log.IndexOf("DESTROY \"Probe\"", restart);
    int done = log.IndexOf("FINSIHED RESTART", destroy);
    EXPECT_TRUE(restart > err && destroy > restart && done > destroy);
    EXPECT_EQ(log.CountOf("RESTARTING SCENE #0"), 2);
    EXPECT_EQ(log.CountOf("FINSIHED RESTART"), 2);
    EXPECT_FALSE(log.AnyContains("OPENGL"));   // the open glBegin was closed quietly

    // A fresh instance of the same class, its clock back at 0.
    EXPECT_EQ(ProbeSettings::Built, built + 2);
    EXPECT_EQ(list.Items(0)->SceneClass(), &ProbeClass());
    EXPECT_EQ(list.Items(0)->Time, 0.0f);

    // Viewport, projection and the stack depth are as the caller left them.
    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[2], 640);
    EXPECT_EQ(vp[3], 480);
    GLint depth = 0;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, depthBefore);
    GLfloat m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    EXPECT_FLOAT_EQ(m[0], 2);
    EXPECT_FLOAT_EQ(m[5], 3);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(SceneListTest, FailedRenderToTextureReturnsZeroAndKeepsPresentTexture)
{
    LogCapture log;
    ProbeSettings::OwnTexture = true;
    TZynSceneList list(nullptr);
    list.AddNew(ProbeClass());
    ProbeSettings::ThrowInRender = true;
    TVisData vis = Silence();
    uint32_t store = 0;
    TZynScene* scene = list.Items(0);
    // Through the scene directly: the flag is restored even though Render threw.
    EXPECT_THROW(scene->RenderToTexture(vis, 64, 64, 0.1f, 1, store), std::runtime_error);
    EXPECT_TRUE(scene->PresentTexture);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glViewport(0, 0, 640, 480);
    // Through the list: error line with the Tex texts, result 0, scene rebuilt.
    EXPECT_EQ(list.RenderSceneTex(0, vis, 0.1f, 1, store), 0u);
    EXPECT_TRUE(log.Has("#ERROR : TZynSceneList.RenderSceneTex (TUNNEL) - probe exploded"));
    EXPECT_TRUE(log.Has("RESTARTING SCENE #0"));
    EXPECT_TRUE(list.Items(0)->PresentTexture);
}

TEST_F(SceneListTest, RestartFailuresLeaveAWorkingList)
{
    LogCapture log;
    TZynSceneList list(nullptr);
    list.AddNew(ProbeClass());
    TZynScene* old = list.Items(0);
    ProbeSettings::ThrowInInit = true;
    list.RestartScene(0);
    EXPECT_TRUE(log.Has("#ERROR : TSceneList.RestartScene - COULD NOT CREATE SCENE [0]"));
    EXPECT_EQ(list.Items(0), old);   // the old scene stays
    EXPECT_EQ(list.Count(), 1);
    list.RestartScene(3);
    EXPECT_TRUE(log.Has("#ERROR : TSceneList.RestartScene - Scene number out of Range [3]"));
    EXPECT_EQ(log.CountOf("FINSIHED RESTART"), 2);
}

TEST_F(SceneListTest, RenderToTextureCopiesThePictureAndRestoresTheViewport)
{
    LogCapture log;
    TZynSceneList list(nullptr);
    list.AddNew(ProbeClass());
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    TVisData vis = Silence();
    uint32_t store = 0;
    uint32_t tex = list.RenderSceneTex(0, vis, 0.25f, 1, store);
    ASSERT_NE(tex, 0u);
    EXPECT_EQ(tex, store);
    EXPECT_FLOAT_EQ(list.Items(0)->Time, 0.25f);
    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[2], 640);
    // The texture got the owner's size (1x1 without an owner) and the green picture.
    glBindTexture(GL_TEXTURE_2D, tex);
    GLint w = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    EXPECT_EQ(w, 1);
    unsigned char px[4] = {0, 0, 0, 0};
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, px);
    EXPECT_EQ(px[1], 255);
    EXPECT_EQ(px[0], 0);
    // A second copy reuses the texture.
    EXPECT_EQ(list.RenderSceneTex(0, vis, 0.25f, 1, store), tex);
    GLuint t = tex;
    glDeleteTextures(1, &t);
}

TEST_F(SceneListTest, TextureSlotsFollowTheirConstantsAndIgnoreBadSlotNumbers)
{
    LogCapture log;
    TZynSceneList list(nullptr);
    list.AddNew(ProbeClass());
    TZynScene* s = list.Items(0);
    int32_t row = FindConst("TUNNEL.TEX0");
    ASSERT_GE(row, 0);
    int32_t saved = ConstAsInt(row);
    EXPECT_EQ(s->GetTextureSlot(-1), 19);
    EXPECT_EQ(s->GetTextureSlot(1), 19);
    EXPECT_EQ(s->GetTextureSlot(0), saved);

    uint8_t packet[ZynControlPacketSize] = {};
    packet[24] = 7;
    int32_t slot = -1;
    std::memcpy(packet + 28, &slot, 4);
    packet[32] = 5;
    s->HandlePacket(packet);
    slot = 1;
    std::memcpy(packet + 28, &slot, 4);
    s->HandlePacket(packet);
    EXPECT_EQ(ConstAsInt(row), saved);
    packet[24] = 8;   // not a slot packet
    slot = 0;
    std::memcpy(packet + 28, &slot, 4);
    s->HandlePacket(packet);
    EXPECT_EQ(ConstAsInt(row), saved);
    packet[24] = 7;
    s->HandlePacket(packet);
    EXPECT_EQ(ConstAsInt(row), 5);
    ConstSetInt(row, saved);
}
