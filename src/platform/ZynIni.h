// ZynIni: profile (INI) files with the semantics of Windows profile files.
//
// Section and key names are case-insensitive; the first matching section and,
// inside it, the first matching key win. Keys and values are trimmed when read.
// The whole file is held in memory: every section, key, comment and unknown
// line is kept as it was and written back unchanged; new keys go after the last
// key of their section and new sections are appended in the order first
// written, so a file built from nothing lists them in write order. Reads CRLF
// and LF files, writes LF. Writes reach the disk through UpdateFile (also run
// by the destructor when something changed), which replaces the file
// atomically: a crash or a full disk leaves the previous file intact. A value
// longer than ZynIniMaxValue is refused when the file is read (one error line)
// and dropped from the file at the next save.
// Depends on: app/ZynLog (error lines), platform/ZynNumbers.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

constexpr size_t ZynIniMaxValue = 65536;

class TZynIniFile {
public:
    // Reads path if it exists. A missing file is an empty profile; a file that
    // exists but cannot be read is reported and never overwritten. An empty
    // path gives a profile that lives in memory only (never saved).
    explicit TZynIniFile(std::string path);
    // An in-memory profile parsed from text.
    static std::unique_ptr<TZynIniFile> FromText(const std::string& text);
    ~TZynIniFile();
    TZynIniFile(const TZynIniFile&) = delete;
    TZynIniFile& operator=(const TZynIniFile&) = delete;

    const std::string& FileName() const { return m_path; }

    std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
    // Decimal integers only; anything else (or out of range) gives def.
    int32_t ReadInteger(const std::string& section, const std::string& key, int32_t def) const;
    double ReadFloat(const std::string& section, const std::string& key, double def) const;
    bool ReadBool(const std::string& section, const std::string& key, bool def) const;   // integer != 0
    // A count that sizes what a file's reader builds: missing, unreadable or
    // negative gives 0, more than cap gives cap with a warning line.
    int32_t ReadCount(const std::string& section, const std::string& key, int32_t cap) const;

    // Line breaks in names or values would break the file's structure and are
    // replaced by blanks.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int32_t value);
    void WriteBool(const std::string& section, const std::string& key, bool value);

    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& key) const;
    // Section names in file order (each name once).
    std::vector<std::string> ReadSections() const;
    // Key names of the section in file order (each name once).
    std::vector<std::string> ReadSection(const std::string& section) const;
    // Key/value pairs of the section in file order (first value of each key).
    std::vector<std::pair<std::string, std::string>> ReadSectionValues(const std::string& section) const;
    // Removes the section (every copy of it, so no stale duplicate shows through).
    void EraseSection(const std::string& section);
    // Removes the key from the section (every copy of it).
    void DeleteKey(const std::string& section, const std::string& key);

    // Writes pending changes; true when the file on disk is up to date.
    // Failures are logged as "#ERROR : " lines and leave the old file as it was.
    bool UpdateFile();
    bool Modified() const { return m_modified; }

    // The profile as file text, and replacing it from text (marks it modified).
    std::string Text() const;
    void SetText(const std::string& text);

private:
    struct TLine {
        std::string raw;      // the line as read or last written
        bool isKey = false;
        std::string key;      // trimmed
        std::string value;    // trimmed
    };
    struct TSection {
        std::string header;   // the header line as read
        std::string name;     // trimmed name between the brackets
        std::vector<TLine> lines;
    };

    void Parse(const std::string& text);
    TSection* FindSection(const std::string& name);
    const TSection* FindSection(const std::string& name) const;
    static const TLine* FindKey(const TSection& s, const std::string& key);

    std::string m_path;
    std::vector<std::string> m_preamble;   // lines before the first section
    std::vector<TSection> m_sections;
    bool m_modified = false;
    bool m_unreadable = false;
};

// Replaces path with content atomically (temporary file in the same folder,
// flushed to disk, renamed over path). On failure the old file is untouched,
// the temporary file removed and error holds the reason. A successful write
// also removes temporaries that killed writers left behind.
bool ZynWriteFileAtomic(const std::string& path, const std::string& content, std::string& error);
