// CommandsBindTest: key-binding and timer commands over the binding list and
// the timer queue.
#include "console/ConsoleTestLog.h"
#include "console/ZynCmdInterp.h"
#include "console/ZynConsole.h"
#include "console/ZynKeyBind.h"
#include "console/ZynTimer.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

class CommandsBindTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = BindList;
        BindList = &list;
        TimerReset();
    }
    void TearDown() override
    {
        BindList = saved;
        BindSetWindowOpenQuery(nullptr);
        TimerReset();
    }
    TConsoleTestLog log;
    TBindList list;
    TBindList* saved = nullptr;
};

TEST_F(CommandsBindTest, BindStoresLiteralCommands)
{
    ExecuteLine("Bind([VK_F1], [SceneChange(2)])");
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Items[0].KeyCode, 112);
    EXPECT_EQ(list.Items[0].Command, "SceneChange(2)");
    EXPECT_FALSE(list.Items[0].Allow);
    EXPECT_EQ(log.Lines, (std::vector<std::string>{">Key (112-+VK_F1) --> \"SceneChange(2)\""}));
    log.Lines.clear();
    // Querying one key yields its command.
    EXPECT_EQ(ExecuteLine("Bind([+vk_f1])"), "SceneChange(2)");
    EXPECT_EQ(ExecuteLine("Bind([VK_F2])"), "");
    EXPECT_EQ(log.Lines.back(), ">Key (113-+VK_F2) not bound");
}

TEST_F(CommandsBindTest, EvaluatedCommandArgumentRunsAtOnce)
{
    ExecuteLine("Bind([VK_F1], Add(1, 2))");
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Items[0].Command, "3");
    ExecuteLine("Bind(VK_F1, [x])");   // the key is evaluated first: an unknown name
    EXPECT_TRUE(log.Has("#ERROR : Command or Variable \"VK_F1\" not found"));
}

TEST_F(CommandsBindTest, RebindKeepsAllowAndJoinsWords)
{
    ExecuteLine("Bind([27], [Quit])");
    list.Items[0].Allow = true;
    ExecuteLine("Bind([vk_escape], [Cls], [Add(1,2)], [x])");
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Items[0].Command, "Cls Add(1,2) x");
    EXPECT_TRUE(list.Items[0].Allow);
}

TEST_F(CommandsBindTest, ListingAndUnbinding)
{
    ExecuteLine("Bind([VK_F1], [A]);Bind([-VK_F1], [B]);Bind([300], [C])");
    log.Lines.clear();
    ExecuteLine("Bind");
    EXPECT_EQ(log.Lines, (std::vector<std::string>{">3 Bindings", ">Key: 112    (+VK_F1) --> \"A\"",
                                                    ">Key: 624    (-VK_F1) --> \"B\"", ">Key: 300    (300) --> \"C\""}));
    log.Lines.clear();
    ExecuteLine("UnBind");
    EXPECT_EQ(log.Lines.size(), 4u);
    log.Lines.clear();
    ExecuteLine("UnBind([-VK_F1])");
    EXPECT_EQ(log.Lines, (std::vector<std::string>{">Key (624--VK_F1) now unbound"}));
    EXPECT_EQ(list.Count(), 2);
    log.Lines.clear();
    ExecuteLine("UnBind([-VK_F1]);UnBind([1],[2])");
    EXPECT_TRUE(log.Lines.empty());
    ExecuteLine("UnBindAll(5)");
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(log.Lines, (std::vector<std::string>{">Everything now unbound"}));
}

TEST_F(CommandsBindTest, BadKeys)
{
    ExecuteLine("Bind([VK_NOPE], [x])");
    EXPECT_EQ(log.Lines, (std::vector<std::string>{"#ERROR : Enter either a key name (VK___) or a keycode"}));
    EXPECT_EQ(list.Count(), 0);
    log.Lines.clear();
    ExecuteLine("Bind([27.4], [y])");   // a decimal number is rounded
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Items[0].KeyCode, 27);
}

TEST_F(CommandsBindTest, ConsoleKeyOnAndOff)
{
    ExecuteLine("Bind([VK_F5], [Inc(1)])");
    log.Lines.clear();
    ExecuteLine("ConsoleKeyOn([VK_F5])");
    EXPECT_TRUE(list.Items[0].Allow);
    ExecuteLine("ConsoleKeyOff([VK_F5])");
    EXPECT_FALSE(list.Items[0].Allow);
    ExecuteLine("ConsoleKeyOn([VK_F6])");
    EXPECT_EQ(log.Lines, (std::vector<std::string>{">Key binding now available from within console",
                                                    ">Key binding now NOT available from whithin console",
                                                    ">Binding Not found"}));
    log.Lines.clear();
    ExecuteLine("ConsoleKeyOn([VK_BAD])");
    EXPECT_EQ(log.Lines, (std::vector<std::string>{"#ERROR : Enter either a key name (VK___) or a keycode",
                                                    ">No help found for \"ConsoleKeyOn\""}));
    log.Lines.clear();
    ExecuteLine("ConsoleKeyOn");
    EXPECT_EQ(log.Lines, (std::vector<std::string>{">No help found for \"ConsoleKeyOn\""}));
}

TEST_F(CommandsBindTest, ExecuteBindFollowsTheOpenWindowRule)
{
    ConsoleCreate();
    ExecuteLine("Bind([VK_F5], [Cls])");
    ConsoleLine("x");
    BindSetWindowOpenQuery([] { return true; });
    ExecuteLine("ExecuteBind(116)");
    EXPECT_FALSE(ConsoleLines().empty());
    ExecuteLine("ConsoleKeyOn([VK_F5]);ExecuteBind(116)");
    EXPECT_TRUE(ConsoleLines().empty());
    ConsoleFree();
}

TEST_F(CommandsBindTest, BindingThatRunsItselfStopsAtTheNestingLimit)
{
    ExecuteLine("Bind([258], [ExecuteBind(258)])");
    log.Lines.clear();
    ExecuteBinding(258);
    EXPECT_EQ(CmdNestingDepth(), 0);
    size_t errors = 0;
    for (const std::string& l : log.Lines) errors += l.find("nested too deeply") != std::string::npos;
    EXPECT_EQ(errors, 1u);
}

TEST_F(CommandsBindTest, TimerCommands)
{
    ConsoleCreate();
    ExecuteLine("TimerAdd(5, [a], [Cls]);TimerAdd(2, [A], [Add(1, 1)])");
    int used = 0;
    for (int i = 0; i < TimerSlotCount; i++) used += TimerSlot(i).Time > 0;
    EXPECT_EQ(used, 1);
    EXPECT_EQ(TimerSlot(0).Tag, "A");
    EXPECT_EQ(TimerSlot(0).Command, "Add(1, 1)");
    TimerTick(2.5f);
    EXPECT_EQ(ConsoleLines().back(), "=2");
    ExecuteLine("TimerAdd(1e50, [long], [x])");   // no float overflow
    EXPECT_GT(TimerSlot(0).Time, 1e29f);
    ExecuteLine("TimerClear([long])");
    EXPECT_EQ(TimerSlot(0).Time, 0.0f);
    ConsoleFree();
    log.Capture();
    log.Lines.clear();
    ExecuteLine("TimerAdd(1, [x]);TimerClear;TimerShow(1)");
    EXPECT_EQ(log.Lines.size(), 3u);
}

} // namespace

TEST_F(CommandsBindTest, RunawayBindingsStopAtOneBudgetAndOnAStopRequest)
{
    // Two calls of itself per call: about 2^64 calls within the nesting limit.
    ExecuteLine("Bind(300,[ExecuteBind(300);ExecuteBind(300)])");
    log.Lines.clear();
    const auto t0 = std::chrono::steady_clock::now();
    ExecuteLine("ExecuteBind(300)");
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), 5.0);
    EXPECT_EQ(log.Count("More than 100000 commands from one line - the rest of the line is not run"), 1u);
    EXPECT_EQ(ExecuteLine("Inc(1)"), "2");      // the next line has a budget of its own
    // A signal's stop request ends the running line and what follows it.
    CmdRequestStop();
    EXPECT_EQ(ExecuteLine("Inc(1)"), "");
    EXPECT_EQ(log.Count("The program is closing - the rest of the line is not run"), 1u);
    CmdClearStop();
    EXPECT_EQ(ExecuteLine("Inc(1)"), "2");
}

TEST_F(CommandsBindTest, StoredCommandsAreCapped)
{
    ExecuteLine("Bind(301,[x])");
    const std::string big = "[" + std::string(CmdMaxStoredCommand + 1, 'x') + "]";
    ExecuteLine("Bind(301," + big + ")");
    ExecuteLine("TimerAdd(5,[t]," + big + ")");
    EXPECT_EQ(list.Items[0].Command, "x");
    EXPECT_EQ(TimerSlot(0).Time, 0.0f);
    EXPECT_EQ(log.Count("Bind - command of 65537 characters not stored (at most 65536)"), 1u);
    EXPECT_EQ(log.Count("TimerAdd - command of 65537 characters not stored (at most 65536)"), 1u);
}
