// Tests of the log file rules: header, line appends, console copy, unwritable files, GL errors.
#include "app/ZynLog.h"
#include "app/ZynOffscreenGL.h"
#include "platform/ZynLineFold.h"
#include "platform/ZynPath.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct LogFixture : ::testing::Test {
    fs::path dir;
    std::string oldBase;
    std::vector<std::string> console;
    int quits = 0;

    void SetUp() override
    {
        oldBase = ZynBaseDir();
        dir = fs::temp_directory_path() / ("zynlog_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        ZynSetBaseDir(dir.string());
        ZynLogSetConsoleSink([this](const std::string& s) { console.push_back(s); });
        ZynLogSetQuitHook([this] { quits++; });
    }
    void TearDown() override
    {
        ZynLogSetConsoleSink(nullptr);
        ZynLogSetQuitHook(nullptr);
        ZynSetBaseDir(oldBase);
        std::error_code ec;
        fs::permissions(dir / "ZynLog.txt", fs::perms::owner_all, ec);
        fs::remove_all(dir, ec);
    }
    std::vector<std::string> Lines() const
    {
        std::ifstream f(dir / "ZynLog.txt");
        std::vector<std::string> out;
        std::string line;
        while (std::getline(f, line)) out.push_back(line);
        return out;
    }
};

}  // namespace

TEST_F(LogFixture, ClearWritesTheFiveHeaderLinesAndReplacesOldText)
{
    std::ofstream(dir / "ZynLog.txt") << "old run\n";
    ZynLogClear();
    ZynLogLine("first");
    std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], " Zy/Quarvel Log File");
    EXPECT_EQ(lines[1], "----------------------------------------v1.54-");
    EXPECT_EQ(lines[2], " BASE DIR: " + dir.string());
    EXPECT_EQ(lines[3], std::string(46, '-'));
    EXPECT_EQ(lines[4], "");
    EXPECT_EQ(lines[5], "first");
    // The header is not echoed to the console; lines are.
    EXPECT_EQ(console, (std::vector<std::string>{"first"}));
}

TEST_F(LogFixture, LinesErrorsWarningsAndEmptyLines)
{
    ZynLogClear();
    ZynLogLine("");
    ZynLogError("bad thing");
    ZynLogWarning("odd thing");
    std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[5], "");
    EXPECT_EQ(lines[6], "#ERROR : bad thing");
    EXPECT_EQ(lines[7], "#WARNING : odd thing");
    EXPECT_EQ(console, (std::vector<std::string>{"", "#ERROR : bad thing", "#WARNING : odd thing"}));
    EXPECT_EQ(quits, 0);
}

TEST_F(LogFixture, ExceptionLineThenQuitRequest)
{
    ZynLogClear();
    ZynLogException("ZynI_Init:ConstLoad", "file is broken");
    EXPECT_EQ(Lines().back(), "#ERROR : (ZynI_Init:ConstLoad) : file is broken");
    EXPECT_EQ(quits, 1);
}

TEST_F(LogFixture, UnopenableLogStaysSilentButConsoleStillGetsLines)
{
    // A folder where the file should be: neither truncating nor appending can open it.
    fs::create_directories(dir / "ZynLog.txt");
    EXPECT_NO_THROW(ZynLogClear());
    EXPECT_NO_THROW(ZynLogLine("still here"));
    EXPECT_EQ(console, (std::vector<std::string>{"still here"}));
    EXPECT_TRUE(fs::is_directory(dir / "ZynLog.txt"));
}

TEST_F(LogFixture, ReadOnlyLogFileDoesNotThrow)
{
    ZynLogClear();
    fs::permissions(dir / "ZynLog.txt", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_NO_THROW(ZynLogClear());
    EXPECT_NO_THROW(ZynLogLine("line"));
    EXPECT_EQ(console, (std::vector<std::string>{"line"}));
}

TEST_F(LogFixture, ThrowingConsoleSinkDoesNotReachTheCaller)
{
    ZynLogSetConsoleSink([](const std::string&) { throw std::runtime_error("console gone"); });
    ZynLogClear();
    EXPECT_NO_THROW(ZynLogLine("text"));
    EXPECT_EQ(Lines().back(), "text");
}

TEST_F(LogFixture, CheckGLReportsPendingErrorsOnce)
{
    ASSERT_TRUE(ZynOffscreenGL::Create(8, 8)) << ZynOffscreenGL::LastError();
    ZynLogClear();
    EXPECT_TRUE(ZynCheckGL("quiet", 0));
    EXPECT_EQ(Lines().size(), 5u);          // nothing written

    glEnable(0x7FFF);                        // invalid enumerant
    EXPECT_FALSE(ZynCheckGL("TZynKick.Use", 7));
    EXPECT_EQ(Lines().back(), "#ERROR : OPENGL: \"invalid enumerant\" in \"TZynKick.Use\" (7)");
    EXPECT_TRUE(ZynCheckGL("again", 0));     // drained
    ZynOffscreenGL::Destroy();
}

TEST(LineFold, RepeatsAreCountedAndFloodsOfOneSourceHeldBack)
{
    TZynLineFold fold;
    fold.PerSource = 3;
    fold.PerSecond = 5;
    fold.PassRepeats = 1;
    std::vector<std::string> out;
    auto emit = [&](const std::string& s) { out.push_back(s); };
    for (int i = 0; i < 5; i++) fold.Add("same", 0.0, emit);
    fold.Add("other", 0.1, emit);
    fold.Add("other", 0.2, emit);
    fold.Add("other", 0.3, emit);
    fold.Flush(0.5, emit);               // the repeat is not a second old yet
    EXPECT_EQ(out, (std::vector<std::string>{"same", "same", "... repeated 3 times", "other", "other"}));
    fold.Flush(1.3, emit);
    EXPECT_EQ(out.back(), "... repeated 1 time");
    out.clear();
    // Unknown names from one source: three a second, the rest counted.
    for (int i = 0; i < 10; i++) fold.Add("Constant \"x" + std::to_string(i) + "\" Not found", 2.0, emit);
    EXPECT_EQ(out.size(), 3u);
    fold.Add("another source", 2.1, emit);
    fold.Flush(3.1, emit);
    EXPECT_EQ(out.back(), "... 7 lines left out (too many a second)");
}

TEST_F(LogFixture, FullLogMovesToTheOldFileAndLongLinesAreCut)
{
    ZynLogClear();
    ZynLogSetLimits(20000, 1000000, 1000000);
    for (int i = 0; i < 300; i++) ZynLogLine("line " + std::to_string(i) + std::string(90, '.'));
    ZynLogLine(std::string(ZynLogMaxLine + 10, 'x'));
    ZynLogSetLimits(ZynLogMaxBytes, 100, 2000);
    // Each file ends with the line that took it past the cap.
    EXPECT_LT(fs::file_size(dir / "ZynLog.txt"), 20000u + 200);
    EXPECT_LT(fs::file_size(dir / "ZynLog.old.txt"), 20000u + ZynLogMaxLine + 200);
    EXPECT_EQ(Lines()[0], "(the lines before these are in ZynLog.old.txt)");
    EXPECT_EQ(console.back().size(), ZynLogMaxLine + std::string(" ... (65546 characters, cut)").size());
    EXPECT_EQ(console.size(), 301u);
}
