#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marrowlight {

// Which journal entries a tab shows.
struct JournalSource {
    enum class Kind {
        ThisMachine, // the system journal, optionally limited to units
        Files,       // journal files, or folders of them, merged in time order
    };
    Kind SourceKind = Kind::ThisMachine;
    std::vector<std::string> Units; // ThisMachine: empty for all entries
    std::vector<std::string> Paths; // Files: folders and files as bytes
    std::string Host;               // Files: only this machine's entries when set
    // Entries of this priority and worse (0 emerg .. 7 debug); nullopt: all.
    std::optional<int> MaxPriority;

    bool operator==(const JournalSource&) const = default;
};

// The written form of a journal source, for the command line and the stored
// lists: "journal://system", "journal://unit/nginx.service,ssh.service",
// "journal://files//var/log/journal/remote", each with an optional
// "?priority=warning&host=web01". Items are separated by ','; '%', ';', ',',
// '?', '&', '#', '=', blanks, controls and bytes above 0x7E are written
// %XX, so the form is plain ASCII and survives ';'-separated lists.
inline constexpr std::string_view JournalScheme = "journal://";

// Whether the text is meant as a journal source (it may still be malformed).
bool IsJournalAddress(std::string_view text);

struct ParsedJournalAddress {
    std::optional<JournalSource> Source;
    std::string Error; // what is wrong when Source is empty
};
ParsedJournalAddress ParseJournalAddress(std::string_view text);
std::string FormatJournalAddress(const JournalSource& source);

// The tab's caption: "journal: nginx.service", "journal: web01",
// "journal: this machine", "journal: remote" (a folder's name).
std::string JournalCaption(const JournalSource& source);

// Priority names as journalctl takes them ("emerg" .. "debug"); digits too.
std::optional<int> PriorityFromName(std::string_view name);
std::string_view PriorityName(int priority);

} // namespace marrowlight
