// Tests of Zyn.cfg: loading, saving, foreign content, window rectangle and crash safety.
#include "config/ZynConstSave.h"

#include "config/ConstTestUtil.h"
#include "config/ZynConst.h"

#include "app/ZynLog.h"
#include "platform/ZynPath.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class ConstFile : public ::testing::Test {
protected:
    fs::path dir;
    std::vector<std::string> lines;
    void SetUp() override
    {
        ZynConstTest::RestoreCompiledValues();
        dir = fs::path(::testing::TempDir()) / ("cfg_" + std::to_string(getpid()) + "_" +
                                                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        ZynSetBaseDir(dir.string());
        ZynLogSetConsoleSink([this](const std::string& l) { lines.push_back(l); });
    }
    void TearDown() override
    {
        ZynLogSetConsoleSink(nullptr);
        ZynConstTest::RestoreCompiledValues();
        fs::remove_all(dir);
    }
    void WriteCfg(const std::string& text) const { std::ofstream(dir / "Zyn.cfg", std::ios::binary) << text; }
    std::string ReadCfg() const
    {
        std::ifstream in(dir / "Zyn.cfg", std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    bool Logged(const std::string& line) const
    {
        for (const auto& l : lines) if (l == line) return true;
        return false;
    }
};

// Checks that text is a complete constants file: every constant with a value;
// with ordered, each section's keys in table order (other keys may sit between).
::testing::AssertionResult CompleteConstantFile(const std::string& text, bool ordered = true)
{
    std::unique_ptr<TZynIniFile> parsed = TZynIniFile::FromText(text);
    const TZynIniFile& ini = *parsed;
    std::string current;
    std::vector<std::string> keys;
    size_t keyAt = 0;
    for (int32_t i = 0; i < ConstCount(); i++) {
        const TConstDef* row = ConstRow(i);
        if (current != row->Section) {
            current = row->Section;
            if (!ini.SectionExists(current)) return ::testing::AssertionFailure() << "section " << current << " missing";
            keys = ini.ReadSection(current);
            keyAt = 0;
        }
        if (!ordered) keyAt = 0;
        while (keyAt < keys.size() && keys[keyAt] != row->Name) keyAt++;
        if (keyAt == keys.size()) return ::testing::AssertionFailure() << ConstFullName(i) << " missing or out of order";
        std::string value = ini.ReadString(row->Section, row->Name, "");
        if (value.empty()) return ::testing::AssertionFailure() << ConstFullName(i) << " has no value";
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST_F(ConstFile, FirstSaveWritesEveryConstantInTableOrder)
{
    ConstLoad();   // no file: compiled values stay
    EXPECT_EQ(zcMAIN_ScreenX, 640);
    EXPECT_FALSE(fs::exists(dir / "Zyn.cfg"));
    ASSERT_TRUE(ConstSave());
    std::string text = ReadCfg();
    EXPECT_TRUE(CompleteConstantFile(text));

    TZynIniFile ini(ConfigFileName());
    std::vector<std::string> sections = ini.ReadSections();
    ASSERT_EQ(sections.size(), 45u);
    EXPECT_EQ(sections.front(), "PREF");
    EXPECT_EQ(sections.back(), "ASCROLLER");
    size_t keys = 0;
    for (const auto& s : sections) keys += ini.ReadSection(s).size();
    EXPECT_EQ(keys, 404u);
    EXPECT_EQ(text.rfind("[PREF]\nIntro=10\n", 0), 0u);
    EXPECT_NE(text.find("[MAIN]\nFullscreen=0\nToolWindow=1\nBPP=32\nScreenX=640\n"), std::string::npos);
    EXPECT_NE(text.find("pi=3.142\n"), std::string::npos);
    EXPECT_NE(text.find("StartScene=-1\n"), std::string::npos);
    EXPECT_NE(text.find("A3=0.002\n"), std::string::npos);
    EXPECT_TRUE(lines.empty()) << lines.front();
}

TEST_F(ConstFile, LoadAppliesLimitsStepsAndCaseInsensitiveNames)
{
    WriteCfg("[main]\r\nscreenx = 5000\r\nMTexX=1000\r\nSCREENY=641\r\n"
             "[TUNNEL]\r\nSpeed=3.14159\r\nTEX0=7\r\n[POINT]\r\nTEX1=19\r\n[BASE]\r\nTime=2.346E4\r\n");
    ConstLoad();
    EXPECT_EQ(zcMAIN_ScreenX, 2048);
    EXPECT_EQ(zcMAIN_MTexX, 1024);
    EXPECT_EQ(zcMAIN_ScreenY, 640);
    EXPECT_FLOAT_EQ(zcTUNNEL_Speed, 3.1f);
    EXPECT_EQ(zcTUNNEL_TEX0, 7);
    EXPECT_EQ(zcPOINT_TEX1, 19);
    EXPECT_FLOAT_EQ(zcBASE_Time, 23460.0f);
    // Defaults are the compiled-in values, captured before reading.
    EXPECT_EQ(ConstDefault(zciMAIN_ScreenX), 640.0f);
    EXPECT_EQ(ConstDefault(zciMAIN_MTexX), 2048.0f);
    EXPECT_TRUE(lines.empty());
    ConstLoad();   // a second load keeps the compiled-in defaults
    EXPECT_EQ(ConstDefault(zciMAIN_ScreenX), 640.0f);
    EXPECT_EQ(zcMAIN_ScreenX, 2048);

    ASSERT_TRUE(ConstSave());
    TZynIniFile ini(ConfigFileName());
    EXPECT_EQ(ini.ReadString("MAIN", "ScreenX", ""), "2048");
    EXPECT_EQ(ini.ReadString("BASE", "Time", ""), "2.346E4");
    EXPECT_EQ(ini.ReadString("POINT", "TEX1", ""), "19");
}

TEST_F(ConstFile, BadTextLogsAndTheOldValueIsSavedBack)
{
    WriteCfg("[MAIN]\nScreenX=abc\nScreenY=\n[TUNNEL]\nSpeed=nan\nSides=1e3\n");
    ConstLoad();
    EXPECT_TRUE(Logged("#ERROR : Error Converting String value \"abc\" for MAIN/ScreenX"));
    EXPECT_TRUE(Logged("#ERROR : Error Converting String value \"nan\" for TUNNEL/Speed"));
    EXPECT_TRUE(Logged("#ERROR : Error Converting String value \"1e3\" for TUNNEL/Sides"));
    EXPECT_EQ(lines.size(), 3u);   // the empty ScreenY is simply not set
    EXPECT_EQ(zcMAIN_ScreenX, 640);
    EXPECT_EQ(zcMAIN_ScreenY, 480);
    EXPECT_FLOAT_EQ(zcTUNNEL_Speed, 2.5f);
    EXPECT_EQ(zcTUNNEL_Sides, 24);
    ASSERT_TRUE(ConstSave());
    TZynIniFile ini(ConfigFileName());
    EXPECT_EQ(ini.ReadString("MAIN", "ScreenX", ""), "640");
    EXPECT_EQ(ini.ReadString("MAIN", "ScreenY", ""), "480");
    EXPECT_EQ(ini.ReadString("TUNNEL", "Speed", ""), "2.5");
}

TEST_F(ConstFile, ForeignSectionsAndUnknownKeysSurviveASave)
{
    WriteCfg("[WINDOWSIZE_GL]\nX=10\nY=20\nW=800\nH=600\n"
             "[MAIN]\nScreenX=800\nMyOwnKey=hello\n"
             "[OTHER]\nHAS_SKANKY_VOODOO_CARD=1\n"
             "[BIND]\n112=ConsoleToggle\n368=SceneChange(5, 2)\n"
             "[UNKNOWN]\nwhatever=1\n");
    ConstLoad();
    EXPECT_EQ(zcMAIN_ScreenX, 800);
    zcTUNNEL_Speed = 4.0f;
    ASSERT_TRUE(ConstSave());
    std::string text = ReadCfg();
    EXPECT_TRUE(CompleteConstantFile(text, false));
    EXPECT_EQ(text.rfind("[WINDOWSIZE_GL]\nX=10\nY=20\nW=800\nH=600\n[MAIN]\nScreenX=800\nMyOwnKey=hello\n", 0), 0u);
    TZynIniFile ini(ConfigFileName());
    EXPECT_EQ(ini.ReadString("OTHER", "HAS_SKANKY_VOODOO_CARD", ""), "1");
    EXPECT_EQ(ini.ReadString("BIND", "368", ""), "SceneChange(5, 2)");
    EXPECT_EQ(ini.ReadString("UNKNOWN", "whatever", ""), "1");
    EXPECT_EQ(ini.ReadString("TUNNEL", "Speed", ""), "4");
    EXPECT_EQ(ini.ReadSections().size(), 49u);

    // A second save with nothing changed leaves the file byte for byte.
    ASSERT_TRUE(ConstSave());
    EXPECT_EQ(ReadCfg(), text);
}

TEST_F(ConstFile, SaveAndLoadRoundTripKeepsEveryValue)
{
    zcMAIN_ScreenX = 1024;
    zcSCENE_StartScene = 7;
    zcTUNNEL_BassLevel = -1.25f;
    zcPREF_Blit = 12.5f;
    zcBASE_pi = 3.14159265f;
    ASSERT_TRUE(ConstSave());
    std::vector<std::string> saved;
    for (int32_t i = 0; i < ConstCount(); i++) saved.push_back(ConstToString(i));

    ZynConstTest::RestoreCompiledValues();
    ConstLoad();
    for (int32_t i = 0; i < ConstCount(); i++) EXPECT_EQ(ConstToString(i), saved[i]) << ConstFullName(i);
    EXPECT_EQ(zcMAIN_ScreenX, 1024);
    EXPECT_EQ(zcSCENE_StartScene, 7);
    EXPECT_FLOAT_EQ(zcTUNNEL_BassLevel, -1.25f);
    EXPECT_FLOAT_EQ(zcPREF_Blit, 12.5f);
    EXPECT_FLOAT_EQ(zcBASE_pi, 3.142f);   // four significant digits per save
    EXPECT_TRUE(lines.empty());
}

TEST_F(ConstFile, WindowRectangle)
{
    zcMAIN_ScreenX = 800;
    zcMAIN_ScreenY = 600;
    TZynWindowRect r = ReadWindowRect("GL");
    EXPECT_EQ(r.X, 32);
    EXPECT_EQ(r.Y, 32);
    EXPECT_EQ(r.W, 800);
    EXPECT_EQ(r.H, 600);

    ASSERT_TRUE(WriteWindowRect("GL", -5, 40, 1024, 768));
    int32_t x = 0, y = 0, w = 0, h = 0;
    ReadWindowRect("GL", x, y, w, h);
    EXPECT_EQ(x, -5);
    EXPECT_EQ(y, 40);
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 768);
    EXPECT_EQ(ReadCfg(), "[WINDOWSIZE_GL]\nX=-5\nY=40\nW=1024\nH=768\n");

    // The constants save keeps the rectangle; a broken entry falls back to its default.
    ASSERT_TRUE(ConstSave());
    WriteCfg(ReadCfg() + "[WINDOWSIZE_X]\nX=abc\n");
    r = ReadWindowRect("X");
    EXPECT_EQ(r.X, 32);
    r = ReadWindowRect("GL");
    EXPECT_EQ(r.W, 1024);
}

TEST_F(ConstFile, FailedSaveIsReportedAndChangesNothing)
{
    fs::create_directories(dir / "Zyn.cfg");
    ConstLoad();   // unreadable: compiled values stay, error line
    EXPECT_EQ(zcMAIN_ScreenX, 640);
    lines.clear();
    EXPECT_FALSE(ConstSave());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().rfind("#ERROR : ", 0), 0u);
    EXPECT_TRUE(fs::is_directory(dir / "Zyn.cfg"));
}

// A program killed at any moment of a save leaves either the old or the new
// file, never a partial or empty one.
TEST_F(ConstFile, KillDuringSaveNeverLeavesAPartialFile)
{
    WriteCfg("[BIND]\n112=ConsoleToggle\n[OTHER]\nHAS_SKANKY_VOODOO_CARD=0\n");
    ASSERT_TRUE(ConstSave());
    std::mt19937 rng(1234);
    // A save takes milliseconds (mostly the flush to disk): kill times spread
    // over several saves land before, inside and between them.
    std::uniform_int_distribution<int> delay(0, 40000);
    int changedRounds = 0;
    int interruptedRounds = 0;
    for (int round = 0; round < 30; round++) {
        // The child reports its first finished save, so on a busy machine the
        // kill still lands while it saves, not while it is being started.
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ZynLogSetConsoleSink(nullptr);
            close(ready[0]);
            for (int n = 0;; n++) {
                zcMAIN_ScreenX = 320 + 2 * (n % 800);
                zcTUNNEL_Speed = static_cast<float>(n % 100) / 10.0f;
                ConstSave();
                if (n == 0) {
                    char c = 1;
                    if (write(ready[1], &c, 1) != 1) _exit(1);
                    close(ready[1]);
                }
            }
        }
        close(ready[1]);
        char c = 0;
        ASSERT_EQ(read(ready[0], &c, 1), 1);
        close(ready[0]);
        std::this_thread::sleep_for(std::chrono::microseconds(delay(rng)));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));

        std::string text = ReadCfg();
        ASSERT_TRUE(CompleteConstantFile(text)) << "round " << round;
        TZynIniFile ini(ConfigFileName());
        ASSERT_EQ(ini.ReadString("BIND", "112", ""), "ConsoleToggle");
        ASSERT_EQ(ini.ReadString("OTHER", "HAS_SKANKY_VOODOO_CARD", ""), "0");
        int32_t sx = ini.ReadInteger("MAIN", "ScreenX", 0);
        ASSERT_TRUE(sx >= 320 && sx <= 2048) << sx;
        if (sx != 640) changedRounds++;
        // A kill inside a save leaves only the child's temporary file behind.
        if (fs::exists(dir / ("Zyn.cfg.tmp" + std::to_string(child)))) interruptedRounds++;
    }
    EXPECT_GT(changedRounds, 0);       // the children did complete saves
    EXPECT_GT(interruptedRounds, 0);   // and were killed in the middle of one
    // The next complete save clears them away.
    ASSERT_TRUE(ConstSave());
    for (const auto& e : fs::directory_iterator(dir))
        EXPECT_NE(e.path().filename().string().rfind("Zyn.cfg.tmp", 0), 0u) << e.path();
}
