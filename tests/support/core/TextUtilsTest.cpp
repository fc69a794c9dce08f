#include "support/core/TextUtils.h"

#include <gtest/gtest.h>

namespace marrowlight {
namespace {

TEST(TextUtils, FiltersAndCase) {
    EXPECT_EQ(RemoveSpaces(" Veltaroon  Marrow\tlight "), "VeltaroonMarrow\tlight");
    EXPECT_EQ(RemoveAmpersands("&&Open && &Close"), "Open  Close");
    EXPECT_EQ(UpperCaseText("yes, Tr\xC3\xA4ue-1"), "YES, TR\xC3\xA4UE-1");
    EXPECT_EQ(TrimText(std::string("\t\r\n a b \x01 ")), "a b");
    EXPECT_EQ(TrimText("   "), "");
    // Bytes above 127 are UTF-8 text, not control characters.
    EXPECT_EQ(TrimText("\xC3\xA4 "), "\xC3\xA4");
}

TEST(TextUtils, CutTokenWalksAList) {
    const struct {
        std::string list, entry, rest;
    } cases[] = {
        {"a;b", "a", "b"}, {"b", "b", ""},  {";b", "", "b"},
        {"", "", ""},      {"a;", "a", ""}, {" a ;b;c", " a ", "b;c"},
    };
    for (const auto& c : cases) {
        std::string list = c.list;
        EXPECT_EQ(CutToken(list), c.entry) << c.list;
        EXPECT_EQ(list, c.rest) << c.list;
    }
    std::string other = "x,y";
    EXPECT_EQ(CutToken(other, ','), "x");
    EXPECT_EQ(other, "y");
}

TEST(TextUtils, OnValues) {
    for (const char* on : {"1", "yes", "YES", "True", "tRuE"})
        EXPECT_TRUE(IsOnValue(on)) << on;
    for (const char* off : {"", "0", "no", "2", " yes", "yes ", "on", "11"})
        EXPECT_FALSE(IsOnValue(off)) << off;
}

} // namespace
} // namespace marrowlight
