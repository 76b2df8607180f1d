// Reader and writer of INI files made of "[section]" headers and "key=value" lines.
// Names are case-sensitive and nothing is trimmed; the last value of a key wins.
#pragma once
#include <string>
#include <vector>

class IniFile {
public:
    explicit IniFile(std::string path) : path_(std::move(path)) {}

    // Reads the whole file; false when it does not exist or cannot be opened.
    bool Load();
    // Takes the structure from `bytes`, the contents of a file, read as Load reads a file:
    // CR LF or LF end a line, a Ctrl-Z ends the text.
    void LoadText(const std::string& bytes);
    // The bytes of the file at `path`; false when it cannot be opened (`bytes` is then empty).
    static bool ReadBytes(const std::string& path, std::string& bytes);
    // Writes every section that has keys, each followed by one empty line (CR LF). The file
    // is replaced as a whole: false, with the file as it was, when it could not be written.
    bool Save() const;
    // The value, or "" when the section or key is missing (ErrorText says which).
    std::string GetValue(const std::string& section, const std::string& key);
    // Sets a value; with `create` false a missing section or key fails and changes nothing.
    bool SetValue(const std::string& section, const std::string& key, const std::string& value, bool create);
    bool DeleteSection(const std::string& section);
    // True when the section holds the key (an empty value counts).
    bool HasValue(const std::string& section, const std::string& key) const;
    int SectionCount() const { return static_cast<int>(names_.size()); }
    const std::string& ErrorText() const { return errorText_; }
    const std::string& Path() const { return path_; }

    // Parses one line (without its line end) into the structure, as Load does.
    void ParseLine(const std::string& line, std::string& currentSection);

private:
    struct Section {
        std::vector<std::string> keys;
        std::vector<std::string> values;
    };
    int FindSection(const std::string& name) const;

    std::string path_;
    std::vector<std::string> names_;
    std::vector<Section> sections_;
    std::string errorText_;
};
