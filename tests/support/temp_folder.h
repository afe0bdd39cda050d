#pragma once
// A fresh folder for one test, removed with everything in it afterwards.

#include <filesystem>
#include <string>
#include <string_view>

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The folder as a configuration line writes it: with its final separator.
    std::string slash() const { return path_.string() + "/"; }
    // A folder as a configuration line writes it, "\\" at the end.
    static std::string folder_of(const std::filesystem::path& folder) { return folder.string() + "\\"; }

    // Writes `content` to `relative` (folders made as needed); returns its path.
    std::filesystem::path write(const std::string& relative, std::string_view content) const;
    std::filesystem::path make_folder(const std::string& relative) const;

private:
    std::filesystem::path path_;
};

// The text of a file, or an empty string when it cannot be read.
std::string read_text(const std::filesystem::path& path);
