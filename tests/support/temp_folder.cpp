#include "support/temp_folder.h"

#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

TempFolder::TempFolder() {
    std::random_device random;
    for (;;) {
        path_ = fs::temp_directory_path() / ("plotmuf-test-" + std::to_string(random()));
        if (fs::create_directory(path_)) break;
    }
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

fs::path TempFolder::write(const std::string& relative, std::string_view content) const {
    const fs::path file = path_ / relative;
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    return file;
}

fs::path TempFolder::make_folder(const std::string& relative) const {
    fs::create_directories(path_ / relative);
    return path_ / relative;
}

std::string read_text(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}
