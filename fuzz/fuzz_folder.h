#pragma once
// A folder of the fuzzing process's own, where each input is written as the
// file that the reader under test opens; removed again at the end.

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

class FuzzFolder {
public:
    FuzzFolder() : path_(std::filesystem::temp_directory_path() / ("plotmuf-fuzz-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(path_);
    }
    ~FuzzFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    FuzzFolder(const FuzzFolder&) = delete;
    FuzzFolder& operator=(const FuzzFolder&) = delete;

    // The folder as a configuration line writes it, with its final separator.
    std::string slash() const { return path_.string() + "/"; }

    void write(const std::string& name, std::string_view content) const {
        std::ofstream(path_ / name, std::ios::binary | std::ios::trunc)
            .write(content.data(), static_cast<std::streamsize>(content.size()));
    }

    void remove(const std::string& name) const {
        std::error_code ignored;
        std::filesystem::remove(path_ / name, ignored);
    }

private:
    std::filesystem::path path_;
};
