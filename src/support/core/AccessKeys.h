#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace marrowlight {

// One caption of a menu or of a dialog page in the form Qt shows: "&&" stands
// for a shown "&", a single "&" marks the character after it as the access key.
struct MenuCaption {
    std::string text;
    // Commands are lasting; recent files are not. Lasting captions choose
    // first, so a command keeps its key whatever the recent files are called.
    bool lasting = true;
};

// The caption without its access-key mark; "&&" stays as it is.
std::string WithoutAccessKey(std::string_view caption);

// Gives the captions of one menu (or of the menu bar) access keys, no two
// alike (case ignored). Only ASCII letters and digits become keys. A caption
// takes the first of these that is still free:
//   1. the first letter or digit of each of its words, in order (a word starts
//      after a blank or punctuation), so "Close All Logs" tries C, A, L;
//   2. then every other letter or digit, left to right.
// Lasting captions choose in menu order, then the others in menu order. A
// caption with nothing free goes without a key. Old marks are dropped first,
// so the same captions always get the same keys.
std::vector<std::string> AssignAccessKeys(const std::vector<MenuCaption>& captions);

} // namespace marrowlight
