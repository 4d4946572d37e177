#pragma once
// A shell command run to its end by the tests that drive the project's programs: what it
// printed on its standard output and its exit code.
#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace tessaly_test {

struct CommandRun {
    int status = -1;  // the exit code; -1 when it did not exit (a signal) or never started
    std::string output;
};

inline CommandRun RunCommand(const std::string& command) {
    CommandRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char chunk[4096];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
        run.output.append(chunk, got);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace tessaly_test
