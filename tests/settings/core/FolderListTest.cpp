#include "settings/core/FolderList.h"

#include "support/core/TextUtils.h"

#include <gtest/gtest.h>

namespace marrowlight {
namespace {

TEST(FolderListTest, CaretPicksTheEntryItStandsIn) {
    struct Case {
        const char* text;
        std::size_t caret;
        const char* before;
        const char* current;
        const char* after;
    };
    const Case cases[] = {
        {"", 0, "", "", ""},
        {"C:\\a;C:\\b", 4, "", "C:\\a", "C:\\b"}, // just left of ";"
        {"C:\\a;C:\\b", 5, "C:\\a", "C:\\b", ""}, // just right of ";"
        {"C:\\a;C:\\b", 0, "", "C:\\a", "C:\\b"},
        {"a;;b", 2, "a", "", "b"}, // between adjacent separators
        {";C:\\a", 5, "", "C:\\a", ""},
        {";C:\\a", 0, "", "", "C:\\a"},
        {"a;b;c", 3, "a", "b", "c"},
        {"a;b;c", 99, "a;b", "c", ""}, // caret beyond the end
        {"/var/log;", 9, "/var/log", "", ""},
    };
    for (const Case& c : cases) {
        const FolderListParts parts = SplitFolderList(c.text, c.caret);
        EXPECT_EQ(parts.before, c.before) << c.text << " @" << c.caret;
        EXPECT_EQ(parts.current, c.current) << c.text << " @" << c.caret;
        EXPECT_EQ(parts.after, c.after) << c.text << " @" << c.caret;
    }
}

TEST(FolderListTest, BrowsingReplacesOneEntryAndDropsEmptySeparators) {
    struct Case {
        const char* text;
        std::size_t caret;
        const char* chosen;
        const char* result;
    };
    const Case cases[] = {
        {"C:\\a;C:\\b", 4, "D:\\x", "D:\\x;C:\\b"},
        {"C:\\a;C:\\b", 5, "D:\\x", "C:\\a;D:\\x"},
        {"", 0, "/srv/logs", "/srv/logs"},
        {";C:\\a", 5, "D:\\x", "D:\\x"},
        {"a;;b", 2, "x", "a;x;b"},
        {"a;b;c", 3, "x", "a;x;c"},
    };
    for (const Case& c : cases) {
        const FolderListParts p = SplitFolderList(c.text, c.caret);
        EXPECT_EQ(JoinFolderList(p.before, c.chosen, p.after), c.result) << c.text;
    }
}

TEST(FolderListTest, StoredListsAreTrimmedAndLineBreaksBecomeSeparators) {
    const std::pair<const char*, const char*> cases[] = {
        {"Error\r\nFatal", "Error;Fatal"},
        {"  Warn;warn \t", "Warn;warn"},
        {"\r\nA\r\nB\r\n", "A;B"},
        {"a\rb\nc", "a\rb\nc"}, // a lone CR or LF is kept
        {"a\r\n\r\nb", "a;;b"},
        {"   ", ""},
    };
    for (const auto& [stored, loaded] : cases)
        EXPECT_EQ(LineBreaksToSemicolons(TrimText(stored)), loaded) << stored;
}

} // namespace
} // namespace marrowlight
