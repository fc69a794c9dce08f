#include "monitor/core/JournalAddress.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace marrowlight {
namespace {

constexpr std::array<std::string_view, 8> PriorityNames = {"emerg",   "alert",  "crit", "err",
                                                           "warning", "notice", "info", "debug"};

bool NeedsEscape(unsigned char c) {
    if (c <= 0x20 || c >= 0x7F)
        return true;
    return std::string_view("%;,?&#=").find(static_cast<char>(c)) != std::string_view::npos;
}

void AppendEscaped(std::string& out, std::string_view text) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (NeedsEscape(c)) {
            out += '%';
            out += Hex[c >> 4];
            out += Hex[c & 15];
        } else {
            out += ch;
        }
    }
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<std::string> Unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        const int high = i + 1 < text.size() ? HexValue(text[i + 1]) : -1;
        const int low = i + 2 < text.size() ? HexValue(text[i + 2]) : -1;
        if (high < 0 || low < 0)
            return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> pieces;
    while (true) {
        const std::size_t at = text.find(separator);
        pieces.push_back(text.substr(0, at));
        if (at == std::string_view::npos)
            return pieces;
        text.remove_prefix(at + 1);
    }
}

std::string_view LastName(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos || path.size() == 1 ? path : path.substr(slash + 1);
}

ParsedJournalAddress Failed(std::string error) {
    return {std::nullopt, std::move(error)};
}

} // namespace

bool IsJournalAddress(std::string_view text) {
    return text.size() >= JournalScheme.size() &&
           Lower(text.substr(0, JournalScheme.size())) == JournalScheme;
}

std::optional<int> PriorityFromName(std::string_view name) {
    const std::string lower = Lower(name);
    if (lower.size() == 1 && lower[0] >= '0' && lower[0] <= '7')
        return lower[0] - '0';
    for (std::size_t i = 0; i < PriorityNames.size(); ++i) {
        if (lower == PriorityNames[i])
            return static_cast<int>(i);
    }
    // The names syslog also knows.
    if (lower == "panic")
        return 0;
    if (lower == "error")
        return 3;
    if (lower == "warn")
        return 4;
    return std::nullopt;
}

std::string_view PriorityName(int priority) {
    return priority >= 0 && priority < 8 ? PriorityNames[static_cast<std::size_t>(priority)]
                                         : std::string_view();
}

ParsedJournalAddress ParseJournalAddress(std::string_view text) {
    if (!IsJournalAddress(text))
        return Failed("A journal source starts with journal://.");
    text.remove_prefix(JournalScheme.size());
    std::string_view query;
    if (const std::size_t mark = text.find('?'); mark != std::string_view::npos) {
        query = text.substr(mark + 1);
        text = text.substr(0, mark);
    }
    const std::size_t slash = text.find('/');
    const std::string kind = Lower(text.substr(0, slash));
    const std::string_view rest =
        slash == std::string_view::npos ? std::string_view() : text.substr(slash + 1);

    JournalSource source;
    std::vector<std::string> items;
    if (!rest.empty()) {
        for (std::string_view piece : Split(rest, ',')) {
            std::optional<std::string> item = Unescape(piece);
            if (!item)
                return Failed("A % in a journal source is not followed by two hex digits.");
            if (item->empty())
                return Failed("A journal source lists an empty item.");
            items.push_back(std::move(*item));
        }
    }
    if (kind == "system") {
        if (!items.empty())
            return Failed("journal://system takes no items; use journal://unit/NAME.");
    } else if (kind == "unit") {
        if (items.empty())
            return Failed("journal://unit/ needs a unit name.");
        source.Units = std::move(items);
    } else if (kind == "files") {
        if (items.empty())
            return Failed("journal://files/ needs a folder or file.");
        source.SourceKind = JournalSource::Kind::Files;
        source.Paths = std::move(items);
    } else {
        return Failed("Unknown journal source \"" + kind + "\"; use system, unit or files.");
    }

    if (!query.empty()) {
        for (std::string_view pair : Split(query, '&')) {
            const std::size_t equals = pair.find('=');
            const std::string key = Lower(pair.substr(0, equals));
            const std::optional<std::string> value =
                equals == std::string_view::npos ? std::nullopt : Unescape(pair.substr(equals + 1));
            if (!value || value->empty())
                return Failed("The journal source's \"" + key + "\" has no value.");
            if (key == "priority") {
                source.MaxPriority = PriorityFromName(*value);
                if (!source.MaxPriority)
                    return Failed("Unknown priority \"" + *value + "\"; use emerg .. debug.");
            } else if (key == "host" && source.SourceKind == JournalSource::Kind::Files) {
                source.Host = *value;
            } else {
                return Failed("A journal source takes no \"" + key + "\".");
            }
        }
    }
    return {std::move(source), {}};
}

std::string FormatJournalAddress(const JournalSource& source) {
    std::string out(JournalScheme);
    const std::vector<std::string>* items = nullptr;
    if (source.SourceKind == JournalSource::Kind::Files) {
        out += "files/";
        items = &source.Paths;
    } else if (source.Units.empty()) {
        out += "system";
    } else {
        out += "unit/";
        items = &source.Units;
    }
    if (items) {
        for (std::size_t i = 0; i < items->size(); ++i) {
            if (i > 0)
                out += ',';
            AppendEscaped(out, (*items)[i]);
        }
    }
    char lead = '?';
    if (source.MaxPriority && !PriorityName(*source.MaxPriority).empty()) {
        out += lead;
        out += "priority=";
        out += PriorityName(*source.MaxPriority);
        lead = '&';
    }
    if (source.SourceKind == JournalSource::Kind::Files && !source.Host.empty()) {
        out += lead;
        out += "host=";
        AppendEscaped(out, source.Host);
    }
    return out;
}

std::string JournalCaption(const JournalSource& source) {
    std::string names;
    const auto add = [&names](std::string_view name) {
        if (!names.empty())
            names += ", ";
        names += name;
    };
    if (source.SourceKind == JournalSource::Kind::Files) {
        if (!source.Host.empty())
            add(source.Host);
        else
            for (const std::string& path : source.Paths)
                add(LastName(path));
    } else {
        for (const std::string& unit : source.Units)
            add(unit);
        if (names.empty())
            names = "this machine";
    }
    return "journal: " + names;
}

} // namespace marrowlight
