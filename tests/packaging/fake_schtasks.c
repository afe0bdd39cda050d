/* A stand-in for schtasks.exe (Wine's is a stub), for the tests of
 * schedule.cmd. It appends the arguments it got, one per line, then "--",
 * to C:\schtasks.log. For /create it also does what the Task Scheduler
 * would do when the task is due: it starts the command of /tr from
 * C:\windows\system32, waits for it and logs "exit N" with its status.
 * It exits with FAKE_SCHTASKS_EXIT (default 0), as a failing schtasks would.
 *
 * The arguments are split by the C runtime, as the real schtasks.exe gets
 * them: this is what the quoting of schedule.cmd must get right. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

int main(int argc, char** argv) {
    FILE* log = fopen("C:\\schtasks.log", "ab");
    if (!log) return 99;
    const char* command = NULL;
    for (int i = 1; i < argc; ++i) {
        fprintf(log, "%s\n", argv[i]);
        if (strcmp(argv[i], "/tr") == 0 && i + 1 < argc) command = argv[i + 1];
    }
    fprintf(log, "--\n");

    if (argc > 1 && strcmp(argv[1], "/create") == 0 && command) {
        char line[4096];
        snprintf(line, sizeof line, "%s", command);
        STARTUPINFOA startup = {.cb = sizeof startup};
        PROCESS_INFORMATION process;
        DWORD status = 98;
        if (CreateProcessA(NULL, line, NULL, NULL, FALSE, 0, NULL, "C:\\windows\\system32", &startup, &process)) {
            WaitForSingleObject(process.hProcess, INFINITE);
            GetExitCodeProcess(process.hProcess, &status);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
        fprintf(log, "exit %lu\n", (unsigned long)status);
    }
    fclose(log);
    const char* exit_status = getenv("FAKE_SCHTASKS_EXIT");
    return exit_status ? atoi(exit_status) : 0;
}
