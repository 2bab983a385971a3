// ZynPath: BaseDir and the mapping of data paths onto the Linux file system.
//
// Data paths are written as "\images\Tunnel.tga" throughout the program: a
// leading backslash, backslash separators, any letter case. ZynPath turns such
// a path into a real path below BaseDir, matching each name case-insensitively
// against what is on disk (exact match first). Names that do not exist yet are
// kept as written, so the same call serves for files about to be created.
//
// Two modes, chosen once at start (ZynSetupDirs):
//  - portable: everything (data, settings, log, screenshots) lives in BaseDir,
//    the executable's folder or --base-dir;
//  - installed: the executable sits in a "bin" folder with its data in
//    "../share/zyn" (BaseDir, read only). What the user owns goes to the XDG
//    folders: settings, custom images, added data files and help overrides to
//    $XDG_CONFIG_HOME/zyn (the user folder, searched before BaseDir), the log
//    to $XDG_STATE_HOME/zyn, screenshots to the pictures folder's Zyn subfolder.
// Depends on: the C++ standard library only.
#pragma once

#include <string>
#include <vector>

// The executable's directory (or --base-dir), without a trailing slash; in
// installed mode the installed data folder.
const std::string& ZynBaseDir();
// Portable mode with this BaseDir.
void ZynSetBaseDir(const std::string& dir);

// What a path is for, which decides its folder in installed mode.
enum class ZynPlace {
    Data,       // read: the user folder first, then BaseDir
    User,       // written by the program for the user (Zyn.cfg, custom images)
    Log,        // ZynLog.txt
    Pictures,   // screenshots
};

struct ZynDirs {
    bool installed = false;
    std::string base;       // BaseDir
    std::string user;       // installed: settings, custom images, the user's own data files
    std::string state;      // installed: the log
    std::string pictures;   // installed: screenshots
};

// Picks the mode for an executable in exeDir (baseDirOption: --base-dir, ""
// when not given) and fills dirs from the environment (XDG_CONFIG_HOME,
// XDG_STATE_HOME, the pictures entry of user-dirs.dirs, HOME).
ZynDirs ZynChooseDirs(const std::string& exeDir, const std::string& baseDirOption);
// Applies the choice: creates BaseDir (portable) or the user and state
// folders (installed) when missing. False with error set when that fails.
bool ZynSetupDirs(const ZynDirs& dirs, std::string& error);
const ZynDirs& ZynCurrentDirs();
// The log header's base-dir text: BaseDir, plus the user's folders when installed.
std::string ZynBaseDirDescription();

// Directory of the running executable (from /proc/self/exe).
std::string ZynExecutableDir();

// "\data\Foo.visfeed" -> "<BaseDir>/data/foo.visfeed" (as found on disk).
// Installed, Data paths are looked up in the user folder first, then in BaseDir;
// a name found in neither maps into the user folder.
std::string ZynPath(const std::string& relative, ZynPlace place = ZynPlace::Data);

// Same mapping below an arbitrary root instead of BaseDir.
std::string ZynResolvePath(const std::string& root, const std::string& relative);

// Plain file names in a data directory whose extension matches ext
// (case-insensitive, ext given with its dot, "" for all), sorted
// case-insensitively so numbering built on the listing is deterministic.
// Installed, the user folder's files join BaseDir's (a name in both counts once).
std::vector<std::string> ZynListFiles(const std::string& relativeDir, const std::string& ext);

bool ZynFileExists(const std::string& path);
