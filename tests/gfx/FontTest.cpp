// Tests of the bitmap font quads (GL-free geometry).
#include "gfx/kvFont.h"

#include <gtest/gtest.h>

namespace {

struct FontState : ::testing::Test {
    void SetUp() override
    {
        SetCharSize(0.05f, 0.05f);
        SetInset(0, 0);
    }
    void TearDown() override { SetUp(); }
};

}  // namespace

TEST_F(FontState, GlyphCellsCountRowsFromTheTop)
{
    TkvGlyphQuad q = kvGlyphQuad('A', 0.1f, 0.05f, 0.5f, 2, 1);   // 65: column 1, row 4
    EXPECT_FLOAT_EQ(q.u[0], 1 / 16.0f);
    EXPECT_FLOAT_EQ(q.u[1], 2 / 16.0f);
    EXPECT_FLOAT_EQ(q.v[0], 11 / 16.0f);
    EXPECT_FLOAT_EQ(q.v[2], 12 / 16.0f);
    EXPECT_FLOAT_EQ(q.x[2], 1.05f);
    EXPECT_FLOAT_EQ(q.y[2], 2.1f);
    EXPECT_FLOAT_EQ(q.z, 0.5f);
    TkvGlyphQuad last = kvGlyphQuad(255, 1, 1, 0, 0, 0);
    EXPECT_FLOAT_EQ(last.u[1], 1.0f);
    EXPECT_FLOAT_EQ(last.v[0], 0.0f);
}

TEST_F(FontState, InsetTrimsFractionsOfACell)
{
    SetInset(0.1f, 0.2f);
    TkvGlyphQuad q = kvGlyphQuad(0, 1, 1, 0, 0, 0);
    EXPECT_FLOAT_EQ(q.u[0], 0.2f / 16);
    EXPECT_FLOAT_EQ(q.u[1], 1 / 16.0f - 0.2f / 16);
    EXPECT_FLOAT_EQ(q.v[0], 15 / 16.0f + 0.1f / 16);
    EXPECT_FLOAT_EQ(q.v[3], 1 - 0.1f / 16);
}

TEST_F(FontState, TextWidthCountsEveryByte)
{
    EXPECT_FLOAT_EQ(TextWidth(""), 0);
    EXPECT_FLOAT_EQ(TextWidth("ab\r "), 0.2f);
    SetCharSize(-0.07f, 0.02f);
    EXPECT_FLOAT_EQ(CharHeight, -0.07f);
    EXPECT_FLOAT_EQ(TextWidth("abc"), 0.06f);
}
