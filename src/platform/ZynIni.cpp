// ZynIni: in-memory profile files with Windows lookup rules and atomic saving.
#include "platform/ZynIni.h"

#include "app/ZynLog.h"
#include "platform/ZynNumbers.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

static std::string OneLine(const std::string& s)
{
    std::string out = s;
    for (char& c : out) if (c == '\r' || c == '\n') c = ' ';
    return out;
}

TZynIniFile::TZynIniFile(std::string path) : m_path(std::move(path))
{
    if (m_path.empty()) return;
    int fd = open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) {
            m_unreadable = true;
            ZynLogError("TZynIniFile - Could not read \"" + m_path + "\": " + std::strerror(errno));
        }
        return;
    }
    std::string text;
    char buf[65536];
    for (;;) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            m_unreadable = true;
            ZynLogError("TZynIniFile - Could not read \"" + m_path + "\": " + std::strerror(errno));
            close(fd);
            return;
        }
        if (n == 0) break;
        text.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    Parse(text);
}

std::unique_ptr<TZynIniFile> TZynIniFile::FromText(const std::string& text)
{
    auto ini = std::make_unique<TZynIniFile>(std::string());
    ini->Parse(text);
    return ini;
}

TZynIniFile::~TZynIniFile()
{
    if (m_modified) UpdateFile();
}

// A refused value is reported once per file and process (the file is read
// again for every look-up).
static void ReportLongValues(const std::string& path, size_t count, const std::string& first)
{
    static std::vector<std::string> reported;
    for (const auto& r : reported) if (r == path) return;
    reported.push_back(path);
    ZynLogError("TZynIniFile - \"" + path + "\": " + std::to_string(count) + " value(s) longer than " +
                std::to_string(ZynIniMaxValue) + " characters ignored (the first: " + first + ")");
}

void TZynIniFile::Parse(const std::string& text)
{
    m_preamble.clear();
    m_sections.clear();
    size_t refused = 0;
    std::string firstRefused;
    // Editors may put a UTF-8 byte order mark in front (some twice, when they
    // add theirs to a file that had one); it would hide the first section,
    // and a file written back without the first would show it.
    size_t pos = 0;
    while (text.compare(pos, 3, "\xEF\xBB\xBF") == 0) pos += 3;
    while (pos < text.size()) {
        // Lines end at LF, CR LF or a lone CR: a CR inside a line would give
        // names that no write can reach (writes turn CR into a blank).
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);

        std::string trimmed = ZynTrim(line);
        if (!trimmed.empty() && trimmed[0] == '[') {
            size_t close = trimmed.find(']');
            TSection s;
            s.header = line;
            s.name = ZynTrim(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            m_sections.push_back(std::move(s));
            continue;
        }
        TLine l;
        l.raw = line;
        size_t eq = trimmed.find('=');
        if (eq != std::string::npos && trimmed[0] != ';') {
            l.key = ZynTrim(trimmed.substr(0, eq));
            l.value = ZynTrim(trimmed.substr(eq + 1));
            l.isKey = !l.key.empty();
            if (l.value.size() > ZynIniMaxValue) {
                // Dropped, so that saving does not write it back either.
                if (refused++ == 0)
                    firstRefused = "[" + (m_sections.empty() ? std::string() : m_sections.back().name) + "] " + l.key;
                continue;
            }
        }
        if (m_sections.empty()) m_preamble.push_back(l.raw);
        else m_sections.back().lines.push_back(std::move(l));
    }
    if (refused > 0) ReportLongValues(m_path, refused, firstRefused);
}

std::string TZynIniFile::Text() const
{
    std::string out;
    for (const auto& l : m_preamble) out += l + "\n";
    for (const auto& s : m_sections) {
        out += s.header + "\n";
        for (const auto& l : s.lines) out += l.raw + "\n";
    }
    return out;
}

void TZynIniFile::SetText(const std::string& text)
{
    Parse(text);
    m_modified = true;
}

TZynIniFile::TSection* TZynIniFile::FindSection(const std::string& name)
{
    std::string n = ZynTrim(name);
    for (auto& s : m_sections) if (ZynSameText(s.name, n)) return &s;
    return nullptr;
}

const TZynIniFile::TSection* TZynIniFile::FindSection(const std::string& name) const
{
    return const_cast<TZynIniFile*>(this)->FindSection(name);
}

const TZynIniFile::TLine* TZynIniFile::FindKey(const TSection& s, const std::string& key)
{
    std::string k = ZynTrim(key);
    for (const auto& l : s.lines) if (l.isKey && ZynSameText(l.key, k)) return &l;
    return nullptr;
}

std::string TZynIniFile::ReadString(const std::string& section, const std::string& key, const std::string& def) const
{
    const TSection* s = FindSection(section);
    const TLine* l = s ? FindKey(*s, key) : nullptr;
    return l ? l->value : def;
}

int32_t TZynIniFile::ReadInteger(const std::string& section, const std::string& key, int32_t def) const
{
    int64_t v = 0;
    if (!ZynParseInt64(ReadString(section, key, ""), v) || v < INT32_MIN || v > INT32_MAX) return def;
    return static_cast<int32_t>(v);
}

double TZynIniFile::ReadFloat(const std::string& section, const std::string& key, double def) const
{
    double v = 0;
    return ZynParseDouble(ReadString(section, key, ""), v) ? v : def;
}

bool TZynIniFile::ReadBool(const std::string& section, const std::string& key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

int32_t TZynIniFile::ReadCount(const std::string& section, const std::string& key, int32_t cap) const
{
    int64_t v = 0;
    if (!ZynParseInt64(ReadString(section, key, ""), v) || v < 0) return 0;
    if (v <= cap) return static_cast<int32_t>(v);
    ZynLogWarning("\"" + m_path + "\" [" + section + "] " + key + " = " + std::to_string(v) + " is more than " +
                  std::to_string(cap) + ", only " + std::to_string(cap) + " are read");
    return cap;
}

void TZynIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    std::string k = ZynTrim(OneLine(key));
    std::string v = OneLine(value);
    if (k.empty()) return;
    TSection* s = FindSection(OneLine(section));
    if (!s) {
        TSection fresh;
        fresh.name = ZynTrim(OneLine(section));
        fresh.header = "[" + fresh.name + "]";
        m_sections.push_back(std::move(fresh));
        s = &m_sections.back();
    }
    TLine line;
    line.raw = k + "=" + v;
    line.isKey = true;
    line.key = k;
    line.value = ZynTrim(v);
    for (auto& l : s->lines) {
        if (l.isKey && ZynSameText(l.key, k)) {
            if (l.value == line.value) return;   // unchanged: keep the line as it was
            line.key = l.key;   // keep the spelling already in the file
            line.raw = l.key + "=" + v;
            l = std::move(line);
            m_modified = true;
            return;
        }
    }
    // After the last key, ahead of any trailing blank or comment lines.
    size_t at = s->lines.size();
    while (at > 0 && !s->lines[at - 1].isKey) at--;
    if (at == 0) at = s->lines.size();
    s->lines.insert(s->lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
    m_modified = true;
}

void TZynIniFile::WriteInteger(const std::string& section, const std::string& key, int32_t value)
{
    WriteString(section, key, std::to_string(value));
}

void TZynIniFile::WriteBool(const std::string& section, const std::string& key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

bool TZynIniFile::SectionExists(const std::string& section) const { return FindSection(section) != nullptr; }

bool TZynIniFile::ValueExists(const std::string& section, const std::string& key) const
{
    const TSection* s = FindSection(section);
    return s && FindKey(*s, key);
}

std::vector<std::string> TZynIniFile::ReadSections() const
{
    std::vector<std::string> out;
    for (const auto& s : m_sections) {
        bool dup = false;
        for (const auto& o : out) if (ZynSameText(o, s.name)) { dup = true; break; }
        if (!dup) out.push_back(s.name);
    }
    return out;
}

std::vector<std::string> TZynIniFile::ReadSection(const std::string& section) const
{
    std::vector<std::string> out;
    for (const auto& kv : ReadSectionValues(section)) out.push_back(kv.first);
    return out;
}

std::vector<std::pair<std::string, std::string>> TZynIniFile::ReadSectionValues(const std::string& section) const
{
    std::vector<std::pair<std::string, std::string>> out;
    const TSection* s = FindSection(section);
    if (!s) return out;
    for (const auto& l : s->lines) {
        if (!l.isKey) continue;
        bool dup = false;
        for (const auto& o : out) if (ZynSameText(o.first, l.key)) { dup = true; break; }
        if (!dup) out.emplace_back(l.key, l.value);
    }
    return out;
}

void TZynIniFile::EraseSection(const std::string& section)
{
    std::string n = ZynTrim(section);
    for (size_t i = 0; i < m_sections.size();) {
        if (ZynSameText(m_sections[i].name, n)) {
            m_sections.erase(m_sections.begin() + static_cast<std::ptrdiff_t>(i));
            m_modified = true;
        } else {
            i++;
        }
    }
}

void TZynIniFile::DeleteKey(const std::string& section, const std::string& key)
{
    TSection* s = FindSection(section);
    if (!s) return;
    std::string k = ZynTrim(key);
    for (size_t i = 0; i < s->lines.size();) {
        if (s->lines[i].isKey && ZynSameText(s->lines[i].key, k)) {
            s->lines.erase(s->lines.begin() + static_cast<std::ptrdiff_t>(i));
            m_modified = true;
        } else {
            i++;
        }
    }
}

bool TZynIniFile::UpdateFile()
{
    if (!m_modified) return true;
    if (m_path.empty()) return false;   // in-memory profile
    if (m_unreadable) {
        // Replacing a file we could not read would throw its contents away.
        ZynLogError("TZynIniFile.UpdateFile - \"" + m_path + "\" was unreadable and is left as it is");
        return false;
    }
    std::string error;
    if (!ZynWriteFileAtomic(m_path, Text(), error)) {
        ZynLogError("TZynIniFile.UpdateFile - Could not save \"" + m_path + "\": " + error);
        return false;
    }
    m_modified = false;
    return true;
}

// ---------------------------------------------------------------------------

static bool WriteAll(int fd, const std::string& data)
{
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) { errno = EIO; return false; }
        done += static_cast<size_t>(n);
    }
    return true;
}

// Removes temporary files of target left by saves that were killed midway
// (their process no longer exists).
static void RemoveStaleTemporaries(const std::string& dir, const std::string& base)
{
    DIR* d = opendir(dir.c_str());
    if (!d) return;
    std::string prefix = base + ".tmp";
    while (dirent* e = readdir(d)) {
        std::string name = e->d_name;
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
        std::string digits = name.substr(prefix.size());
        if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 9) continue;
        pid_t pid = static_cast<pid_t>(std::stol(digits));
        if (pid != getpid() && kill(pid, 0) != 0 && errno == ESRCH) unlink((dir + "/" + name).c_str());
    }
    closedir(d);
}

bool ZynWriteFileAtomic(const std::string& path, const std::string& content, std::string& error)
{
    // Write through a symbolic link to its target rather than replacing the link.
    std::string target = path;
    struct stat st;
    mode_t mode = 0644;
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = realpath(path.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }
    if (stat(target.c_str(), &st) == 0) mode = st.st_mode & 07777;

    std::string tmp = target + ".tmp" + std::to_string(getpid());
    int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    bool ok = WriteAll(fd, content) && fchmod(fd, mode) == 0 && fsync(fd) == 0;
    int savedErrno = errno;
    if (close(fd) != 0 && ok) { ok = false; savedErrno = errno; }
    if (ok && rename(tmp.c_str(), target.c_str()) != 0) { ok = false; savedErrno = errno; }
    if (!ok) {
        unlink(tmp.c_str());
        error = std::strerror(savedErrno);
        return false;
    }
    // Make the rename itself durable.
    size_t slash = target.rfind('/');
    std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
    int dfd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        fsync(dfd);
        close(dfd);
    }
    RemoveStaleTemporaries(dir, slash == std::string::npos ? target : target.substr(slash + 1));
    return true;
}
