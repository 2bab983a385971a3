// ZynPath: BaseDir and case-insensitive data path mapping.
#include "platform/ZynPath.h"

#include "platform/ZynNumbers.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

static std::string g_baseDir = ".";

const std::string& ZynBaseDir() { return g_baseDir; }

void ZynSetBaseDir(const std::string& dir)
{
    g_baseDir = dir;
    while (g_baseDir.size() > 1 && g_baseDir.back() == '/') g_baseDir.pop_back();
    if (g_baseDir.empty()) g_baseDir = ".";
}

std::string ZynExecutableDir()
{
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return ".";
    std::string p(buf, static_cast<size_t>(n));
    size_t slash = p.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return p.substr(0, slash);
}

bool ZynFileExists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// Finds the entry of dir whose name equals name ignoring case; exact match wins.
static std::string MatchEntry(const std::string& dir, const std::string& name)
{
    if (name == "." || name == "..") return name;
    if (ZynFileExists(dir + "/" + name)) return name;
    DIR* d = opendir(dir.c_str());
    if (!d) return name;
    std::string found;
    while (dirent* e = readdir(d)) {
        if (ZynSameText(e->d_name, name)) {
            // Several case variants: take the smallest for a stable answer.
            if (found.empty() || std::string(e->d_name) < found) found = e->d_name;
        }
    }
    closedir(d);
    return found.empty() ? name : found;
}

std::string ZynResolvePath(const std::string& root, const std::string& relative)
{
    std::string path = root;
    std::string part;
    auto flush = [&]() {
        if (part.empty()) return;
        path += "/" + MatchEntry(path, part);
        part.clear();
    };
    for (char c : relative) {
        if (c == '\\' || c == '/') flush();
        else part += c;
    }
    flush();
    return path;
}

std::string ZynPath(const std::string& relative) { return ZynResolvePath(g_baseDir, relative); }

std::vector<std::string> ZynListFiles(const std::string& relativeDir, const std::string& ext)
{
    std::vector<std::string> names;
    std::string dir = ZynPath(relativeDir);
    DIR* d = opendir(dir.c_str());
    if (!d) return names;
    while (dirent* e = readdir(d)) {
        std::string n = e->d_name;
        if (n == "." || n == "..") continue;
        struct stat st;
        if (stat((dir + "/" + n).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        if (!ext.empty()) {
            if (n.size() < ext.size() || !ZynSameText(n.substr(n.size() - ext.size()), ext)) continue;
        }
        names.push_back(n);
    }
    closedir(d);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        std::string la = ZynLower(a), lb = ZynLower(b);
        return la != lb ? la < lb : a < b;
    });
    return names;
}
