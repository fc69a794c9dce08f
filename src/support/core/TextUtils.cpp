#include "support/core/TextUtils.h"

#include <charconv>

namespace marrowlight {

namespace {

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

std::string Without(std::string_view text, char removed) {
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        if (c != removed)
            result += c;
    }
    return result;
}

} // namespace

std::string RemoveSpaces(std::string_view text) {
    return Without(text, ' ');
}

std::string RemoveAmpersands(std::string_view text) {
    return Without(text, '&');
}

std::string UpperCaseText(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return result;
}

std::string TrimText(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlankOrControl(text[begin]))
        ++begin;
    while (end > begin && IsBlankOrControl(text[end - 1]))
        --end;
    return std::string(text.substr(begin, end - begin));
}

std::string CutToken(std::string& list, char separator) {
    const std::size_t at = list.find(separator);
    std::string entry;
    if (at == std::string::npos) {
        entry.swap(list);
    } else {
        entry = list.substr(0, at);
        list.erase(0, at + 1);
    }
    return entry;
}

std::string LeadingDigits(std::string_view text) {
    std::size_t n = 0;
    while (n < text.size() && text[n] >= '0' && text[n] <= '9')
        ++n;
    return std::string(text.substr(0, n));
}

bool IsOnValue(std::string_view value) {
    const std::string upper = UpperCaseText(value);
    return upper == "1" || upper == "YES" || upper == "TRUE";
}

std::optional<long long> ParseDecimal(std::string_view text) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    // from_chars takes "-" but not "+"; skipping "+" must not let "+-1" through.
    if (begin != end && *begin == '+') {
        ++begin;
        if (begin != end && *begin == '-')
            return std::nullopt;
    }
    long long value = 0;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

} // namespace marrowlight
