// ZynPath: BaseDir and the mapping of data paths onto the Linux file system.
//
// Data paths are written as "\images\Tunnel.tga" throughout the program: a
// leading backslash, backslash separators, any letter case. ZynPath turns such
// a path into a real path below BaseDir, matching each name case-insensitively
// against what is on disk (exact match first). Names that do not exist yet are
// kept as written, so the same call serves for files about to be created.
// Depends on: the C++ standard library only.
#pragma once

#include <string>
#include <vector>

// The executable's directory (or --base-dir), without a trailing slash.
const std::string& ZynBaseDir();
void ZynSetBaseDir(const std::string& dir);

// Directory of the running executable (from /proc/self/exe).
std::string ZynExecutableDir();

// "\data\Foo.visfeed" -> "<BaseDir>/data/foo.visfeed" (as found on disk).
std::string ZynPath(const std::string& relative);

// Same mapping below an arbitrary root instead of BaseDir.
std::string ZynResolvePath(const std::string& root, const std::string& relative);

// Plain file names in a data directory whose extension matches ext
// (case-insensitive, ext given with its dot, "" for all), sorted
// case-insensitively so numbering built on the listing is deterministic.
std::vector<std::string> ZynListFiles(const std::string& relativeDir, const std::string& ext);

bool ZynFileExists(const std::string& path);
