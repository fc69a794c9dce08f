#include "support/core/AccessKeys.h"

#include <cstddef>
#include <optional>
#include <set>

namespace marrowlight {
namespace {

bool IsKeyCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Bytes of UTF-8 sequences belong to words, though they never become keys.
bool IsWordByte(char c) {
    return IsKeyCharacter(c) || static_cast<unsigned char>(c) >= 0x80;
}

char KeyOf(char c) {
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

// Where in the shown text the key goes, or nullopt when nothing is free.
std::optional<std::size_t> ChooseKey(const std::string& shown, const std::set<char>& taken) {
    auto free = [&](std::size_t i) {
        return IsKeyCharacter(shown[i]) && !taken.count(KeyOf(shown[i]));
    };
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const bool startsWord = i == 0 || !IsWordByte(shown[i - 1]);
        if (startsWord && free(i))
            return i;
    }
    for (std::size_t i = 0; i < shown.size(); ++i)
        if (free(i))
            return i;
    return std::nullopt;
}

std::string Escaped(const std::string& shown, std::optional<std::size_t> key) {
    std::string text;
    text.reserve(shown.size() + 4);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (key && *key == i)
            text += '&';
        text += shown[i];
        if (shown[i] == '&')
            text += '&';
    }
    return text;
}

// The text as shown: "&&" becomes "&", a single "&" (a mark) goes.
std::string Shown(std::string_view caption) {
    std::string shown;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] != '&') {
            shown += caption[i];
        } else if (i + 1 < caption.size() && caption[i + 1] == '&') {
            shown += '&';
            ++i;
        }
    }
    return shown;
}

} // namespace

std::string WithoutAccessKey(std::string_view caption) {
    return Escaped(Shown(caption), std::nullopt);
}

std::vector<std::string> AssignAccessKeys(const std::vector<MenuCaption>& captions) {
    std::vector<std::string> result(captions.size());
    std::set<char> taken;
    for (const bool lasting : {true, false}) {
        for (std::size_t i = 0; i < captions.size(); ++i) {
            if (captions[i].lasting != lasting)
                continue;
            const std::string shown = Shown(captions[i].text);
            const std::optional<std::size_t> key = ChooseKey(shown, taken);
            if (key)
                taken.insert(KeyOf(shown[*key]));
            result[i] = Escaped(shown, key);
        }
    }
    return result;
}

} // namespace marrowlight
