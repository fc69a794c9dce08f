#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace marrowlight {

// Every blank (code 32) removed; tabs and all other characters stay.
std::string RemoveSpaces(std::string_view text);
// Every "&" removed, so menu accelerators do not show in captions.
std::string RemoveAmpersands(std::string_view text);
// ASCII letters upper-cased; other bytes (UTF-8 sequences) stay as they are.
std::string UpperCaseText(std::string_view text);
// Leading and trailing characters of code 32 or less removed.
std::string TrimText(std::string_view text);
// Cuts the entry before the first `separator` off `list` and returns it; the
// separator goes too. Without a separator the whole list is the entry.
std::string CutToken(std::string& list, char separator = ';');
// The run of ASCII digits the text starts with; empty when it starts otherwise.
std::string LeadingDigits(std::string_view text);
// "1", "YES" or "TRUE" in any case.
bool IsOnValue(std::string_view value);
// The whole text as a decimal integer: an optional "+" or "-", then one or
// more ASCII digits. Blanks anywhere, other characters and values beyond
// long long give nullopt; callers that want blanks ignored trim first.
std::optional<long long> ParseDecimal(std::string_view text);

} // namespace marrowlight
