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

TEST(TextUtils, LeadingDigits) {
    EXPECT_EQ(LeadingDigits("46363.99999"), "46363");
    EXPECT_EQ(LeadingDigits("007x1"), "007");
    EXPECT_EQ(LeadingDigits("123"), "123");
    EXPECT_EQ(LeadingDigits(".5"), "");
    EXPECT_EQ(LeadingDigits("-12"), "");
    EXPECT_EQ(LeadingDigits(""), "");
    EXPECT_EQ(LeadingDigits("\xD9\xA3"), ""); // an Arabic-Indic digit is not ASCII
}

TEST(TextUtils, OnValues) {
    for (const char* on : {"1", "yes", "YES", "True", "tRuE"})
        EXPECT_TRUE(IsOnValue(on)) << on;
    for (const char* off : {"", "0", "no", "2", " yes", "yes ", "on", "11"})
        EXPECT_FALSE(IsOnValue(off)) << off;
}

TEST(TextUtils, ParseDecimalTakesOnlyASignedRunOfDigits) {
    using R = std::optional<long long>;
    const struct {
        const char* text;
        R expected;
    } cases[] = {
        {"0", 0},
        {"42", 42},
        {"-42", -42},
        {"+42", 42},
        {"007", 7},
        {"-0", 0},
        {"9223372036854775807", 9223372036854775807LL},
        {"-9223372036854775808", -9223372036854775807LL - 1},
        {"9223372036854775808", std::nullopt},
        {"-99999999999999999999", std::nullopt},
        {"", std::nullopt},
        {"+", std::nullopt},
        {"-", std::nullopt},
        {"+-1", std::nullopt},
        {"-+1", std::nullopt},
        {"--1", std::nullopt},
        {"++1", std::nullopt},
        {" 1", std::nullopt},
        {"1 ", std::nullopt},
        {"1 2", std::nullopt},
        {"12px", std::nullopt},
        {"1e3", std::nullopt},
        {"0x10", std::nullopt},
        {"1.5", std::nullopt},
        {"\xD9\xA3", std::nullopt}, // an Arabic-Indic digit is not ASCII
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseDecimal(c.text), c.expected) << '"' << c.text << '"';
    // Only the given view is read, not what follows it in memory.
    EXPECT_EQ(ParseDecimal(std::string_view("123456", 3)), 123);
}

} // namespace
} // namespace marrowlight
