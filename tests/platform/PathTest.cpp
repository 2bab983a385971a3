// Data path mapping: backslashes, case-insensitive names, sorted listings.
#include "platform/ZynPath.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
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
