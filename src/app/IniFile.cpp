#include "app/IniFile.h"

#include <sys/stat.h>

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {
// Puts the file `from` in the place of `to`, in one step where the system offers one.
bool MoveOver(const std::string& from, const std::string& to) {
#ifdef _WIN32
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    // The 9x line has no MoveFileEx: there the old file goes first.
    if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;
    DeleteFileA(to.c_str());
    return MoveFileA(from.c_str(), to.c_str()) != FALSE;
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}
}  // namespace

int IniFile::FindSection(const std::string& name) const {
    for (size_t i = 0; i < names_.size(); ++i)
        if (names_[i] == name) return static_cast<int>(i);
    return -1;
}

bool IniFile::ReadBytes(const std::string& path, std::string& bytes) {
    bytes.clear();
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    std::fclose(f);
    return true;
}

bool IniFile::Load() {
    struct stat st;
    if (stat(path_.c_str(), &st) != 0) return false;
    std::string bytes;
    if (!ReadBytes(path_, bytes)) {
        errorText_ = "Unable to open ini file.";
        return false;
    }
    LoadText(bytes);
    return true;
}

void IniFile::LoadText(const std::string& bytes) {
    // As a file opened in text mode reads: Ctrl-Z is its end, CR LF one line end.
    size_t end = bytes.find('\x1a');
    if (end == std::string::npos) end = bytes.size();
    std::string section;
    size_t start = 0;
    while (start < end) {
        size_t lf = bytes.find('\n', start);
        if (lf == std::string::npos || lf > end) lf = end;
        size_t stop = lf;
        if (stop > start && bytes[stop - 1] == '\r' && lf < end) --stop;
        ParseLine(bytes.substr(start, stop - start), section);
        start = lf + 1;
    }
}

void IniFile::ParseLine(const std::string& line, std::string& currentSection) {
    if (line.empty()) return;
    if (line.front() == '[' && line.back() == ']') {
        size_t first = line.find_first_not_of('[');
        size_t last = line.find_last_not_of(']');
        currentSection = (first == std::string::npos || last == std::string::npos || last < first)
                             ? std::string()
                             : line.substr(first, last - first + 1);
        return;
    }
    size_t eq = line.find('=');
    if (eq == std::string::npos)
        SetValue(currentSection, std::string(), line.substr(1), true);
    else
        SetValue(currentSection, line.substr(0, eq), line.substr(eq + 1), true);
}

bool IniFile::Save() const {
    // Written whole beside the file, which it then replaces: a program ended in the middle of
    // a save, or a disk that fills up, leaves the file as it was instead of cut short.
    const std::string temporary = path_ + ".new";
    FILE* f = std::fopen(temporary.c_str(), "w");  // text mode writes CR LF
    if (!f) return false;
    for (size_t i = 0; i < names_.size(); ++i) {
        const Section& s = sections_[i];
        if (s.keys.empty()) continue;
        std::fprintf(f, "[%s]\n", names_[i].c_str());
        for (size_t k = 0; k < s.keys.size(); ++k) std::fprintf(f, "%s=%s\n", s.keys[k].c_str(), s.values[k].c_str());
        std::fputs("\n", f);
    }
    bool written = !std::ferror(f);
    written = std::fclose(f) == 0 && written;
    if (written && MoveOver(temporary, path_)) return true;
    std::remove(temporary.c_str());
    return false;
}

std::string IniFile::GetValue(const std::string& section, const std::string& key) {
    int s = FindSection(section);
    if (s < 0) {
        errorText_ = "Unable to locate specified key.";
        return std::string();
    }
    const Section& rec = sections_[s];
    for (size_t k = 0; k < rec.keys.size(); ++k)
        if (rec.keys[k] == key) return rec.values[k];
    errorText_ = "Unable to locate specified value.";
    return std::string();
}

bool IniFile::SetValue(const std::string& section, const std::string& key, const std::string& value, bool create) {
    int s = FindSection(section);
    if (s < 0) {
        if (!create) return false;
        names_.push_back(section);
        sections_.emplace_back();
        s = static_cast<int>(names_.size()) - 1;
    }
    Section& rec = sections_[s];
    for (size_t k = 0; k < rec.keys.size(); ++k) {
        if (rec.keys[k] == key) {
            rec.values[k] = value;
            return true;
        }
    }
    if (!create) return false;
    rec.keys.push_back(key);
    rec.values.push_back(value);
    return true;
}

bool IniFile::HasValue(const std::string& section, const std::string& key) const {
    int s = FindSection(section);
    if (s < 0) return false;
    for (const std::string& k : sections_[s].keys)
        if (k == key) return true;
    return false;
}

bool IniFile::DeleteSection(const std::string& section) {
    int s = FindSection(section);
    if (s < 0) return false;
    names_.erase(names_.begin() + s);
    sections_.erase(sections_.begin() + s);
    return true;
}
