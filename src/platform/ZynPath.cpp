// ZynPath: BaseDir and case-insensitive data path mapping.
#include "platform/ZynPath.h"

#include "platform/ZynNumbers.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

static ZynDirs g_dirs = {false, ".", "", "", ""};

const std::string& ZynBaseDir() { return g_dirs.base; }

static std::string TrimSlashes(std::string dir)
{
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return dir.empty() ? "." : dir;
}

void ZynSetBaseDir(const std::string& dir)
{
    g_dirs = ZynDirs{};
    g_dirs.base = TrimSlashes(dir);
}

const ZynDirs& ZynCurrentDirs() { return g_dirs; }

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

std::string ZynPath(const std::string& relative, ZynPlace place)
{
    if (!g_dirs.installed) return ZynResolvePath(g_dirs.base, relative);
    switch (place) {
    case ZynPlace::Log: return ZynResolvePath(g_dirs.state, relative);
    case ZynPlace::Pictures: return ZynResolvePath(g_dirs.pictures, relative);
    case ZynPlace::User: return ZynResolvePath(g_dirs.user, relative);
    case ZynPlace::Data: break;
    }
    std::string own = ZynResolvePath(g_dirs.user, relative);
    if (ZynFileExists(own)) return own;
    std::string shipped = ZynResolvePath(g_dirs.base, relative);
    return ZynFileExists(shipped) ? shipped : own;
}

// Appends the plain files of dir matching ext whose names are not yet listed.
static void ListInto(const std::string& dir, const std::string& ext, std::vector<std::string>& names)
{
    DIR* d = opendir(dir.c_str());
    if (!d) return;
    while (dirent* e = readdir(d)) {
        std::string n = e->d_name;
        if (n == "." || n == "..") continue;
        struct stat st;
        if (stat((dir + "/" + n).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        if (!ext.empty()) {
            if (n.size() < ext.size() || !ZynSameText(n.substr(n.size() - ext.size()), ext)) continue;
        }
        if (std::any_of(names.begin(), names.end(), [&](const std::string& m) { return ZynSameText(m, n); }))
            continue;
        names.push_back(n);
    }
    closedir(d);
}

std::vector<std::string> ZynListFiles(const std::string& relativeDir, const std::string& ext)
{
    std::vector<std::string> names;
    if (g_dirs.installed) ListInto(ZynResolvePath(g_dirs.user, relativeDir), ext, names);
    ListInto(ZynResolvePath(g_dirs.base, relativeDir), ext, names);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        std::string la = ZynLower(a), lb = ZynLower(b);
        return la != lb ? la < lb : a < b;
    });
    return names;
}

// ---- mode choice ----

namespace {

std::string Env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

std::string HomeDir()
{
    std::string home = Env("HOME");
    if (!home.empty()) return TrimSlashes(home);
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return TrimSlashes(pw->pw_dir);
    return "/tmp";
}

// An XDG base directory: the variable when it holds an absolute path, else the default.
std::string XdgDir(const char* var, const std::string& fallback)
{
    std::string v = Env(var);
    return !v.empty() && v[0] == '/' ? TrimSlashes(v) : fallback;
}

// XDG_PICTURES_DIR from user-dirs.dirs: a line XDG_PICTURES_DIR="$HOME/Pictures"
// (an absolute path or one starting with $HOME/); ~/Pictures when not there.
std::string PicturesDir(const std::string& configHome, const std::string& home)
{
    std::ifstream in(configHome + "/user-dirs.dirs");
    std::string line;
    while (std::getline(in, line)) {
        const std::string key = "XDG_PICTURES_DIR=\"";
        if (line.compare(0, key.size(), key) != 0) continue;
        size_t end = line.find('"', key.size());
        if (end == std::string::npos) continue;
        std::string v = line.substr(key.size(), end - key.size());
        if (v.compare(0, 5, "$HOME") == 0 && (v.size() == 5 || v[5] == '/')) v = home + v.substr(5);
        // xdg-user-dirs writes "$HOME/" to switch a folder off: use the default then.
        if (!v.empty() && v[0] == '/' && TrimSlashes(v) != home) return TrimSlashes(v);
    }
    return home + "/Pictures";
}

std::string Absolute(const std::string& dir)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path p = fs::absolute(dir, ec);
    if (ec) p = dir;
    return TrimSlashes(p.lexically_normal().string());
}

bool MakeDirs(const std::string& dir, const char* what, std::string& error)
{
    std::error_code ec;
    if (std::filesystem::is_directory(dir, ec)) return true;
    std::filesystem::create_directories(dir, ec);
    if (!ec) return true;
    error = "cannot use \"" + dir + "\" as " + what + ": " + ec.message();
    return false;
}

}  // namespace

ZynDirs ZynChooseDirs(const std::string& exeDir, const std::string& baseDirOption)
{
    ZynDirs d;
    if (!baseDirOption.empty()) {
        d.base = Absolute(baseDirOption);
        return d;
    }
    d.base = Absolute(exeDir);
    namespace fs = std::filesystem;
    std::error_code ec;
    const std::string share = Absolute(d.base + "/../share/zyn");
    // Data beside the executable (the runtime folder) keeps it portable.
    const bool dataBeside = ZynFileExists(ZynResolvePath(d.base, "\\Zyn.man"));
    if (dataBeside || fs::path(d.base).filename() != "bin" || !fs::is_directory(share, ec)) return d;
    const std::string home = HomeDir();
    const std::string config = XdgDir("XDG_CONFIG_HOME", home + "/.config");
    d.installed = true;
    d.base = share;
    d.user = config + "/zyn";
    d.state = XdgDir("XDG_STATE_HOME", home + "/.local/state") + "/zyn";
    d.pictures = PicturesDir(config, home) + "/Zyn";
    return d;
}

bool ZynSetupDirs(const ZynDirs& dirs, std::string& error)
{
    const bool ok = dirs.installed
                        ? MakeDirs(dirs.user, "settings folder", error) && MakeDirs(dirs.state, "log folder", error)
                        : MakeDirs(dirs.base, "base folder", error);
    if (!ok) return false;
    g_dirs = dirs;
    g_dirs.base = TrimSlashes(dirs.base);
    return true;
}

std::string ZynBaseDirDescription()
{
    if (!g_dirs.installed) return g_dirs.base;
    return g_dirs.base + " (installed; settings " + g_dirs.user + ", log " + g_dirs.state + ", screenshots " +
           g_dirs.pictures + ")";
}
