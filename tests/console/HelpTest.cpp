// HelpTest: loading Zyn.man, finding entries, and the shipped help file.
#include "console/ConsoleTestLog.h"
#include "console/ZynCmdInterp.h"
#include "console/ZynCommandHelp.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

namespace {

class HelpTest : public ::testing::Test {
protected:
    void TearDown() override { FreeHelp(); }
    void WriteMan(const std::string& text)
    {
        std::ofstream(log.Dir + "/Zyn.man", std::ios::binary) << text;
    }
    TConsoleTestLog log;
};

TEST_F(HelpTest, MissingFileLogsTheStartUpErrorAndHelpFindsNothing)
{
    LoadHelp();
    EXPECT_TRUE(HelpText().empty());
    ASSERT_EQ(log.Lines.size(), 1u);
    EXPECT_EQ(log.Lines[0], "#ERROR : HELPINIT - cannot load help file \"" + log.Dir + "\\Zyn.man\"");
    log.Lines.clear();
    ExecuteLine("Add(1)");
    EXPECT_EQ(log.Lines, (std::vector<std::string>{">No help found for \"Add\""}));
}

TEST_F(HelpTest, EntryRunsToTheFirstEmptyLine)
{
    WriteMan("intro text\r\n*BIND \r\nwrong one\r\n\r\n*Bind\r\nBind(key, [command])\r\n  binds a key\r\n\r\n"
             "*Other\r\nnot shown\r\n");
    LoadHelp();
    ShowCommandHelp("bind");
    EXPECT_EQ(log.Lines, (std::vector<std::string>{">*Bind", ">Bind(key, [command])", ">  binds a key"}));
    log.Lines.clear();
    ShowCommandHelp("OTHER");   // runs to the end of the file
    EXPECT_EQ(log.Lines, (std::vector<std::string>{">*Other", ">not shown"}));
    log.Lines.clear();
    ShowCommandHelp("intro");
    EXPECT_EQ(log.Lines, (std::vector<std::string>{">No help found for \"intro\""}));
}

TEST_F(HelpTest, HelpCommandShowsOneEntry)
{
    WriteMan("*ADD\nAdd(a, b): the sum\n\n");
    LoadHelp();
    ExecuteLine("Help([add])");
    EXPECT_EQ(log.Lines, (std::vector<std::string>{">*ADD", ">Add(a, b): the sum"}));
}

TEST_F(HelpTest, ShippedHelpFileHasAnEntryForEveryCommand)
{
    std::ifstream in(std::string(ZYN_SOURCE_DIR) + "/data/Zyn.man", std::ios::binary);
    ASSERT_TRUE(in) << "data/Zyn.man missing";
    std::set<std::string> entries;
    std::string line, previous = "";
    int lineNo = 0;
    while (std::getline(in, line)) {
        lineNo++;
        EXPECT_TRUE(line.empty() || line.back() != '\r') << "line " << lineNo;
        EXPECT_LE(line.size(), 58u) << "line " << lineNo << " wraps in the console";
        if (!line.empty() && line[0] == '*') {
            EXPECT_TRUE(previous.empty()) << "entry " << line << " does not follow an empty line";
            entries.insert(line.substr(1));
        }
        previous = line;
    }
    for (const TProcRec& rec : CommandTable) {
        std::string upper;
        for (char c : std::string(rec.Name)) upper.push_back(static_cast<char>(std::toupper(c)));
        bool found = entries.count(upper) > 0 || entries.count(rec.Name) > 0;
        EXPECT_TRUE(found) << "no help entry for " << rec.Name;
    }
}

} // namespace
