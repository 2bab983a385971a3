// ConsoleRunTest: the running program executes a --exec line after its first
// frame; checked through the log file of a headless run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class ConsoleRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "zynrun-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    void CopyHelp() { fs::copy_file(fs::path(ZYN_SOURCE_DIR) / "data" / "Zyn.man", fs::path(dir) / "Zyn.man"); }
    // Runs the program for a few frames with the line; returns the log lines.
    std::vector<std::string> Run(const std::string& line)
    {
        std::ofstream(fs::path(dir) / "line.txt") << line;
        std::string cmd = "SDL_VIDEODRIVER=offscreen \"" + std::string(ZYN_RUNTIME_DIR) +
                          "/zyn\" --headless --frames 3 --udp-port 47311 --base-dir \"" + dir +
                          "\" --exec \"$(cat '" + dir + "/line.txt')\" >/dev/null 2>&1";
        int rc = std::system(cmd.c_str());
        EXPECT_EQ(rc, 0) << cmd;
        std::vector<std::string> lines;
        std::ifstream in(fs::path(dir) / "ZynLog.txt");
        for (std::string l; std::getline(in, l);) {
            if (!l.empty() && l.back() == '\r') l.pop_back();
            lines.push_back(l);
        }
        return lines;
    }
    static bool Has(const std::vector<std::string>& lines, const std::string& line)
    {
        for (const std::string& l : lines)
            if (l == line) return true;
        return false;
    }
    // The lines after the echoed input line.
    static std::vector<std::string> After(const std::vector<std::string>& lines, const std::string& echo)
    {
        for (size_t i = 0; i < lines.size(); i++)
            if (lines[i] == echo) return {lines.begin() + static_cast<long>(i) + 1, lines.end()};
        return {};
    }
    std::string dir;
};

TEST_F(ConsoleRunTest, ResultOfTheExecLine)
{
    auto lines = Run("Add(2, 3)");
    auto after = After(lines, "-Add(2, 3)");
    ASSERT_FALSE(after.empty());
    EXPECT_EQ(after[0], "=5");
}

TEST_F(ConsoleRunTest, NumberAndUnknownName)
{
    auto lines = Run("3.14159;nosuch");
    auto after = After(lines, "-3.14159;nosuch");
    ASSERT_GE(after.size(), 3u);
    EXPECT_EQ(after[0], "#ERROR : (FindConst) Constant \"nosuch\" Not Found");
    EXPECT_EQ(after[1], "#ERROR : Command or Variable \"nosuch\" not found");
    EXPECT_EQ(after[2], "=3.142");
}

TEST_F(ConsoleRunTest, Listings)
{
    auto lines = Run("CmdList;VarList([net])");
    auto after = After(lines, "-CmdList;VarList([net])");
    ASSERT_GE(after.size(), 51u);
    EXPECT_EQ(after[0], ">Help");
    EXPECT_EQ(after[46], ">TexLoadTGA");
    EXPECT_EQ(after[47], ">47 Commands");
    EXPECT_EQ(after[48], ">NET.TelnetPort");
    EXPECT_EQ(after[49], ">NET.PIN");
    EXPECT_EQ(after[50], ">404 Variables");
}

TEST_F(ConsoleRunTest, HelpFromTheShippedFile)
{
    CopyHelp();
    auto lines = Run("Help([add])");
    EXPECT_FALSE(Has(lines, "#ERROR : HELPINIT - cannot load help file \"" + dir + "\\Zyn.man\""));
    auto after = After(lines, "-Help([add])");
    ASSERT_GE(after.size(), 2u);
    EXPECT_EQ(after[0], ">*Add");
    EXPECT_EQ(after[1].rfind(">Add(a, b)", 0), 0u);
}

TEST_F(ConsoleRunTest, MissingHelpFile)
{
    auto lines = Run("Add(1)");
    EXPECT_TRUE(Has(lines, "#ERROR : HELPINIT - cannot load help file \"" + dir + "\\Zyn.man\""));
    auto after = After(lines, "-Add(1)");
    ASSERT_FALSE(after.empty());
    EXPECT_EQ(after[0], ">No help found for \"Add\"");
}

} // namespace
