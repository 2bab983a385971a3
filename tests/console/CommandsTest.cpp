// CommandsTest: logic, arithmetic, console, player and texture-text commands.
#include "console/ConsoleTestLog.h"
#include "console/ZynCmdInterp.h"
#include "console/ZynCommands.h"
#include "console/ZynCommandsTexture.h"
#include "console/ZynCommandsWinAMP.h"
#include "console/ZynConsole.h"
#include "winamp/ZynWinAMPControl.h"

#include <gtest/gtest.h>

namespace {

class CommandsTest : public ::testing::Test {
protected:
    TConsoleTestLog log;
    bool HasPrefix(const std::string& prefix) const
    {
        for (const std::string& l : log.Lines)
            if (l.rfind(prefix, 0) == 0) return true;
        return false;
    }
};

TEST_F(CommandsTest, Arithmetic)
{
    EXPECT_EQ(ExecuteLine("Add(2, 3)"), "5");
    EXPECT_EQ(ExecuteLine("Add(2.5, 0)"), "2");     // ties to even
    EXPECT_EQ(ExecuteLine("Add(-1.25, -1.25)"), "-2");
    EXPECT_EQ(ExecuteLine("Inc(2.4)"), "3");
    EXPECT_EQ(ExecuteLine("Dec(0)"), "-1");
    EXPECT_EQ(ExecuteLine("Inc(Inc(Inc(0)))"), "3");
    EXPECT_TRUE(log.Lines.empty());
}

TEST_F(CommandsTest, ArithmeticSaturatesInsteadOfOverflowing)
{
    EXPECT_EQ(ExecuteLine("Inc(9223372036854775807)"), "9223372036854775807");
    EXPECT_EQ(ExecuteLine("Dec(-9223372036854775807)"), std::to_string(INT64_MIN));
    EXPECT_EQ(ExecuteLine("Add([1e300], [1e300])"), "9223372036854775807");
    EXPECT_EQ(ExecuteLine("1e300"), "1E300");
    EXPECT_EQ(ExecuteLine("Add(2147483647, 1)"), "2147483648");
}

TEST_F(CommandsTest, WrongCountShowsHelp)
{
    EXPECT_EQ(ExecuteLine("Add(1)"), "");
    EXPECT_EQ(log.Lines, (std::vector<std::string>{">No help found for \"Add\""}));
    log.Lines.clear();
    for (const char* line : {"Inc", "Dec(1,2)", "Not", "If(1)", "If(1,[a],[b],[c])", "Greater(1)", "Cls(1)",
                             "VarInc", "VarStep([a])"}) {
        ExecuteLine(line);
        EXPECT_EQ(log.Lines.size(), 1u) << line;
        EXPECT_EQ(log.Lines.back().rfind(">No help found for", 0), 0u) << line;
        log.Lines.clear();
    }
}

TEST_F(CommandsTest, Logic)
{
    EXPECT_EQ(ExecuteLine("Not(0)"), "1");
    EXPECT_EQ(ExecuteLine("Not(0.0)"), "1");
    EXPECT_EQ(ExecuteLine("Not(-3)"), "0");
    EXPECT_EQ(ExecuteLine("If(1, [Inc(1)], [Inc(5)])"), "2");
    EXPECT_EQ(ExecuteLine("If(0, [Inc(1)], [Inc(5)])"), "6");
    EXPECT_EQ(ExecuteLine("If(0, [Inc(1)])"), "");
    EXPECT_EQ(ExecuteLine("If(Not(0), [Add(1, 1)])"), "2");
    EXPECT_EQ(ExecuteLine("Greater(10, 9)"), "1");
    EXPECT_EQ(ExecuteLine("Greater(2, 3)"), "0");
    EXPECT_EQ(ExecuteLine("Greater(3, 3)"), "0");
    EXPECT_EQ(ExecuteLine("Greater([b], [a])"), "1");
    EXPECT_EQ(ExecuteLine("Greater([a], [b])"), "0");
    EXPECT_TRUE(log.Lines.empty());
    EXPECT_EQ(ExecuteLine("Not([yes])"), "");
    EXPECT_TRUE(HasPrefix("#ERROR : (Not) "));
}

TEST_F(CommandsTest, IfOnlyRunsTheChosenBranch)
{
    ConsoleCreate();
    ConsoleLine("keep");
    ExecuteLine("If(1, [Inc(1)], [Cls])");
    EXPECT_EQ(ConsoleLines().size(), 1u);
    ExecuteLine("If(0, [Inc(1)], [Cls])");
    EXPECT_TRUE(ConsoleLines().empty());
    ConsoleFree();
}

TEST_F(CommandsTest, AnnounceTextLineBreaks)
{
    EXPECT_EQ(AnnounceText("a/nb"), "a\rb");
    EXPECT_EQ(AnnounceText(std::string("x") + static_cast<char>(172) + "y/"), "x\ry/");
    EXPECT_EQ(AnnounceText("/n/n"), "\r\r");
    EXPECT_EQ(AnnounceText("/N"), "/N");
}

TEST(TexLineTest, HexGroupsOfEight)
{
    EXPECT_EQ(TexLinePixels("FF0000FF00FF00FF"), (std::vector<uint32_t>{0xFF0000FFu, 0x00FF00FFu}));
    EXPECT_EQ(TexLinePixels("ff0000fg"), (std::vector<uint32_t>{0xFF0000F0u}));
    EXPECT_EQ(TexLinePixels("1234567"), (std::vector<uint32_t>{}));
    EXPECT_EQ(TexLinePixels("0000000A12"), (std::vector<uint32_t>{10u}));
}

TEST(TexLineTest, CustomFileNamesArePlainNames)
{
    EXPECT_TRUE(TexFileNameAllowed("logo.bmp"));
    EXPECT_TRUE(TexFileNameAllowed("My Picture 2.tga"));
    EXPECT_FALSE(TexFileNameAllowed(""));
    EXPECT_FALSE(TexFileNameAllowed(".."));
    EXPECT_FALSE(TexFileNameAllowed("../Zyn.cfg"));
    EXPECT_FALSE(TexFileNameAllowed("..\\Zyn.cfg"));
    EXPECT_FALSE(TexFileNameAllowed("/etc/passwd"));
    EXPECT_FALSE(TexFileNameAllowed("sub/x.tga"));
    EXPECT_FALSE(TexFileNameAllowed("c:x.tga"));
    EXPECT_FALSE(TexFileNameAllowed(std::string("a\nb")));
}

// A pretend player that records what reaches it.
class TFakePlayer : public TWinAMPLink {
public:
    TWinAMPWindow FindWindow() override { return 42; }
    int32_t SendUser(TWinAMPWindow w, int32_t wParam, int32_t lParam) override
    {
        User.push_back({wParam, lParam});
        return lParam == 105 && wParam == 1 ? 200 : 0;
    }
    int32_t SendCommand(TWinAMPWindow w, uint16_t id) override
    {
        Commands.push_back(id);
        return 0;
    }
    std::string Title(TWinAMPWindow w) override { return TitleText; }
    std::vector<std::pair<int32_t, int32_t>> User;
    std::vector<int32_t> Commands;
    std::string TitleText = "12. Artist - Song - Winamp";
};

class WinAMPCommandsTest : public CommandsTest {
protected:
    void TearDown() override { WinAMPSetLink(nullptr); }
    TFakePlayer player;
};

TEST_F(WinAMPCommandsTest, NoPlayerMeansNothingSentAndEmptyTitle)
{
    EXPECT_EQ(FindPlayer(), 0u);
    EXPECT_EQ(ExecuteLine("getWASong"), "");
    ExecuteLine("WAFunc([play])");
    ExecuteLine("setWAVol(10)");
    EXPECT_EQ(log.Lines, (std::vector<std::string>{">WinAMP Volume Changed OK"}));
}

TEST_F(WinAMPCommandsTest, CommandsReachThePlayer)
{
    WinAMPSetLink(&player);
    EXPECT_EQ(ExecuteLine("getWASong"), "12. Artist - Song");
    player.TitleText = "plain title";
    EXPECT_EQ(ExecuteLine("getWASong(1, 2)"), "plain title");

    ExecuteLine("WAFunc(40045)");
    ExecuteLine("WAFunc([play])");
    ExecuteLine("WAFunc([Pause])");
    ExecuteLine("WAFunc([v-])");
    ExecuteLine("WAFunc([nonsense])");
    EXPECT_EQ(player.Commands, (std::vector<int32_t>{40045, 40045, 40046, 40059}));

    ExecuteLine("setWAVol(255)");
    ASSERT_EQ(player.User.size(), 1u);
    EXPECT_EQ(player.User[0], (std::pair<int32_t, int32_t>{255, 122}));

    player.User.clear();
    WinAMPSeek(FindPlayer(), 0.5f);
    ASSERT_EQ(player.User.size(), 2u);
    EXPECT_EQ(player.User[1], (std::pair<int32_t, int32_t>{100000, 106}));
}

TEST_F(WinAMPCommandsTest, UsageAndRangeMessages)
{
    WinAMPSetLink(&player);
    for (const char* bad : {"setWAVol(256)", "setWAVol(-1)", "setWAVol(2.5)", "setWAVol([x])"}) {
        log.Lines.clear();
        ExecuteLine(bad);
        EXPECT_EQ(log.Lines, (std::vector<std::string>{">ERROR : need a value in range 0->255"})) << bad;
    }
    log.Lines.clear();
    ExecuteLine("setWAVol");
    ExecuteLine("WAFunc");
    ExecuteLine("WAFunc(1, 2)");
    EXPECT_EQ(log.Lines, (std::vector<std::string>{">USAGE : setWAVol volume",
                                                    ">USAGE : WAFunc PLAY|STOP|PAUSE|NEXT|PREV|FADE|HELP",
                                                    ">USAGE : WAFunc PLAY|STOP|PAUSE|NEXT|PREV|FADE|HELP"}));
    EXPECT_TRUE(player.User.empty());
}

TEST_F(WinAMPCommandsTest, HelpListsThePlayerCommandsAndSendsNothing)
{
    WinAMPSetLink(&player);
    ExecuteLine("WAFunc([help])");
    EXPECT_TRUE(player.Commands.empty());
    ASSERT_EQ(log.Lines.size(), static_cast<size_t>(WAFuncHelpLineCount));
    EXPECT_EQ(log.Lines.front(), ">Previous track button 40044");
    EXPECT_EQ(log.Lines[10], ">Go to end of playlist  40158");
    EXPECT_EQ(log.Lines.back(), ">Opens delete an auto load preset dialog 40180");
}

} // namespace
