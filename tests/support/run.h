#pragma once
// Runs the built plotmuf binary in a folder, as a scheduler would.

#include <filesystem>
#include <string>

struct RunResult {
    int status = -1;      // the exit status; -1 when it did not exit normally
    std::string out;      // standard output
    std::string err;      // standard error
};

RunResult run_plotmuf(const std::filesystem::path& working_folder, const std::string& arguments = "");
