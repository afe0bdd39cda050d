#include "support/run.h"

#include <sys/wait.h>

#include <cstdlib>

#include "support/temp_folder.h"

RunResult run_plotmuf(const std::filesystem::path& working_folder, const std::string& arguments) {
    TempFolder capture;
    const std::filesystem::path out = capture.path() / "out", err = capture.path() / "err";
    const std::string command = "cd '" + working_folder.string() + "' && '" PLOTMUF_BINARY "' " + arguments +
                                " >'" + out.string() + "' 2>'" + err.string() + "' </dev/null";
    const int raw = std::system(command.c_str());
    RunResult result;
    result.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = read_text(out);
    result.err = read_text(err);
    return result;
}
