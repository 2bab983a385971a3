// In-picture interface: every window drawn at three sizes, real mouse and key
// routing through the sequencer, the window rules (replace, outside click,
// handler safety), the constants editor, the console window and the overlays.
#include "app/TGLWindow.h"
#include "config/ZynConst.h"
#include "config/ZynConstDef.h"
#include "console/ZynCmdInterp.h"
#include "console/ZynCommands.h"
#include "console/ZynConsole.h"
#include "support/ZynRenderHarness.h"
#include "ui/ZynUI.h"
#include "ui/ZynWindowAbout.h"
#include "ui/ZynWindowBass.h"
#include "ui/ZynWindowConsole.h"
#include "ui/ZynWindowConst.h"
#include "net/ZynMidiIn.h"
#include "ui/ZynWindowMain.h"
#include "ui/ZynWindowOptions.h"
#include "ui/ZynWindowPrefFade.h"
#include "ui/ZynWindowPrefScene.h"
#include "ui/ZynWindowSceneSel.h"
#include "ui/ZynWindowWinAMP.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>

using namespace ZynRenderTest;

namespace {

struct TvisBlank : TZynScene {};

class UITest : public ::testing::Test {
protected:
    // A blank scene unless the whole catalogue is asked for.
    void Open(int32_t w = 320, int32_t h = 240, bool catalogue = false)
    {
        ConsoleCreate();
        ASSERT_TRUE(session.Open(w, h));
        if (!catalogue) session.UseScenes({ZynSceneClassOf<TvisBlank>("TvisBlank")});
        CmdUseSequencer(session.Vis());
        ASSERT_TRUE(session.Frame(TInput::Silence, 0.1f));
    }
    void TearDown() override
    {
        CmdUseSequencer(nullptr);
        session.Close();
        ConsoleFree();
    }
    TZynUI& UI() { return *session.Vis()->UI; }
    void Frames(int n, float dt = 0.1f)
    {
        for (int i = 0; i < n; i++) ASSERT_TRUE(session.Frame(TInput::Silence, dt));
    }
    // A mouse event at window-local position (lx, ly) of w, in window pixels.
    void Mouse(TZWindow& w, float lx, float ly, int32_t button, bool pressed, uint8_t state = 0)
    {
        w.Place(UI().Aspect);
        const int32_t* vp = session.Vis()->Viewport;
        const float ix = w.ScreenX + 2 * w.Scale * lx, iy = w.ScreenY + 2 * w.Scale * ly;
        session.Vis()->Mouse(static_cast<int32_t>(std::lround(ix * vp[2] / (2 * UI().Aspect))),
                             static_cast<int32_t>(std::lround(iy * vp[3] / 2)), button, state, pressed);
    }
    void Click(TZWindow& w, const TZRegion& r, int32_t button = 1)
    {
        const float x = (r.X1 + r.X2) / 2, y = (r.Y1 + r.Y2) / 2;
        const uint8_t held = button == 1 ? GLW_MK_LBUTTON : GLW_MK_RBUTTON;
        Mouse(w, x, y, 0, false);
        Mouse(w, x, y, button, true, held);
        Mouse(w, x, y, button, false);
    }
    TSession session;
};

using TFactory = std::function<std::unique_ptr<TZWindow>(TVisObject*)>;
template <class T>
TFactory Make()
{
    return [](TVisObject* v) { return std::make_unique<T>(v); };
}

}  // namespace

TEST_F(UITest, EveryWindowOpensAndClosesWithoutGLErrorsAtThreeSizes)
{
    const std::vector<std::pair<std::string, TFactory>> windows = {
        {"main", Make<TWindowMain>()},         {"options", Make<TWindowOptions>()},
        {"scenesel", Make<TWindowSceneSel>()}, {"prefscene", Make<TWindowPrefScene>()},
        {"preffade", Make<TWindowPrefFade>()}, {"bass", Make<TWindowBass>()},
        {"console", Make<TWindowConsole>()},   {"about", Make<TWindowAbout>()},
        {"const", [](TVisObject* v) { return std::make_unique<TWindowConst>(v, "tunnel"); }}};
    const char* shots = std::getenv("ZYN_UI_SHOTS");   // a folder: pictures to look at
    for (auto [w, h] : {std::pair{320, 240}, {640, 480}, {1920, 1080}}) {
        Open(w, h, w == 640);
        zcWINDOW_IdleTime = 1;   // the side bar is gone after a second
        Frames(15);
        const TImage empty = session.Grab();
        for (const auto& [name, make] : windows) {
            UI().OpenWindow(make(session.Vis()));
            Frames(3);
            const TImage shown = session.Grab();
            EXPECT_GT(ImageDifference(shown, empty), 0.5) << name << " at " << w;
            if (shots && w == 640) SavePPM(shown, std::string(shots) + "/" + name + ".ppm");
            UI().CloseWindow();
            Frames(11);
            EXPECT_FALSE(UI().Current) << name;
            if (w != 640) EXPECT_EQ(ImageDifference(session.Grab(), empty), 0) << name;   // blank scene
        }
        zcWINDOW_IdleTime = 2;
        session.Close();
    }
}

TEST_F(UITest, MainMenuClicksOpenTheirWindowsAndOutsideClicksClose)
{
    Open();
    ExecuteLine("WindowOpenMain");
    Frames(3);
    auto* menu = dynamic_cast<TWindowMain*>(UI().Current.get());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(ExecuteLine("isWindowOpen"), "1");
    // A press inside a region released elsewhere does nothing.
    Mouse(*menu, 0.1f, 0.1f, 1, true, GLW_MK_LBUTTON);
    Mouse(*menu, 0.9f, 0.1f, 1, false);
    EXPECT_EQ(UI().Current.get(), menu);
    Click(*menu, menu->Regions[4]);   // "Zy Console"
    EXPECT_NE(dynamic_cast<TWindowConsole*>(UI().Current.get()), nullptr);
    EXPECT_EQ(UI().Closing.get(), menu);
    EXPECT_EQ(menu->Hint, "Zy Console");
    ExecuteLine("WindowOpenMain");
    Frames(3);
    Click(*UI().Current, {-0.3f, 0.5f, -0.2f, 0.6f});   // left of the window
    EXPECT_EQ(ExecuteLine("isWindowOpen"), "0");
}

TEST_F(UITest, AWindowReplacedByItsOwnHandlerLivesUntilItReturns)
{
    Open();
    struct TProbe : TZWindow {
        using TZWindow::TZWindow;
        ~TProbe() override { *gone = true; }
        void Key(bool, int32_t, bool) override
        {
            ExecuteLine("WindowOpenMain;WindowOpenMain");
            goneDuringHandler = *gone;
        }
        bool* gone = nullptr;
        bool goneDuringHandler = true;
    };
    bool gone = false;
    auto probe = std::make_unique<TProbe>(session.Vis());
    TProbe* p = probe.get();
    p->gone = &gone;
    UI().OpenWindow(std::move(probe));
    session.Vis()->Key(true, 'x', false);
    EXPECT_FALSE(p->goneDuringHandler);
    EXPECT_NE(dynamic_cast<TWindowMain*>(UI().Current.get()), nullptr);
    Frames(1);
    EXPECT_TRUE(gone);
}

TEST_F(UITest, ConstantsWindowSlidersAndSteps)
{
    Open();
    auto owned = std::make_unique<TWindowConst>(session.Vis(), "scene");
    TWindowConst& w = *owned;
    UI().OpenWindow(std::move(owned));
    Frames(3);
    EXPECT_EQ(w.Title, "SCENE");
    ASSERT_FALSE(w.Rows.empty());
    size_t sliders = 0, withSlider = 0;
    for (size_t r = 0; r < w.Rows.size(); r++) {
        EXPECT_STREQ(ConstRow(w.Rows[r])->Section, "SCENE");
        if (TWindowConst::HasSlider(w.Rows[r])) sliders++, withSlider = r;
    }
    ASSERT_GT(sliders, 0u);
    const size_t i = withSlider;
    const int32_t c = w.Rows[i];
    const double saved = ConstAsFloat(c);
    const TZRegion slider = w.Regions[2 * i];
    // Drag to the right end: the maximum.
    Mouse(w, 0.6f, (slider.Y1 + slider.Y2) / 2, 1, true, GLW_MK_LBUTTON);
    Mouse(w, 0.9f, (slider.Y1 + slider.Y2) / 2, 0, false, GLW_MK_LBUTTON);
    Mouse(w, 0.9f, (slider.Y1 + slider.Y2) / 2, 1, false);
    EXPECT_FLOAT_EQ(ConstAsFloat(c), ConstRow(c)->Max);
    // A right click on the row lowers it by one step.
    const TZRegion row = w.Regions[2 * i + 1];
    const float before = ConstAsFloat(c);
    Click(w, {row.X1, row.Y1, row.X1 + 0.1f, row.Y2}, 2);
    const float clicked = ConstAsFloat(c);
    ConstSetFloat(c, before);
    ConstStep(c, -1);
    const float expect = ConstAsFloat(c);
    EXPECT_LT(expect, before);
    EXPECT_FLOAT_EQ(clicked, expect);
    ConstSetFloat(c, saved);
    // A middle click arms MIDI learn for the row's constant.
    Click(w, {row.X1, row.Y1, row.X1 + 0.1f, row.Y2}, ZynMouseMiddle);
    EXPECT_FLOAT_EQ(ConstAsFloat(c), saved);
    TZynMidiIn midi;
    Click(w, {row.X1, row.Y1, row.X1 + 0.1f, row.Y2}, ZynMouseMiddle);
    EXPECT_EQ(midi.Map.Armed(), ConstFullName(c));
    Frames(1);
}

TEST_F(UITest, ConsoleWindowTypesRunsAndCopiesLines)
{
    Open();
    ExecuteLine("WindowOpenConsole");
    Frames(3);
    auto* console = dynamic_cast<TWindowConsole*>(UI().Current.get());
    ASSERT_NE(console, nullptr);
    for (char ch : std::string("Add(2,3)")) session.Vis()->Key(true, ch, false);
    session.Vis()->Key(true, 13, true);   // the key itself edits nothing
    session.Vis()->Key(true, 13, false);
    const auto& lines = ConsoleLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "-Add(2,3)");
    EXPECT_EQ(lines.back(), "=5");
    ConsoleLine("#ERROR : broken");
    Click(*console, console->Regions[0]);
    EXPECT_EQ(console->Input, "ERROR : broken");
    Click(*console, console->Regions[1], 2);
    EXPECT_EQ(console->Input, "ERROR : broken5");
    // Scrolled far past the lines: nothing is indexed outside them.
    console->ScrollOffset = 1 << 20;
    EXPECT_EQ(console->LineAt(0), nullptr);
    Frames(1);
    EXPECT_EQ(TWindowConsole::InputShown(std::string(70, 'a')).substr(0, 3), ":<<");
    EXPECT_EQ(TWindowConsole::InputShown(std::string(70, 'a')).size(), 63u);
}

// The console window keeps its drawing as one picture: over a coloured scene
// (wrong alpha would show) it must look as drawn directly, and a new line or
// a typed key must show in the very next frame.
TEST_F(UITest, CachedConsoleWindowLooksAsDrawnAndShowsChangesAtOnce)
{
    struct TvisOrange : TZynScene {
        void Render(const TVisData&, float, float) override
        {
            glPushAttrib(GL_COLOR_BUFFER_BIT);
            glClearColor(0.8f, 0.5f, 0.2f, 1);
            glClear(GL_COLOR_BUFFER_BIT);
            glPopAttrib();
        }
    };
    for (auto [width, height] : {std::pair{320, 240}, {640, 480}, {1920, 1080}}) {
        SCOPED_TRACE(width);
        Open(width, height);
        session.UseScenes({ZynSceneClassOf<TvisOrange>("TvisOrange")});
        CmdUseSequencer(session.Vis());
        for (int i = 0; i < 30; i++) ConsoleLine(">line " + std::to_string(i));
        auto owned = std::make_unique<TWindowConsole>(session.Vis());
        TWindowConsole& w = *owned;
        UI().OpenWindow(std::move(owned));
        const int settled = TZWindowCache::SettleFrames + 1;   // frames until a changed picture is built
        Frames(2 + settled);
        ASSERT_EQ(w.Cache->Builds(), 1);
        const TImage cached = session.Grab();
        Frames(2);
        EXPECT_EQ(w.Cache->Builds(), 1) << "rebuilt although nothing changed";
        EXPECT_LT(ImageDifference(session.Grab(), cached), 0.01);
        // The same window drawn directly.
        w.Cache.reset();
        Frames(1);
        EXPECT_LT(ImageDifference(session.Grab(), cached), 0.05);
        w.Cache = std::make_unique<TZWindowCache>();
        Frames(settled);
        // A change shows at once (drawn directly), and once built again looks the same.
        const auto changedNow = [&](const std::function<void()>& change) {
            const TImage before = session.Grab();
            change();
            Frames(1);
            const TImage next = session.Grab();
            EXPECT_GT(ImageDifference(next, before), 0.01);
            Frames(settled);
            EXPECT_LT(ImageDifference(session.Grab(), next), 0.05);
        };
        changedNow([] { ConsoleLine("=a line added while the window is open"); });
        changedNow([&] { session.Vis()->Key(true, 'x', false); });
        changedNow([] { ConsoleClear(); });
        // Moved (nothing else changes) or resized: shown at once at the new place, cached there as drawn.
        changedNow([&] { w.X += 0.2f; });
        changedNow([&] { glViewport(0, 0, width / 2, height / 2); });
        EXPECT_EQ(w.Cache->Builds(), 6);
        const TImage resized = session.Grab();
        w.Cache.reset();
        Frames(1);
        EXPECT_LT(ImageDifference(session.Grab(), resized), 0.05);
        session.Close();
    }
}

TEST_F(UITest, FrameRateDisplayStaysInTheTopRightCorner)
{
    Open(320, 240);
    zcWINDOW_IdleTime = 1;
    Frames(15);
    const TImage plain = session.Grab();
    auto changedColumns = [&](const TImage& img) {
        int32_t leftmost = img.Width;
        for (int32_t y = 0; y < img.Height; y++)
            for (int32_t x = 0; x < img.Width; x++) {
                size_t i = 3 * (static_cast<size_t>(y) * img.Width + x);
                if (img.Rgb[i] != plain.Rgb[i] || img.Rgb[i + 1] != plain.Rgb[i + 1]) {
                    EXPECT_GT(y, img.Height * 0.8) << "below the top band";
                    leftmost = std::min(leftmost, x);
                }
            }
        return leftmost;
    };
    zcMAIN_DrawFPS = 1;
    Frames(1);
    const int32_t one = changedColumns(session.Grab());
    zcMAIN_DrawFPS = 2;
    Frames(1);
    const int32_t two = changedColumns(session.Grab());
    zcMAIN_DrawFPS = 0;
    zcWINDOW_IdleTime = 2;
    EXPECT_GT(one, 320 * 0.8);
    EXPECT_LT(two, one - 20);   // the history graph reaches further left
}

TEST(UIFade, CursorFadeRisesHoldsAndFalls)
{
    EXPECT_FLOAT_EQ(TZynUI::IdleFade(0, 2), 0);
    EXPECT_NEAR(TZynUI::IdleFade(0.25f, 2), 1, 1e-6);
    EXPECT_NEAR(TZynUI::IdleFade(1, 2), 2, 1e-6);
    EXPECT_NEAR(TZynUI::IdleFade(2, 2), 0, 1e-6);
    EXPECT_FLOAT_EQ(TZynUI::IdleFade(5, 2), 0);
}

TEST(UIPlayer, TimesTitlesAndSongShow)
{
    EXPECT_EQ(TWindowWinAMP::TimeText(65123), " 1: 5.23");
    EXPECT_EQ(TWindowWinAMP::TimeText(5), " 0: 0.05");
    EXPECT_EQ(TWindowWinAMP::ShortTitle(std::string(50, 't'), 44), std::string(41, 't') + "...");
    EXPECT_EQ(TWindowWinAMP::ShortTitle("short", 44), "short");
    EXPECT_FLOAT_EQ(TWindowWinAMP::SongShow(0.5f, 5), 0.5f);
    EXPECT_FLOAT_EQ(TWindowWinAMP::SongShow(2.5f, 5), 1);
    EXPECT_FLOAT_EQ(TWindowWinAMP::SongShow(5, 5), 0);
}
