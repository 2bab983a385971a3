// The binding list: lookup, dispatch with the open-window rule, and its
// "BIND" section in Zyn.cfg.
#include "console/ZynConsole.h"
#include "console/ZynKeyBind.h"
#include "console/ZynKeyDef.h"
#include "platform/ZynPath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

bool g_windowOpen = false;
bool WindowOpenForTest() { return g_windowOpen; }

class KeyBindings : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = std::filesystem::temp_directory_path() / ("zyn_keybind_" + std::to_string(getpid()));
        std::filesystem::create_directories(dir_);
        ZynSetBaseDir(dir_.string());
        ConsoleCreate();
        BindList = &list_;
        g_windowOpen = false;
        BindSetWindowOpenQuery(WindowOpenForTest);
    }
    void TearDown() override
    {
        BindSetWindowOpenQuery(nullptr);
        BindList = nullptr;
        ConsoleFree();
        std::filesystem::remove_all(dir_);
    }
    void WriteConfig(const std::string& text)
    {
        std::ofstream(dir_ / "Zyn.cfg") << text;
    }
    std::string ReadConfig()
    {
        std::ifstream f(dir_ / "Zyn.cfg");
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    }
    static int Count(const std::string& line)
    {
        return static_cast<int>(std::count(ConsoleLines().begin(), ConsoleLines().end(), line));
    }
    std::filesystem::path dir_;
    TBindList list_;
};

} // namespace

TEST_F(KeyBindings, SetFindAndDeleteKeepCodesUnique)
{
    EXPECT_EQ(list_.FindBinding(27), -1);
    EXPECT_EQ(list_.SetBinding(27, "Cls"), 0);
    EXPECT_EQ(list_.SetBinding(112, "SceneChange(2)"), 1);
    list_.Items[0].Allow = true;
    EXPECT_EQ(list_.SetBinding(27, "Quit"), 0);          // replaced, Allow kept
    EXPECT_EQ(list_.Count(), 2);
    EXPECT_EQ(list_.Items[0].Command, "Quit");
    EXPECT_TRUE(list_.Items[0].Allow);
    EXPECT_FALSE(list_.Items[1].Allow);
    EXPECT_EQ(list_.FindBinding(112), 1);
    EXPECT_EQ(list_.FindBinding(112 + 512), -1);
    list_.DeleteBinding(0);
    EXPECT_EQ(list_.FindBinding(112), 0);
    list_.DeleteBinding(5);                              // out of range: nothing
    list_.DeleteBinding(-1);
    EXPECT_EQ(list_.Count(), 1);
}

TEST_F(KeyBindings, CommandsAreStoredWithoutLineBreaks)
{
    list_.SetBinding(65, "Cls\r\n[MAIN]\nScreenX=9");
    EXPECT_EQ(list_.Items[0].Command, "Cls[MAIN]ScreenX=9");
    list_.SaveBindList();
    TBindList loaded;
    loaded.LoadBindList();
    ASSERT_EQ(loaded.Count(), 1);
    EXPECT_EQ(loaded.Items[0].Command, "Cls[MAIN]ScreenX=9");
    // Also a command put straight into the list never splits the file.
    list_.Items[0].Command = "a\nCOUNT=99";
    list_.SaveBindList();
    loaded.LoadBindList();
    ASSERT_EQ(loaded.Count(), 1);
    EXPECT_EQ(loaded.Items[0].Command, "aCOUNT=99");
}

TEST_F(KeyBindings, ExecuteRunsTheCommandUnlessAWindowIsOpen)
{
    list_.SetBinding(27, "CmdList");
    list_.SetBinding(27 + 512, "Help");
    ExecuteBinding(27);
    EXPECT_EQ(Count(">>48 Commands"), 1);
    EXPECT_EQ(Count(">>HELP"), 0);
    ExecuteBinding(539);
    EXPECT_EQ(Count(">>HELP"), 1);
    ExecuteBinding(28);                                  // not bound: nothing
    g_windowOpen = true;
    ExecuteBinding(27);
    EXPECT_EQ(Count(">>48 Commands"), 1);
    list_.Items[0].Allow = true;
    ExecuteBinding(27);
    EXPECT_EQ(Count(">>48 Commands"), 2);
    BindList = nullptr;                                  // no list yet: ignored
    ExecuteBinding(27);
    EXPECT_EQ(Count(">>48 Commands"), 2);
}

TEST_F(KeyBindings, KeyEventsRunDownAndUpBindings)
{
    list_.SetBinding(112, "CmdList");
    list_.SetBinding(112 + 512, "Help");
    ExecuteKeyBinding(true, 112, false);                 // a character event: no binding
    EXPECT_EQ(Count(">>48 Commands"), 0);
    ExecuteKeyBinding(true, 112, true);
    ExecuteKeyBinding(true, 112, true);                  // auto-repeat runs it again
    EXPECT_EQ(Count(">>48 Commands"), 2);
    EXPECT_EQ(Count(">>HELP"), 0);
    ExecuteKeyBinding(false, 112, true);
    EXPECT_EQ(Count(">>HELP"), 1);
    EXPECT_EQ(Count(">>48 Commands"), 2);
}

TEST_F(KeyBindings, SaveAndLoadRoundTrip)
{
    list_.SetBinding(112, "SceneChange(2)");
    list_.SetBinding(256, "TimerAdd(2, [A], [Add(1,1)])");
    list_.SetBinding(539, "");
    list_.Items[1].Allow = true;
    list_.SaveBindList();
    EXPECT_EQ(Count(">Saving Key Bindings...."), 1);

    TBindList loaded;
    loaded.LoadBindList();
    ASSERT_EQ(loaded.Count(), 3);
    EXPECT_EQ(loaded.Items[0].KeyCode, 112);
    EXPECT_EQ(loaded.Items[0].Command, "SceneChange(2)");
    EXPECT_FALSE(loaded.Items[0].Allow);
    EXPECT_EQ(loaded.Items[1].KeyCode, 256);
    EXPECT_EQ(loaded.Items[1].Command, "TimerAdd(2, [A], [Add(1,1)])");
    EXPECT_TRUE(loaded.Items[1].Allow);
    EXPECT_EQ(loaded.Items[2].KeyCode, 539);
    EXPECT_EQ(loaded.Items[2].Command, "");
    for (const char* l : {">Loading Key Bindings....", ">Get INI file", ">Read Count", ">Loop", ">free",
                          ">3 Key Bindings Found"})
        EXPECT_EQ(Count(l), 1) << l;

    // A shorter list leaves the old keys in the file; COUNT bounds the reading.
    loaded.DeleteBinding(0);
    loaded.DeleteBinding(0);
    loaded.SaveBindList();
    list_.LoadBindList();
    ASSERT_EQ(list_.Count(), 1);
    EXPECT_EQ(list_.Items[0].KeyCode, 539);
}

TEST_F(KeyBindings, LoadFillsDefaultsAndClampsTheCount)
{
    list_.SetBinding(1, "x");
    list_.LoadBindList();                                // no file at all: the first-run set
    EXPECT_EQ(list_.Count(), static_cast<int>(ZynDefaultBindings().size()));

    WriteConfig("[MAIN]\nScreenX=640\n[BIND]\nCOUNT=3\nKeyCode0=112\nCommand0=Cls\nAllow0=1\n"
                "KeyCode1=112\nCommand1=Quit\nCommand2=Help\n");
    list_.LoadBindList();
    ASSERT_EQ(list_.Count(), 3);
    EXPECT_TRUE(list_.Items[0].Allow);
    EXPECT_EQ(list_.FindBinding(112), 0);                // repeated codes: the first wins
    EXPECT_EQ(list_.Items[2].KeyCode, 255);              // missing code
    EXPECT_FALSE(list_.Items[2].Allow);

    WriteConfig("[BIND]\nCOUNT=-7\n");
    list_.LoadBindList();
    EXPECT_EQ(list_.Count(), 0);

    WriteConfig("[BIND]\nCOUNT=2000000000\nKeyCode0=27\nCommand0=Cls\n");
    list_.LoadBindList();
    EXPECT_EQ(list_.Count(), TBindList::MaxBindings);
    EXPECT_EQ(list_.Items[0].KeyCode, 27);
    EXPECT_EQ(list_.Items[TBindList::MaxBindings - 1].KeyCode, 255);
}

TEST_F(KeyBindings, AFirstRunWritesTheDefaultSetAndAnOwnSetGetsNone)
{
    list_.LoadBindList();   // no Zyn.cfg at all
    ASSERT_EQ(list_.Count(), static_cast<int>(ZynDefaultBindings().size()));
    EXPECT_GE(list_.FindBinding(KeyEventStart), 0);
    const int f4 = list_.FindBinding(115);
    ASSERT_GE(f4, 0);
    EXPECT_TRUE(list_.Items[f4].Allow);   // the timers keep changing scenes behind a window
    EXPECT_NE(ReadConfig().find("[BIND]"), std::string::npos);
    TBindList again;
    again.LoadBindList();   // now read back as ordinary bindings
    EXPECT_EQ(again.Count(), list_.Count());
    WriteConfig("[BIND]\nCOUNT=1\nKeyCode0=65\nCommand0=Cls\nAllow0=0\n");
    again.LoadBindList();
    EXPECT_EQ(again.Count(), 1);
    WriteConfig("[MAIN]\nScreenX=640\n[BIND]\n");
    again.LoadBindList();
    EXPECT_EQ(again.Count(), 0);
}
