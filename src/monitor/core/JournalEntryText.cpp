#include "monitor/core/JournalEntryText.h"

#include <cstdio>

namespace marrowlight {
namespace {

constexpr std::string_view LineJoint = " \u23CE ";
constexpr int64_t Window = 15 * 60;

void AppendDigits(std::string& out, long value, int width) {
    char digits[24];
    int n = 0;
    const bool negative = value < 0;
    unsigned long rest =
        negative ? 0UL - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
    do {
        digits[n++] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    } while (rest > 0 || n < width);
    if (negative)
        out += '-';
    while (n > 0)
        out += digits[--n];
}

// The length of the escape sequence at the start of text (which begins with
// ESC) that a terminal would eat: CSI "ESC [ params final" or OSC "ESC ] ...
// BEL"; 0 when it is no such sequence.
std::size_t EscapeLength(std::string_view text) {
    if (text.size() < 2)
        return 0;
    if (text[1] == '[') {
        for (std::size_t i = 2; i < text.size(); ++i) {
            const auto c = static_cast<unsigned char>(text[i]);
            if (c >= 0x40 && c <= 0x7E)
                return i + 1;
            if (c < 0x20 || c > 0x3F)
                return 0;
        }
        return 0;
    }
    if (text[1] == ']') {
        for (std::size_t i = 2; i < text.size(); ++i) {
            if (text[i] == '\a')
                return i + 1;
            if (text[i] == '\x1b')
                return i + 1 < text.size() && text[i + 1] == '\\' ? i + 2 : 0;
        }
    }
    return 0;
}

// The length of the UTF-8 sequence at the start of text, 0 when it is not a
// valid one or is a C1 control character, which is not printable.
std::size_t PrintableSequenceLength(std::string_view text) {
    const auto b0 = static_cast<unsigned char>(text[0]);
    std::size_t length;
    uint32_t code;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        code = b0 & 0x1Fu;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        code = b0 & 0x0Fu;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        code = b0 & 0x07u;
    } else {
        return 0;
    }
    if (text.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if ((b & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (b & 0x3Fu);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    if (overlong || surrogate || code > 0x10FFFF || (code >= 0x80 && code < 0xA0))
        return 0;
    return length;
}

// A field other than the message keeps to its row whatever it holds.
void AppendField(std::string& out, std::string_view field) {
    for (const char c : field)
        out += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
}

} // namespace

void AppendJournalMessage(std::string& out, std::string_view message) {
    std::string_view text = message;
    if (!text.empty() && text.back() == '\n')
        text.remove_suffix(1);
    const std::size_t start = out.size();
    std::size_t plainFrom = 0;
    std::size_t i = 0;
    const auto flush = [&](std::size_t to) { out.append(text.data() + plainFrom, to - plainFrom); };
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F) {
            ++i;
            continue;
        }
        flush(i);
        std::size_t length = 1;
        if (c == '\n') {
            out += LineJoint;
        } else if (c == '\t') {
            out += '\t';
        } else if (c == 0x1B && (length = EscapeLength(text.substr(i))) > 0) {
            // dropped
        } else if (c >= 0x80 && (length = PrintableSequenceLength(text.substr(i))) > 0) {
            out.append(text.data() + i, length);
        } else {
            out.resize(start);
            out += '[';
            AppendDigits(out, static_cast<long>(message.size()), 1);
            out += " bytes of data]";
            return;
        }
        i += length;
        plainFrom = i;
    }
    flush(text.size());
}

void JournalLineWriter::AppendTime(std::string& out, uint64_t realtimeUsec) {
    const auto seconds = static_cast<int64_t>(realtimeUsec / 1000000);
    const int64_t start = seconds - seconds % Window;
    if (start != windowStart_) {
        const auto at = static_cast<std::time_t>(start);
        std::tm local{};
        if (!localtime_r(&at, &local))
            local = std::tm{};
        windowTime_ = local;
        windowStart_ = start;
        long offset = local.tm_gmtoff;
        const char sign = offset < 0 ? '-' : '+';
        offset = offset < 0 ? -offset : offset;
        std::snprintf(offset_, sizeof offset_, "%c%02ld%02ld", sign, (offset / 3600) % 100,
                      (offset / 60) % 60);
    }
    std::tm t = windowTime_;
    const long into = t.tm_min * 60L + t.tm_sec + static_cast<long>(seconds - start);
    if (into < 3600) {
        t.tm_min = static_cast<int>(into / 60);
        t.tm_sec = static_cast<int>(into % 60);
    } else {
        // An offset with odd minutes or seconds (old local mean times).
        const auto at = static_cast<std::time_t>(seconds);
        localtime_r(&at, &t);
    }
    AppendDigits(out, t.tm_year + 1900L, 4);
    out += '-';
    AppendDigits(out, t.tm_mon + 1, 2);
    out += '-';
    AppendDigits(out, t.tm_mday, 2);
    out += 'T';
    AppendDigits(out, t.tm_hour, 2);
    out += ':';
    AppendDigits(out, t.tm_min, 2);
    out += ':';
    AppendDigits(out, t.tm_sec, 2);
    out += offset_;
}

void JournalLineWriter::Append(std::string& out, const JournalEntryFields& entry) {
    AppendTime(out, entry.RealtimeUsec);
    if (entry.Hostname) {
        out += ' ';
        AppendField(out, *entry.Hostname);
    }
    out += ' ';
    if (entry.Identifier)
        AppendField(out, *entry.Identifier);
    else if (entry.Command)
        AppendField(out, *entry.Command);
    else
        out += "unknown";
    if (const auto& pid = entry.Pid ? entry.Pid : entry.SyslogPid) {
        out += '[';
        AppendField(out, *pid);
        out += ']';
    }
    out += ": ";
    AppendJournalMessage(out, entry.Message);
    out += '\n';
}

} // namespace marrowlight
