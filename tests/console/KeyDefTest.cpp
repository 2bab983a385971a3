// Key table contents and the KeyName / KeyCode lookups.
#include "console/ZynKeyDef.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

TEST(KeyTable, RowsCodesAndDescriptions)
{
    ASSERT_EQ(KeyTableCount, 125);
    std::set<int32_t> codes;
    std::set<std::string> names;
    for (const TKeyRec& r : KeyTable) {
        codes.insert(r.Code);
        names.insert(r.Name);
        EXPECT_NE(r.Code, 42) << r.Name;
        EXPECT_NE(r.Code, 252) << r.Name;
        EXPECT_NE(std::string(r.Description), "") << r.Name;
    }
    EXPECT_EQ(codes.size(), 125u);
    EXPECT_EQ(names.size(), 125u);

    EXPECT_STREQ(KeyTable[0].Name, "VK_LBUTTON");
    EXPECT_EQ(KeyTable[0].Code, 1);
    EXPECT_STREQ(KeyTable[0].Description, "Left mouse button");
    EXPECT_STREQ(KeyTable[117].Name, "VK_OEM_CLEAR");
    EXPECT_EQ(KeyTable[117].Code, 254);
    EXPECT_STREQ(KeyTable[117].Description, "Clear key");
    EXPECT_STREQ(KeyTable[118].Name, "Zy_START");
    EXPECT_EQ(KeyTable[118].Code, 256);
    EXPECT_STREQ(KeyTable[118].Description, "Zy Program Start");
    EXPECT_STREQ(KeyTable[124].Name, "Zy_TRIGHT");
    EXPECT_EQ(KeyTable[124].Code, 262);
    EXPECT_STREQ(KeyTable[124].Description, "TelNet RIGHT Key");

    struct Sample { const char* name; int32_t code; const char* desc; };
    const Sample samples[] = {
        {"VK_CANCEL", 3, "Control-break processing"},
        {"VK_RETURN", 13, "ENTER key"},
        {"VK_SPACE", 32, "SPACEBAR"},
        {"VK_SNAPSHOT", 44, "PRINT SCREEN key for Windows 3.0 and later"},
        {"VK_0", 48, "0 key"},
        {"VK_A", 65, "A key"},
        {"VK_Z", 90, "Z key"},
        {"VK_LWIN", 91, "Left Windows key (Microsoft Natural Keyboard)"},
        {"VK_NUMPAD0", 96, "Numeric keypad 0 key"},
        {"VK_F1", 112, "F1 key"},
        {"VK_F24", 135, "F24 key"},
        {"VK_PA1", 253, "PA1 key"},
        {"Zy_FRAME", 258, "Frame Rendered"},
    };
    for (const Sample& s : samples) {
        bool found = false;
        for (const TKeyRec& r : KeyTable)
            if (std::string(r.Name) == s.name) {
                found = true;
                EXPECT_EQ(r.Code, s.code) << s.name;
                EXPECT_STREQ(r.Description, s.desc) << s.name;
            }
        EXPECT_TRUE(found) << s.name;
    }
    // Rows are sorted by code (the Windows constants are listed in code order).
    for (int i = 1; i < KeyTableCount; i++) EXPECT_LT(KeyTable[i - 1].Code, KeyTable[i].Code) << i;
}

TEST(KeyTable, KeyCodeOfNamesAndNumbers)
{
    EXPECT_EQ(KeyCode("vk_escape"), 27);
    EXPECT_EQ(KeyCode("+VK_ESCAPE"), 27);
    EXPECT_EQ(KeyCode("27"), 27);
    EXPECT_EQ(KeyCode("-VK_ESCAPE"), 539);
    EXPECT_EQ(KeyCode("-27"), 539);
    EXPECT_EQ(KeyCode("+-vk_f1"), 112 + 512);
    EXPECT_EQ(KeyCode("Zy_frame"), 258);
    EXPECT_EQ(KeyCode("-Zy_START"), 768);
    EXPECT_EQ(KeyCode("VK_NOPE"), -1);
    EXPECT_EQ(KeyCode(""), -1);
    EXPECT_EQ(KeyCode("-"), -1);
    EXPECT_EQ(KeyCode("12x"), -1);
    EXPECT_EQ(KeyCode("1.5"), -1);
    EXPECT_EQ(KeyCode(" 27"), -1);
    EXPECT_EQ(KeyCode("99999999999999"), -1);
}

TEST(KeyTable, KeyNameOfCodes)
{
    EXPECT_EQ(KeyName(27), "+VK_ESCAPE");
    EXPECT_EQ(KeyName(539), "-VK_ESCAPE");
    EXPECT_EQ(KeyName(256), "+Zy_START");
    EXPECT_EQ(KeyName(768), "-Zy_START");
    EXPECT_EQ(KeyName(300), "300");
    EXPECT_EQ(KeyName(812), "812");
    EXPECT_EQ(KeyName(42), "42");
    EXPECT_EQ(KeyName(-5), "-5");
    // Every row's name reads back to its code, down and up.
    for (const TKeyRec& r : KeyTable) {
        EXPECT_EQ(KeyCode(KeyName(r.Code)), r.Code) << r.Name;
        EXPECT_EQ(KeyCode(KeyName(r.Code + KeyUpOffset)), r.Code + KeyUpOffset) << r.Name;
    }
}
