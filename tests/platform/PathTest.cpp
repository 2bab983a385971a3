// Data path mapping: backslashes, case-insensitive names, sorted listings.
#include "platform/ZynPath.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>

namespace {
struct TempDir {
    std::string path;
    TempDir() {
        char tmpl[] = "/tmp/zynpathXXXXXX";
        path = mkdtemp(tmpl);
    }
    ~TempDir() { std::system(("rm -rf " + path).c_str()); }
    void touch(const std::string& rel) {
        FILE* f = std::fopen((path + "/" + rel).c_str(), "w");
        if (f) std::fclose(f);
    }
};
}

TEST(Path, ResolvesBackslashPathsIgnoringCase)
{
    TempDir t;
    mkdir((t.path + "/Images").c_str(), 0755);
    t.touch("Images/Tunnel.TGA");
    ZynSetBaseDir(t.path + "/");
    EXPECT_EQ(ZynBaseDir(), t.path);
    EXPECT_EQ(ZynPath("\\images\\tunnel.tga"), t.path + "/Images/Tunnel.TGA");
    // Names that do not exist yet are kept as written (files about to be created).
    EXPECT_EQ(ZynPath("\\Images\\New.bmp"), t.path + "/Images/New.bmp");
    EXPECT_EQ(ZynPath("\\missing\\x.cfg"), t.path + "/missing/x.cfg");
}

TEST(Path, ListsFilesSortedAndFilteredByExtension)
{
    TempDir t;
    mkdir((t.path + "/data").c_str(), 0755);
    t.touch("data/b.visfeed");
    t.touch("data/A.VISFEED");
    t.touch("data/c.morph");
    mkdir((t.path + "/data/d.visfeed").c_str(), 0755);   // a folder is not a file
    ZynSetBaseDir(t.path);
    auto names = ZynListFiles("\\Data", ".visfeed");
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0], "A.VISFEED");
    EXPECT_EQ(names[1], "b.visfeed");
    EXPECT_EQ(ZynListFiles("\\data", "").size(), 3u);
}

namespace {
// Sets an environment variable for one test and puts the old value back.
struct EnvVar {
    std::string name, old;
    bool had;
    EnvVar(const char* n, const std::string& v) : name(n) {
        const char* o = std::getenv(n);
        had = o != nullptr;
        if (had) old = o;
        setenv(n, v.c_str(), 1);
    }
    ~EnvVar() { had ? setenv(name.c_str(), old.c_str(), 1) : unsetenv(name.c_str()); }
};
}

TEST(Path, ChoosesPortableUnlessInstalledBesideShareZyn)
{
    TempDir t;
    std::system(("mkdir -p " + t.path + "/runtime " + t.path + "/usr/bin " + t.path + "/usr/share/zyn " +
                 t.path + "/bare/bin").c_str());
    t.touch("runtime/Zyn.man");
    EnvVar home("HOME", t.path + "/home");
    EnvVar config("XDG_CONFIG_HOME", t.path + "/cfg");
    EnvVar state("XDG_STATE_HOME", "relative/state");   // not absolute: ignored

    ZynDirs d = ZynChooseDirs(t.path + "/runtime", "");
    EXPECT_FALSE(d.installed);
    EXPECT_EQ(d.base, t.path + "/runtime");
    // --base-dir always means portable, made absolute.
    d = ZynChooseDirs(t.path + "/usr/bin", "rel/dir/");
    EXPECT_FALSE(d.installed);
    EXPECT_EQ(d.base, std::filesystem::current_path().string() + "/rel/dir");
    // A bin folder without ../share/zyn stays portable as today.
    EXPECT_FALSE(ZynChooseDirs(t.path + "/bare/bin", "").installed);

    d = ZynChooseDirs(t.path + "/usr/bin", "");
    ASSERT_TRUE(d.installed);
    EXPECT_EQ(d.base, t.path + "/usr/share/zyn");
    EXPECT_EQ(d.user, t.path + "/cfg/zyn");
    EXPECT_EQ(d.state, t.path + "/home/.local/state/zyn");
    EXPECT_EQ(d.pictures, t.path + "/home/Pictures/Zyn");

    // The pictures folder comes from user-dirs.dirs; "$HOME/" alone means unset.
    mkdir((t.path + "/cfg").c_str(), 0755);
    std::system(("printf '# x\\nXDG_PICTURES_DIR=\"$HOME/Bilder\"\\n' > " + t.path + "/cfg/user-dirs.dirs").c_str());
    EXPECT_EQ(ZynChooseDirs(t.path + "/usr/bin", "").pictures, t.path + "/home/Bilder/Zyn");
    std::system(("printf 'XDG_PICTURES_DIR=\"$HOME/\"\\n' > " + t.path + "/cfg/user-dirs.dirs").c_str());
    EXPECT_EQ(ZynChooseDirs(t.path + "/usr/bin", "").pictures, t.path + "/home/Pictures/Zyn");
}

TEST(Path, InstalledModeSearchesTheUserFolderFirstAndWritesThere)
{
    TempDir t;
    std::system(("mkdir -p " + t.path + "/share/data " + t.path + "/share/Images").c_str());
    t.touch("share/Zyn.man");
    t.touch("share/data/a.predefine");
    t.touch("share/data/B.predefine");
    t.touch("share/Images/Custom0.bmp");
    ZynDirs d;
    d.installed = true;
    d.base = t.path + "/share";
    d.user = t.path + "/user/zyn";
    d.state = t.path + "/state/zyn";
    d.pictures = t.path + "/pics/Zyn";
    std::string error;
    ASSERT_TRUE(ZynSetupDirs(d, error)) << error;
    struct stat st;
    EXPECT_EQ(stat(d.user.c_str(), &st), 0);
    EXPECT_EQ(stat(d.state.c_str(), &st), 0);
    EXPECT_NE(stat(d.pictures.c_str(), &st), 0) << "made on the first screenshot only";

    // Shipped files are found until the user has their own copy.
    EXPECT_EQ(ZynPath("\\ZYN.MAN"), t.path + "/share/Zyn.man");
    std::system(("mkdir -p " + d.user + "/Data").c_str());
    t.touch("user/zyn/Zyn.man");
    t.touch("user/zyn/Data/b.PREDEFINE");
    t.touch("user/zyn/Data/c.predefine");
    EXPECT_EQ(ZynPath("\\Zyn.man"), d.user + "/Zyn.man");
    EXPECT_EQ(ZynPath("\\data\\a.predefine"), t.path + "/share/data/a.predefine");
    EXPECT_EQ(ZynPath("\\data\\b.predefine"), d.user + "/Data/b.PREDEFINE");
    // A name found nowhere maps into the user folder (about to be written).
    EXPECT_EQ(ZynPath("\\Zyn.cfg"), d.user + "/Zyn.cfg");
    auto names = ZynListFiles("\\data", ".predefine");
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[0], "a.predefine");
    EXPECT_EQ(names[1], "b.PREDEFINE");
    EXPECT_EQ(names[2], "c.predefine");

    // Written files never go to the installed folder.
    EXPECT_EQ(ZynPath("\\Images\\Custom0.bmp"), t.path + "/share/Images/Custom0.bmp");
    EXPECT_EQ(ZynPath("\\Images\\Custom0.bmp", ZynPlace::User), d.user + "/Images/Custom0.bmp");
    EXPECT_EQ(ZynPath("\\ZynLog.txt", ZynPlace::Log), d.state + "/ZynLog.txt");
    EXPECT_EQ(ZynPath("\\Screenshot", ZynPlace::Pictures), d.pictures + "/Screenshot");
    EXPECT_NE(ZynBaseDirDescription().find(d.user), std::string::npos);

    // Back to portable: every place is BaseDir again.
    ZynSetBaseDir(t.path + "/share");
    EXPECT_EQ(ZynPath("\\Zyn.cfg", ZynPlace::User), t.path + "/share/Zyn.cfg");
    EXPECT_EQ(ZynPath("\\ZynLog.txt", ZynPlace::Log), t.path + "/share/ZynLog.txt");
    EXPECT_EQ(ZynListFiles("\\data", ".predefine").size(), 2u);
    EXPECT_EQ(ZynBaseDirDescription(), t.path + "/share");

    // A user folder that cannot be made is reported, and the mode stays as it was.
    t.touch("blocker");
    d.user = t.path + "/blocker/zyn";
    EXPECT_FALSE(ZynSetupDirs(d, error));
    EXPECT_NE(error.find("settings folder"), std::string::npos) << error;
    EXPECT_FALSE(ZynCurrentDirs().installed);
}
