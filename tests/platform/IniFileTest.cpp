// Tests of the profile file: Windows lookup rules, preservation of foreign content, atomic saving.
#include "platform/ZynIni.h"

#include "app/ZynLog.h"
#include "platform/ZynPath.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class IniFile : public ::testing::Test {
protected:
    fs::path dir;
    std::vector<std::string> lines;
    void SetUp() override
    {
        dir = fs::path(::testing::TempDir()) / ("ini_" + std::to_string(getpid()) + "_" +
                                                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        ZynSetBaseDir(dir.string());
        ZynLogSetConsoleSink([this](const std::string& l) { lines.push_back(l); });
    }
    void TearDown() override
    {
        ZynLogSetConsoleSink(nullptr);
        fs::remove_all(dir);
    }
    std::string PathOf(const std::string& name) const { return (dir / name).string(); }
    void WriteFile(const std::string& name, const std::string& text) const
    {
        std::ofstream(PathOf(name), std::ios::binary) << text;
    }
    std::string ReadFile(const std::string& name) const
    {
        std::ifstream in(PathOf(name), std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    bool LoggedError() const
    {
        for (const auto& l : lines) if (l.rfind("#ERROR : ", 0) == 0) return true;
        return false;
    }
};

} // namespace

TEST_F(IniFile, LookupIsCaseInsensitiveTrimmedAndFirstMatchWins)
{
    WriteFile("a.ini",
              "; leading comment\r\n"
              "[Main]\r\n"
              "  ScreenX =  800  \r\n"
              "screenx=900\r\n"
              "Empty=\r\n"
              "junk line without equals\r\n"
              "[OTHER]\n"
              "Flag=1\n"
              "[MAIN]\n"
              "ScreenY=600\n"
              "ScreenX=1000\n");
    TZynIniFile ini(PathOf("a.ini"));
    EXPECT_EQ(ini.ReadString("MAIN", "SCREENX", "d"), "800");
    EXPECT_EQ(ini.ReadString("main", "screenx", "d"), "800");
    EXPECT_EQ(ini.ReadString(" main ", " screenx ", "d"), "800");
    EXPECT_EQ(ini.ReadString("MAIN", "Empty", "d"), "");
    // Only the first section of a name is consulted.
    EXPECT_EQ(ini.ReadString("MAIN", "ScreenY", "d"), "d");
    EXPECT_EQ(ini.ReadString("Other", "FLAG", "d"), "1");
    EXPECT_EQ(ini.ReadString("NONE", "x", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadInteger("MAIN", "ScreenX", 5), 800);
    EXPECT_TRUE(ini.SectionExists("other"));
    EXPECT_FALSE(ini.SectionExists("nothing"));
    EXPECT_TRUE(ini.ValueExists("MAIN", "empty"));
    EXPECT_FALSE(ini.ValueExists("MAIN", "junk line without equals"));
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Main", "OTHER"}));
    EXPECT_EQ(ini.ReadSection("main"), (std::vector<std::string>{"ScreenX", "Empty"}));
    auto values = ini.ReadSectionValues("MAIN");
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0], (std::pair<std::string, std::string>("ScreenX", "800")));
    EXPECT_FALSE(ini.Modified());
    EXPECT_FALSE(LoggedError());
}

TEST_F(IniFile, ByteOrderMarkDoesNotHideTheFirstSection)
{
    WriteFile("bom.ini", "\xEF\xBB\xBF[MAIN]\r\nScreenX=800\r\n");
    TZynIniFile ini(PathOf("bom.ini"));
    EXPECT_EQ(ini.ReadString("MAIN", "ScreenX", ""), "800");
    EXPECT_EQ(ini.Text(), "[MAIN]\nScreenX=800\n");
}

TEST_F(IniFile, NumbersAreReadStrictly)
{
    TZynIniFile ini(PathOf("n.ini"));
    ini.SetText("[S]\na= 42 \nb=12abc\nc=\nd=99999999999\ne=-7\nf=0x10\ng=2.5\nh=nan\n");
    EXPECT_EQ(ini.ReadInteger("S", "a", -1), 42);
    EXPECT_EQ(ini.ReadInteger("S", "b", -1), -1);
    EXPECT_EQ(ini.ReadInteger("S", "c", -1), -1);
    EXPECT_EQ(ini.ReadInteger("S", "d", -1), -1);
    EXPECT_EQ(ini.ReadInteger("S", "e", -1), -7);
    EXPECT_EQ(ini.ReadInteger("S", "f", -1), -1);
    EXPECT_EQ(ini.ReadInteger("S", "g", -1), -1);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "g", -1), 2.5);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "h", -1), -1);
    EXPECT_TRUE(ini.ReadBool("S", "a", false));
    EXPECT_FALSE(ini.ReadBool("S", "missing", false));
    EXPECT_TRUE(ini.ReadBool("S", "missing", true));
}

TEST_F(IniFile, WritesKeepEverythingElseInPlace)
{
    const std::string original =
        "; my settings\n"
        "[MAIN]\n"
        "ScreenX = 800\n"
        "Custom=keep me\n"
        "\n"
        "; about the bindings\n"
        "[BIND]\n"
        "112=ConsoleToggle\n";
    WriteFile("w.ini", original);
    TZynIniFile ini(PathOf("w.ini"));
    EXPECT_EQ(ini.Text(), original);   // read and write back byte for byte

    ini.WriteString("MAIN", "ScreenX", "800");   // same value: line untouched
    EXPECT_FALSE(ini.Modified());
    ini.WriteString("main", "SCREENX", "1024");  // spelling in the file is kept
    ini.WriteString("MAIN", "ScreenY", "768");   // after the last key, before the blank line
    ini.WriteInteger("WINDOWSIZE_GL", "X", 32);  // new sections at the end, in write order
    ini.WriteInteger("OTHER", "HAS_SKANKY_VOODOO_CARD", 1);
    ini.WriteInteger("WINDOWSIZE_GL", "Y", 48);
    EXPECT_TRUE(ini.Modified());
    EXPECT_EQ(ini.Text(),
              "; my settings\n"
              "[MAIN]\n"
              "ScreenX=1024\n"
              "Custom=keep me\n"
              "ScreenY=768\n"
              "\n"
              "; about the bindings\n"
              "[BIND]\n"
              "112=ConsoleToggle\n"
              "[WINDOWSIZE_GL]\n"
              "X=32\n"
              "Y=48\n"
              "[OTHER]\n"
              "HAS_SKANKY_VOODOO_CARD=1\n");
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_FALSE(ini.Modified());
    EXPECT_EQ(ReadFile("w.ini"), ini.Text());
}

TEST_F(IniFile, LineBreaksCannotInjectKeysOrSections)
{
    TZynIniFile ini(PathOf("x.ini"));
    ini.WriteString("A", "Key", "one\n[EVIL]\nScreenX=1");
    ini.WriteString("A\nB", "K\r\nZ", "v");
    std::unique_ptr<TZynIniFile> parsed = TZynIniFile::FromText(ini.Text());
    const TZynIniFile& copy = *parsed;
    EXPECT_FALSE(copy.SectionExists("EVIL"));
    EXPECT_EQ(copy.ReadString("A", "Key", ""), "one [EVIL] ScreenX=1");
    EXPECT_EQ(copy.ReadString("A B", "K  Z", ""), "v");
    EXPECT_EQ(copy.ReadSections().size(), 2u);
}

// Found by the INI fuzzer: a CR inside a line made a section no write could reach.
TEST_F(IniFile, LoneCarriageReturnsEndLines)
{
    std::unique_ptr<TZynIniFile> ini = TZynIniFile::FromText("[MAIN]\rScreenX=800\r[A\rB]\rK=1\r\nL=2\n");
    EXPECT_EQ(ini->ReadString("MAIN", "ScreenX", ""), "800");
    EXPECT_EQ(ini->ReadString("A", "K", ""), "1");
    EXPECT_EQ(ini->ReadString("A", "L", ""), "2");
    for (const std::string& section : ini->ReadSections()) {
        ini->WriteString(section, "New", "x");
        EXPECT_EQ(ini->ReadString(section, "New", ""), "x") << section;
    }
}

// A doubled byte order mark hid the first section, and the file written back
// (without the first mark) showed it: every mark in front is skipped.
TEST_F(IniFile, DoubledByteOrderMarksHideNoSection)
{
    auto ini = TZynIniFile::FromText("\xEF\xBB\xBF\xEF\xBB\xBF[MAIN]\nScreenX=800\n");
    EXPECT_EQ(ini->ReadString("MAIN", "ScreenX", ""), "800");
    auto again = TZynIniFile::FromText(ini->Text());
    EXPECT_EQ(again->ReadSections(), ini->ReadSections());
}

TEST_F(IniFile, EraseSectionAndDeleteKeyRemoveEveryCopy)
{
    TZynIniFile ini(PathOf("e.ini"));
    ini.SetText("[BIND]\n1=a\n[MAIN]\nX=1\nx=2\nY=3\n[bind]\n2=b\n");
    ini.EraseSection("Bind");
    EXPECT_FALSE(ini.SectionExists("BIND"));
    ini.DeleteKey("MAIN", "X");
    EXPECT_FALSE(ini.ValueExists("MAIN", "x"));
    EXPECT_EQ(ini.ReadString("MAIN", "Y", ""), "3");
    EXPECT_EQ(ini.Text(), "[MAIN]\nY=3\n");
    // Writing after an erase starts the section afresh at the end.
    ini.WriteString("BIND", "3", "c");
    EXPECT_EQ(ini.Text(), "[MAIN]\nY=3\n[BIND]\n3=c\n");
}

TEST_F(IniFile, InMemoryProfilesAreNeverWritten)
{
    {
        std::unique_ptr<TZynIniFile> ini = TZynIniFile::FromText("[A]\nk=1\n");
        EXPECT_EQ(ini->ReadInteger("A", "k", 0), 1);
        ini->WriteString("A", "k", "2");
        EXPECT_EQ(ini->ReadInteger("A", "k", 0), 2);
        EXPECT_FALSE(ini->UpdateFile());
    }
    EXPECT_TRUE(fs::is_empty(dir));
    EXPECT_FALSE(LoggedError());
}

TEST_F(IniFile, DestructorSavesPendingChangesOnly)
{
    {
        TZynIniFile ini(PathOf("d.ini"));
        ini.WriteString("S", "k", "v");
    }
    EXPECT_EQ(ReadFile("d.ini"), "[S]\nk=v\n");
    // Reading alone never creates or rewrites a file.
    {
        TZynIniFile ini(PathOf("never.ini"));
        EXPECT_EQ(ini.ReadString("S", "k", "d"), "d");
    }
    EXPECT_FALSE(fs::exists(PathOf("never.ini")));
}

TEST_F(IniFile, FailedSaveLeavesTheOldFileAndIsLogged)
{
    // Target is a directory: the rename fails after the temporary file was written.
    fs::create_directories(PathOf("cfg.ini"));
    {
        TZynIniFile ini(PathOf("cfg.ini"));   // unreadable: reported
        EXPECT_TRUE(LoggedError());
        lines.clear();
        ini.WriteString("S", "k", "v");
        EXPECT_FALSE(ini.UpdateFile());
        EXPECT_TRUE(LoggedError());
    }
    EXPECT_TRUE(fs::is_directory(PathOf("cfg.ini")));

    // Folder that does not exist: the temporary file cannot be created.
    lines.clear();
    TZynIniFile missing(PathOf("nodir/cfg.ini"));
    EXPECT_FALSE(LoggedError());
    missing.WriteString("S", "k", "v");
    EXPECT_FALSE(missing.UpdateFile());
    ASSERT_TRUE(LoggedError());
    EXPECT_NE(lines.back().find("TZynIniFile.UpdateFile"), std::string::npos);

    // No temporary files are left behind.
    for (const auto& e : fs::directory_iterator(dir))
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}

TEST_F(IniFile, AtomicWriteKeepsModeAndFollowsLinks)
{
    WriteFile("real.ini", "[A]\nk=1\n");
    chmod(PathOf("real.ini").c_str(), 0640);
    fs::create_symlink(PathOf("real.ini"), PathOf("link.ini"));
    {
        TZynIniFile ini(PathOf("link.ini"));
        EXPECT_EQ(ini.ReadString("A", "k", ""), "1");
        ini.WriteString("A", "k", "2");
        ASSERT_TRUE(ini.UpdateFile());
    }
    EXPECT_TRUE(fs::is_symlink(PathOf("link.ini")));
    EXPECT_EQ(ReadFile("real.ini"), "[A]\nk=2\n");
    struct stat st;
    ASSERT_EQ(stat(PathOf("real.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    std::string error;
    EXPECT_TRUE(ZynWriteFileAtomic(PathOf("plain.txt"), "hello", error));
    EXPECT_EQ(ReadFile("plain.txt"), "hello");
    EXPECT_FALSE(ZynWriteFileAtomic(PathOf("no/such/dir/f"), "x", error));
    EXPECT_FALSE(error.empty());
}
