// Announcements: overlay layout, scroller cells and scroll, fades, limits, and
// what they put on the picture.
#include "announce/ZynAnnounceOverlay.h"
#include "announce/ZynAnnounceScroller.h"
#include "config/ZynConstDef.h"
#include "support/ZynRenderHarness.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace ZynRenderTest;

namespace {

float CellCentreX(const TannOverlay& o, size_t j) { return o.Positions[j].x + 0.5f; }
float CellCentreY(const TannOverlay& o, size_t j) { return o.Positions[j].y + 0.5f; }

// A scene that draws nothing: announcements are all there is to see.
struct TvisBlank : TZynScene {};

}  // namespace

TEST(AnnounceOverlay, LayoutCentresLinesAndScalesToTheLongest)
{
    TannOverlay o(nullptr);
    o.Announce("HELLO", 3);
    EXPECT_FLOAT_EQ(o.Scale, 0.1f);
    for (size_t j = 0; j < 5; j++) {
        EXPECT_FLOAT_EQ(CellCentreX(o, j), static_cast<float>(j) - 2);
        EXPECT_FLOAT_EQ(CellCentreY(o, j), 0.5f);
    }
    o.Announce("ABCD\r" + std::string(20, 'x'), 3);
    EXPECT_FLOAT_EQ(o.Scale, 0.05f);
    EXPECT_FLOAT_EQ(o.Positions[0].y, 0.5f);
    EXPECT_FLOAT_EQ(o.Positions[0].x, -2.0f);
    EXPECT_FLOAT_EQ(o.Positions[5].y, -0.5f);
    EXPECT_FLOAT_EQ(o.Positions[5].x, -10.0f);
    EXPECT_EQ(o.Text[4], ' ');   // the break is stored as a blank
    // Empty lines do not divide by zero; a text past the layout is cut.
    o.Announce("\r\r", 1);
    EXPECT_FLOAT_EQ(o.Scale, 0.1f);
    o.Announce(std::string(5000, 'y'), 1);
    EXPECT_EQ(o.Text.size(), TannOverlay::MaxChars);
    EXPECT_FLOAT_EQ(o.Scale, 1.0f / 1024);
}

TEST(AnnounceFade, RisesHoldsAndFallsAndEndsOnTime)
{
    TannOverlay o(nullptr);
    o.Announce("x", 4);
    o.Elapsed = 0.25f;
    EXPECT_FLOAT_EQ(o.FadeAlpha(0.5f), 0.5f);
    o.Elapsed = 2;
    EXPECT_FLOAT_EQ(o.FadeAlpha(0.5f), 1);
    o.Elapsed = 3.9f;
    EXPECT_NEAR(o.FadeAlpha(0.5f), 0.2f, 1e-5);
    // Durations of zero, below zero or not a number end at the first frame.
    for (float d : {0.0f, -3.0f, std::nanf("")}) {
        o.Announce("x", d);
        EXPECT_GE(o.Render(0.0f), 1.0f) << d;
    }
}

TEST(AnnounceScroller, CellsFitTheViewportAndStayBounded)
{
    EXPECT_EQ(TannScroller::CellsFor(640, 480, 0.1f), 27);
    EXPECT_EQ(TannScroller::CellsFor(640, 0, 0.1f), 0);
    EXPECT_EQ(TannScroller::CellsFor(0, 480, 0.1f), 0);
    EXPECT_EQ(TannScroller::CellsFor(1 << 30, 1, 0.01f), TannScroller::MaxCells);
    TannScroller s(nullptr);
    s.Text = "0123456789";
    s.Cells = 20;
    s.Duration = 10;
    s.Elapsed = zcASCROLLER_FadeTime;
    EXPECT_FLOAT_EQ(s.ScrollPosition(), 0);
    s.Elapsed = s.Duration - zcASCROLLER_FadeTime;
    EXPECT_FLOAT_EQ(s.ScrollPosition(), 50);
    // No time to scroll: the text rests in the middle.
    s.Duration = 2 * zcASCROLLER_FadeTime;
    EXPECT_FLOAT_EQ(s.ScrollPosition(), 15);
}

// Both kinds draw over a black scene while shown and leave nothing behind.
TEST(AnnounceRender, ShowsTheTextAndIsGoneAfterItsTime)
{
    TSession session;
    ASSERT_TRUE(session.Open(320, 240));
    session.UseScenes({ZynSceneClassOf<TvisBlank>("TvisBlank")});
    for (int32_t index : {0, 1}) {
        session.Vis()->Announce(index, "HELLO\rWORLD", 3);
        for (int i = 0; i < 30; i++) ASSERT_TRUE(session.Frame(TInput::Silence, 0.05f));
        EXPECT_GT(LitFraction(session.Grab()), 0.005) << index;
        for (int i = 0; i < 40; i++) ASSERT_TRUE(session.Frame(TInput::Silence, 0.05f));
        EXPECT_EQ(session.Vis()->ActiveAnnouncement, -1);
        EXPECT_EQ(LitFraction(session.Grab()), 0) << index;
    }
}
