// The timer queue: tags, slot order, overflow, clearing, listing and firing.
#include "app/ZynLog.h"
#include "console/ZynConsole.h"
#include "console/ZynTimer.h"
#include "platform/ZynPath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <unistd.h>
#include <string>
#include <vector>

namespace {

class TimerQueue : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = std::filesystem::temp_directory_path() / ("zyn_timer_" + std::to_string(getpid()));
        std::filesystem::create_directories(dir_);
        ZynSetBaseDir(dir_.string());
        ConsoleCreate();
        TimerReset();
    }
    void TearDown() override
    {
        TimerReset();
        ConsoleFree();
        std::filesystem::remove_all(dir_);
    }
    static std::vector<std::string> Lines()
    {
        return std::vector<std::string>(ConsoleLines().begin(), ConsoleLines().end());
    }
    static int CountLines(const std::string& text)
    {
        const auto lines = Lines();
        return static_cast<int>(std::count(lines.begin(), lines.end(), text));
    }
    // Lines starting with text (long lines are wrapped in the store).
    static int CountStarts(const std::string& text)
    {
        int n = 0;
        for (const std::string& l : ConsoleLines()) n += l.rfind(text, 0) == 0;
        return n;
    }
    std::filesystem::path dir_;
};

const char* const kOverflow = "#ERROR : Timer Queue has overflowed. replacing the";

int InUse()
{
    int n = 0;
    for (int i = 0; i < TimerSlotCount; i++) n += TimerSlot(i).Time > 0;
    return n;
}

} // namespace

TEST_F(TimerQueue, SameTagReplacesTheTimer)
{
    TimerAdd("a", "Cls", 5);
    TimerAdd("A", "Quit", 2);
    EXPECT_EQ(InUse(), 1);
    EXPECT_EQ(TimerSlot(0).Tag, "A");
    EXPECT_FLOAT_EQ(TimerSlot(0).Time, 2);
    EXPECT_EQ(TimerSlot(0).Command, "Quit");
    TimerAdd("b", "x", 1);
    EXPECT_EQ(TimerSlot(1).Tag, "B");
    EXPECT_EQ(InUse(), 2);
}

TEST_F(TimerQueue, FiresAfterItsTimeAndWritesTheResult)
{
    TimerAdd("x", "Add(1110, 1)", 1.0f);
    TimerTick(0.0f);
    TimerTick(0.6f);
    EXPECT_EQ(CountLines("=1111"), 0);
    EXPECT_EQ(InUse(), 1);
    TimerTick(0.6f);
    EXPECT_EQ(CountLines("=1111"), 1);
    EXPECT_EQ(InUse(), 0);
    EXPECT_EQ(TimerSlot(0).Tag, "X");      // the tag stays after firing
    EXPECT_EQ(TimerSlot(0).Command, "");
    TimerTick(5.0f);                        // fires once only
    EXPECT_EQ(CountLines("=1111"), 1);
}

TEST_F(TimerQueue, DueTimersFireInSlotOrder)
{
    TimerAdd("late", "Add(0, 1)", 1.0f);    // slot 0
    TimerAdd("early", "Add(0, 2)", 0.5f);   // slot 1
    TimerTick(2.0f);
    const auto lines = Lines();
    const auto one = std::find(lines.begin(), lines.end(), "=1");
    const auto two = std::find(lines.begin(), lines.end(), "=2");
    ASSERT_NE(one, lines.end());
    ASSERT_NE(two, lines.end());
    EXPECT_LT(one - lines.begin(), two - lines.begin());
}

TEST_F(TimerQueue, ZeroOrNegativeTimeNeverFires)
{
    TimerAdd("z", "Add(4320, 1)", 0.0f);
    TimerAdd("n", "Add(4320, 2)", -1.0f);
    TimerTick(1.0f);
    EXPECT_EQ(InUse(), 0);
    EXPECT_EQ(CountLines("=4321"), 0);
    EXPECT_EQ(CountLines("=4322"), 0);
}

TEST_F(TimerQueue, OverflowReplacesTheSlotWithMostTimeLeft)
{
    for (int i = 0; i < TimerSlotCount; i++) TimerAdd("T" + std::to_string(i), "c", 10.0f + (i == 100 ? 50 : 0));
    EXPECT_EQ(InUse(), 256);
    EXPECT_EQ(CountStarts(kOverflow), 0);
    TimerAdd("new", "d", 3);
    EXPECT_EQ(CountStarts(kOverflow), 1);
    EXPECT_EQ(TimerSlot(100).Tag, "NEW");
    EXPECT_FLOAT_EQ(TimerSlot(100).Time, 3);
    // Equal times: the later slot is taken.
    TimerAdd("other", "e", 1);
    EXPECT_EQ(TimerSlot(255).Tag, "OTHER");
    // A tag already running is replaced without overflow.
    TimerAdd("t5", "f", 1);
    EXPECT_EQ(CountStarts(kOverflow), 2);
    EXPECT_EQ(TimerSlot(5).Command, "f");
}

TEST_F(TimerQueue, ClearRemovesByTagAlsoAfterFiring)
{
    TimerAdd("keep", "x", 5);
    TimerAdd("go", "Add(70, 7)", 0.1f);
    TimerClear("nothing");
    EXPECT_EQ(CountLines(">A Timer was found with tag \"NOTHING\" and removed"), 0);
    TimerTick(0.2f);                        // "go" fires, keeps its tag
    TimerClear("Go");
    EXPECT_EQ(CountLines(">A Timer was found with tag \"GO\" and removed"), 1);
    EXPECT_EQ(TimerSlot(1).Tag, "");
    EXPECT_EQ(InUse(), 1);
    TimerClear("KEEP");
    EXPECT_EQ(InUse(), 0);
    EXPECT_EQ(TimerSlot(0).Command, "");
}

TEST_F(TimerQueue, ShowLinesKeepTheLastTenCharacters)
{
    TTime t;
    t.Time = 4.6f;
    t.Tag = "AB";
    t.Command = "Cls";
    EXPECT_EQ(TimerShowLine(t), "5AB        \"Cls\"");
    t.Tag = "ABCDE";
    EXPECT_EQ(TimerShowLine(t), "CDE        \"Cls\"");
    t.Time = 123.4f;
    t.Tag = "";
    EXPECT_EQ(TimerShowLine(t), "123        \"Cls\"");
    t.Time = 2.5f;                          // ties to even
    EXPECT_EQ(TimerShowLine(t), "  2        \"Cls\"");

    TimerAdd("ab", "Cls", 4.6f);
    TimerAdd("cd", "VarList", 1.2f);
    TimerShow();
    EXPECT_EQ(CountLines(">5AB        \"Cls\""), 1);
    EXPECT_EQ(CountLines(">1CD        \"VarList\""), 1);
}
