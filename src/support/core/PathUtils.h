#pragma once

#include <cstddef>
#include <string>

namespace marrowlight {

// The platform's path rules live here and nowhere else. On Linux "/" is the
// only separator and paths compare case-sensitively; on Windows "\", "/" and
// ":" separate and paths compare without case.

// The separator appended by WithTrailingSeparator ("/" or "\").
char PathSeparator();
bool IsPathSeparator(char c);

// Everything up to and including the last separator; empty when there is none.
std::string FolderOfPath(const std::string& path);
// What follows the folder part; the tab caption of a log.
std::string FileNameOfPath(const std::string& path);
// The file name without its last extension (".bashrc" gives "").
std::string NameWithoutExtension(const std::string& path);
// The file name's part from its last "." on, dot included; empty without a dot.
std::string ExtensionOfPath(const std::string& path);
// Appends the separator unless the text is empty or already ends in one.
std::string WithTrailingSeparator(const std::string& path);
// Fits a path into a menu caption of about `limit` characters.
std::string ShortenPath(const std::string& path, std::size_t limit);

std::string ProgramBaseName(const std::string& programPath);
// The program's folder, always ending in a separator unless empty.
std::string ProgramFolder(const std::string& programPath);

// Whether two paths name the same log: both trimmed, then compared by the
// platform's case rule. No path is canonicalised.
bool SamePath(const std::string& a, const std::string& b);

// Whether the path, taken as the bytes it is, names a regular file (a link
// to one counts). No text conversion happens: a Linux name that is not UTF-8
// is found as it is.
bool IsRegularFile(const std::string& path);

} // namespace marrowlight
