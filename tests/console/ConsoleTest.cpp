// ConsoleTest: the console line store (prefixes, wrapping, size limit),
// console input, line editing, history and the --exec line.
#include "app/ZynClientObject.h"
#include "app/ZynOptions.h"
#include "console/ConsoleTestLog.h"
#include "console/ZynCmdInterp.h"
#include "console/ZynConsole.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

class ConsoleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ConsoleCreate();
        ConsoleHistoryClear();
    }
    void TearDown() override { ConsoleFree(); }
    std::vector<std::string> Lines() const { return {ConsoleLines().begin(), ConsoleLines().end()}; }
    TConsoleTestLog dir;   // private BaseDir; its capture is replaced by the console sink
};

TEST_F(ConsoleTest, KindPrefixes)
{
    ConsoleLine("5");
    ConsoleLine("=x");
    ConsoleLine("#ERROR : y");
    ConsoleLine("-typed");
    ConsoleLine(">z");
    ConsoleLine("");
    EXPECT_EQ(Lines(), (std::vector<std::string>{">5", "=x", "#ERROR : y", "-typed", ">>z", ""}));
    // Command output reaches the console through the log: CmdPrint's ">" and
    // the console's own ">" both stay.
    ConsoleClear();
    CmdPrint("listed");
    EXPECT_EQ(Lines(), (std::vector<std::string>{">>listed"}));
}

TEST_F(ConsoleTest, LongLineWithoutBlanksIsCutWithDots)
{
    std::string body;
    for (int i = 0; i < 120; i++) body.push_back(static_cast<char>('a' + i % 26));
    ConsoleLine("#" + body);
    auto lines = Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "#" + body.substr(0, 55) + "...");
    EXPECT_EQ(lines[1], "#" + body.substr(55, 55) + "...");
    EXPECT_EQ(lines[2], "#" + body.substr(110));
}

TEST_F(ConsoleTest, LongLineBreaksAfterTheLastBlankWithinTheWidth)
{
    std::string text = std::string(39, 'a') + " " + std::string(30, 'b');
    ConsoleLine(text);
    auto lines = Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], ">" + std::string(39, 'a') + " ");
    EXPECT_EQ(lines[1], ">" + std::string(30, 'b'));
    // Exactly 58 characters stay one line; a blank at position 1 is no break.
    EXPECT_EQ(ConsoleWrap("=" + std::string(58, 'c')).size(), 1u);
    auto pieces = ConsoleWrap("= " + std::string(60, 'c'));
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0], "= " + std::string(54, 'c') + "...");
}

TEST_F(ConsoleTest, MixedPrefixIsKeptOnEveryPiece)
{
    auto pieces = ConsoleWrap("->" + std::string(100, 'x'));
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0], "->" + std::string(55, 'x') + "...");
    EXPECT_EQ(pieces[1], "->" + std::string(45, 'x'));
}

TEST_F(ConsoleTest, StoreKeepsOnlyTheNewestLines)
{
    for (size_t i = 0; i < ConsoleMaxLines + 250; i++) ConsoleLine(std::to_string(i));
    auto lines = Lines();
    ASSERT_EQ(lines.size(), ConsoleMaxLines);
    EXPECT_EQ(lines.front(), ">250");
    EXPECT_EQ(lines.back(), ">" + std::to_string(ConsoleMaxLines + 249));
    EXPECT_EQ(ConsoleLinesAdded() >= ConsoleMaxLines + 250, true);
    ConsoleClear();
    EXPECT_TRUE(ConsoleLines().empty());
}

TEST_F(ConsoleTest, LogLinesReachTheConsole)
{
    ZynLogLine("hello");
    ZynLogError("bad");
    EXPECT_EQ(Lines(), (std::vector<std::string>{">hello", "#ERROR : bad"}));
    ConsoleFree();
    ZynLogLine("after");   // no store: file only, no crash
    EXPECT_TRUE(ConsoleLines().empty());
    ConsoleCreate();
}

TEST_F(ConsoleTest, ExecuteEchoesAndShowsTheResult)
{
    ConsoleExecute("Add(2, 3)");
    EXPECT_EQ(Lines(), (std::vector<std::string>{"-Add(2, 3)", "=5"}));
    ConsoleClear();
    ConsoleExecute("Cls");   // no result line
    EXPECT_TRUE(ConsoleLines().empty());
    ConsoleResult("");
    ConsoleResult("7");
    EXPECT_EQ(Lines(), (std::vector<std::string>{"=7"}));
}

TEST_F(ConsoleTest, OverlongInputIsCut)
{
    ConsoleExecute(std::string(ConsoleMaxInput + 500, 'q'));
    size_t echoed = 0;
    for (const std::string& l : Lines()) {
        if (!l.empty() && l[0] == '-') echoed += l.size() - 1;
    }
    // Every echoed piece carries at most 58 characters (plus "..." on cut pieces).
    EXPECT_GE(echoed, ConsoleMaxInput);
    EXPECT_LE(echoed, ConsoleMaxInput + 3 * (ConsoleMaxInput / 55 + 1));
    bool warned = false;
    for (const std::string& l : Lines()) warned |= l.rfind("#WARNING : Input line too long", 0) == 0;
    EXPECT_TRUE(warned);
}

TEST_F(ConsoleTest, EditLine)
{
    std::string line;
    EditLine(8, line);
    EXPECT_EQ(line, "");
    EditLine('a', line);
    EditLine('b', line);
    EditLine(300, line);
    EXPECT_EQ(line, "ab");
    EditLine(8, line);
    EXPECT_EQ(line, "a");
    std::string full(ConsoleMaxInput, 'z');
    EditLine('y', full);
    EXPECT_EQ(full.size(), ConsoleMaxInput);
}

TEST_F(ConsoleTest, HistoryRecallsNewestFirst)
{
    AddHistory("a");
    AddHistory("b");
    AddHistory("c");
    std::string line;
    ASSERT_TRUE(ConsoleHistoryUp(line));
    EXPECT_EQ(line, "c");
    ASSERT_TRUE(ConsoleHistoryUp(line));
    EXPECT_EQ(line, "b");
    ASSERT_TRUE(ConsoleHistoryUp(line));
    EXPECT_EQ(line, "a");
    AddHistory("d");   // entering a line restarts the recall
    ASSERT_TRUE(ConsoleHistoryUp(line));
    EXPECT_EQ(line, "d");
}

TEST_F(ConsoleTest, HistoryKeepsTwentyAndRecallsNineteen)
{
    for (int i = 0; i < 25; i++) AddHistory(std::to_string(i));
    EXPECT_EQ(ConsoleHistory().size(), 20u);
    EXPECT_EQ(ConsoleHistory()[0], "24");
    EXPECT_EQ(ConsoleHistory()[19], "5");
    std::string line;
    for (int i = 0; i < 19; i++) ASSERT_TRUE(ConsoleHistoryUp(line));
    EXPECT_EQ(line, "6");
    EXPECT_FALSE(ConsoleHistoryUp(line));
    EXPECT_EQ(line, "6");
}

TEST_F(ConsoleTest, ConsoleWindowInput)
{
    std::string input;
    for (char c : std::string("Inc(41)")) ConsoleInputKey(c, true, input);
    ConsoleInputKey(37, false, input);   // other keys do nothing
    EXPECT_EQ(input, "Inc(41)");
    ConsoleInputKey(13, true, input);
    EXPECT_EQ(input, "");
    EXPECT_EQ(Lines(), (std::vector<std::string>{"-Inc(41)", "=42"}));
    ConsoleInputKey('x', true, input);
    ConsoleInputKey(38, false, input);
    EXPECT_EQ(input, "Inc(41)");
    ConsoleInputKey(8, true, input);
    EXPECT_EQ(input, "Inc(41");
}

TEST_F(ConsoleTest, TelnetSinkGetsUnwrappedLinesOnlyOnceFramesRun)
{
    std::vector<std::string> sent;
    ConsoleSetTelnetSink([&](const std::string& l) { sent.push_back(l); });
    ConsoleLine("before frames");
    EXPECT_TRUE(sent.empty());

    // Any non-null client will do: the console only checks that one exists.
    alignas(16) static unsigned char fakeClient[16];
    TZynClient* savedClient = Client;
    Client = reinterpret_cast<TZynClient*>(fakeClient);
    ClientRunning = true;
    std::string longText(100, 'w');
    ConsoleLine(longText);
    Client = savedClient;
    ClientRunning = false;
    ConsoleSetTelnetSink(nullptr);

    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], ">" + longText);
    EXPECT_EQ(Lines().size(), 3u);   // one line before, two wrapped pieces
}

TEST_F(ConsoleTest, ExecOptionRunsOnceAfterTheFirstFrame)
{
    ZynOpt.execLine = "Add(2, 3)";
    ConsoleFrameDone();
    ConsoleFrameDone();
    ZynOpt.execLine.clear();
    EXPECT_EQ(Lines(), (std::vector<std::string>{"-Add(2, 3)", "=5"}));
}

} // namespace

TEST_F(ConsoleTest, MegabyteLinesWrapInLinearTime)
{
    // Before: a 4 MB line took 57 s, the rest being erased from the front again
    // and again. Only the newest ConsoleMaxLines pieces are stored.
    const std::string big = "#" + std::string(4 << 20, 'x');
    const auto t0 = std::chrono::steady_clock::now();
    const std::vector<std::string> pieces = ConsoleWrap(big);
    ConsoleLine(big);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), 2.0);
    EXPECT_EQ(pieces.size(), (4u << 20) / 55 + 1);
    EXPECT_EQ(Lines().size(), ConsoleMaxLines);
    EXPECT_EQ(Lines().back(), pieces.back());
}
