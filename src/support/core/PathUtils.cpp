#include "support/core/PathUtils.h"

#include "support/core/TextUtils.h"

#include <algorithm>

namespace marrowlight {

namespace {

std::size_t FileNameStart(const std::string& path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        if (IsPathSeparator(path[i - 1]))
            return i;
    }
    return 0;
}

// What a shortened path keeps of its start: the drive on Windows ("C:"),
// nothing on Linux, where the root is already given by the "/..." marker.
std::string ShortenedHead(const std::string& folder) {
#ifdef _WIN32
    return folder.substr(0, 2);
#else
    (void)folder;
    return {};
#endif
}

} // namespace

char PathSeparator() {
#ifdef _WIN32
    return '\\';
#else
    return '/';
#endif
}

bool IsPathSeparator(char c) {
#ifdef _WIN32
    // Qt hands out "/" paths on Windows too.
    return c == '\\' || c == '/' || c == ':';
#else
    return c == '/';
#endif
}

std::string FolderOfPath(const std::string& path) {
    return path.substr(0, FileNameStart(path));
}

std::string FileNameOfPath(const std::string& path) {
    return path.substr(FileNameStart(path));
}

std::string NameWithoutExtension(const std::string& path) {
    std::string name = FileNameOfPath(path);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

std::string ExtensionOfPath(const std::string& path) {
    const std::string name = FileNameOfPath(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string WithTrailingSeparator(const std::string& path) {
    if (path.empty() || (IsPathSeparator(path.back()) && path.back() != ':'))
        return path;
    return path + PathSeparator();
}

std::string ShortenPath(const std::string& path, std::size_t limit) {
    // The 4 reserves room for a typical extension, later for the "/..." marker.
    std::string name = NameWithoutExtension(path);
    if (limit >= name.size() + 4)
        name += ExtensionOfPath(path);
    const std::string folder = FolderOfPath(path);
    if (limit >= folder.size() + name.size())
        return folder + name;
    if (limit >= name.size() + 4) {
        const std::size_t tail = std::min(limit - name.size() - 4, folder.size());
        return ShortenedHead(folder) + PathSeparator() + "..." +
               folder.substr(folder.size() - tail) + name;
    }
    return name;
}

std::string ProgramBaseName(const std::string& programPath) {
    return NameWithoutExtension(programPath);
}

std::string ProgramFolder(const std::string& programPath) {
    return WithTrailingSeparator(FolderOfPath(programPath));
}

bool SamePath(const std::string& a, const std::string& b) {
#ifdef _WIN32
    return UpperCaseText(TrimText(a)) == UpperCaseText(TrimText(b));
#else
    return TrimText(a) == TrimText(b);
#endif
}

} // namespace marrowlight
