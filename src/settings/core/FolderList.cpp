#include "settings/core/FolderList.h"

namespace marrowlight {

FolderListParts SplitFolderList(const std::string& text, std::size_t caret) {
    if (caret > text.size())
        caret = text.size();
    const std::size_t left = caret == 0 ? std::string::npos : text.rfind(';', caret - 1);
    const std::size_t right = text.find(';', caret);
    FolderListParts parts;
    const std::size_t start = left == std::string::npos ? 0 : left + 1;
    const std::size_t end = right == std::string::npos ? text.size() : right;
    if (left != std::string::npos)
        parts.before = text.substr(0, left);
    parts.current = text.substr(start, end - start);
    if (right != std::string::npos)
        parts.after = text.substr(right + 1);
    return parts;
}

std::string JoinFolderList(const std::string& before, const std::string& entry,
                           const std::string& after) {
    std::string result;
    if (!before.empty())
        result = before + ";";
    result += entry;
    if (!after.empty())
        result += ";" + after;
    return result;
}

std::string LineBreaksToSemicolons(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            result += ';';
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

} // namespace marrowlight
