#include "support/core/AccessKeys.h"

#include <gtest/gtest.h>
#include <set>

namespace marrowlight {
namespace {

using Captions = std::vector<std::string>;

std::vector<MenuCaption> Lasting(const Captions& texts) {
    std::vector<MenuCaption> captions;
    for (const std::string& text : texts)
        captions.push_back({text, true});
    return captions;
}

// The key a caption got, upper-cased; 0 for none.
char KeyOf(const std::string& caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] == '&' && caption[i + 1] == '&')
            ++i;
        else if (caption[i] == '&')
            return char(std::toupper(static_cast<unsigned char>(caption[i + 1])));
    }
    return 0;
}

TEST(AccessKeys, WordInitialsFirstThenAnyFreeLetter) {
    const struct {
        const char* what;
        Captions in, out;
    } cases[] = {
        {"first letters when free",
         {"File", "View", "Options", "Help"},
         {"&File", "&View", "&Options", "&Help"}},
        {"a later word when the first letter is taken",
         {"Close Log", "Close All Logs", "Open && Close Logs Automatically", "Open Log"},
         {"&Close Log", "Close &All Logs", "&Open && Close Logs Automatically", "Open &Log"}},
        {"then any letter, left to right", {"Errors", "Exit", "Eee"}, {"&Errors", "E&xit", "Eee"}},
        {"case is ignored, digits count",
         {"alpha", "Alpha 2", "ALPHA"},
         {"&alpha", "Alpha &2", "A&LPHA"}},
        {"a doubled ampersand is text, never a key",
         {"&&", "R&&D", "&& x"},
         {"&&", "&R&&D", "&& &x"}},
        {"old marks are dropped before choosing", {"E&xit", "&Errors"}, {"&Exit", "E&rrors"}},
        {"UTF-8 letters are inside a word, not keys",
         {"\xc3\x89tat Bon", "\xc3\x89t\xc3\xa9"},
         {"\xc3\x89tat &Bon", "\xc3\x89&t\xc3\xa9"}},
        {"a path's words", {"/var/log/app.log"}, {"/&var/log/app.log"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AssignAccessKeys(Lasting(c.in)), c.out) << c.what;
}

TEST(AccessKeys, UniqueStableAndCommandsBeforeRecentFiles) {
    // A File menu with recent files between the commands.
    const std::vector<MenuCaption> menu = {
        {"Open Log", true},
        {"Close Log", true},
        {"/srv/exports/o.log", false},
        {"/srv/exports/e.log", false},
        {"/srv/exports/e.log", false},
        {"R&&D/&&/x.log", false},
        {"Exit", true},
    };
    const Captions assigned = AssignAccessKeys(menu);
    std::set<char> keys;
    for (std::size_t i = 0; i < assigned.size(); ++i) {
        EXPECT_EQ(WithoutAccessKey(assigned[i]), menu[i].text) << "the shown text stays";
        const char key = KeyOf(assigned[i]);
        EXPECT_NE(key, 0) << assigned[i];
        EXPECT_TRUE(keys.insert(key).second) << "key " << key << " used twice";
    }
    EXPECT_EQ(assigned.back(), "&Exit") << "a recent file cannot take a command's key";

    std::vector<MenuCaption> again = menu;
    for (std::size_t i = 0; i < again.size(); ++i)
        again[i].text = assigned[i];
    EXPECT_EQ(AssignAccessKeys(again), assigned) << "running it again changes nothing";

    // Different recent files leave the commands' keys alone.
    std::vector<MenuCaption> other = menu;
    other[2].text = "/opt/c.log";
    const Captions reassigned = AssignAccessKeys(other);
    for (const std::size_t command : {0u, 1u, 6u})
        EXPECT_EQ(reassigned[command], assigned[command]);
}

TEST(AccessKeys, WithoutAccessKeyKeepsDoubledAmpersands) {
    const std::pair<const char*, const char*> cases[] = {
        {"&Open Log", "Open Log"},
        {"Open &&&Close", "Open &&Close"},
        {"R&&D", "R&&D"},
        {"trailing&", "trailing"},
        {"", ""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(WithoutAccessKey(in), out) << in;
}

} // namespace
} // namespace marrowlight
