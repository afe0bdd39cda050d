#pragma once
// Test support (POSIX only, header only): metrics files read by the
// format's own tool, `promtool check metrics` (Debian's prometheus).

#include <filesystem>
#include <string>

#include "support/plotmuf_process.h"

// promtool's verdict on a metrics file: "" when it has nothing to say.
inline std::string promtool_faults(const std::filesystem::path& file) {
    const RunResult check = run_program(std::filesystem::temp_directory_path(),
                                       {"-c", "promtool check metrics < \"$0\"", file.string()}, {.program = "/bin/sh"});
    if (check.status == 0 && check.err.empty() && check.out.empty()) return "";
    return "status " + std::to_string(check.status) + ": " + check.out + check.err;
}
