#pragma once

#include <cstddef>
#include <string>

namespace marrowlight {

// The entry of a ";"-separated list that holds a caret, with what lies on
// either side of it (separators next to the entry excluded).
struct FolderListParts {
    std::string before;
    std::string current;
    std::string after;
};

// `caret` counts the bytes before the caret; beyond the end means the end.
FolderListParts SplitFolderList(const std::string& text, std::size_t caret);
// Empty neighbours lose their separator, so no stray ";" is left behind.
std::string JoinFolderList(const std::string& before, const std::string& entry,
                           const std::string& after);

// Stored lists written by hand may use line breaks between entries.
std::string LineBreaksToSemicolons(const std::string& text);

} // namespace marrowlight
