#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace marrowlight {

// "--help" prints the switches and "--version" the program's version; both
// answer before any window exists. Returns the exit code when one of them was
// given (args[0] is the program path), nullopt otherwise.
std::optional<int> AnswerInfoRequest(const std::vector<std::string>& args, std::ostream& out);

std::string UsageText();
std::string VersionText(); // "Marrowlight 2.1.3.0"
// The body of the About box: name, version, what the program is, and the Qt
// version it runs on.
std::string AboutText(const std::string& qtVersion);

} // namespace marrowlight
