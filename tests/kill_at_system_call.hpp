#pragma once
// Runs a probe program under ptrace and kills it on entering its nth system call after it
// marks the start of what is being tested by raising SIGUSR1 (which it ignores): the kill
// tests of the score save and of the replay save stop their probe at each call in turn.
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace tessaly_test {

enum class Outcome { Killed, Finished, NoTracing, Failed };

inline std::vector<char*> Arguments(std::vector<std::string>& words) {
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    return argv;
}

// words[0] is the program. Finished when it ends (with 0) before the nth call.
inline Outcome RunKilledAt(std::vector<std::string> words, long n) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) _exit(126);
        // The sanitizer build's leak check cannot run under a tracer; the save is the same.
        const char* options = getenv("ASAN_OPTIONS");
        setenv("ASAN_OPTIONS", (std::string(options ? options : "") + ":detect_leaks=0").c_str(),
               1);
        execv(words[0].c_str(), Arguments(words).data());
        _exit(127);
    }
    int status = 0;
    // A traced child stops at its exec.
    if (waitpid(pid, &status, 0) != pid) return Outcome::Failed;
    if (WIFEXITED(status)) return WEXITSTATUS(status) == 126 ? Outcome::NoTracing : Outcome::Failed;
    if (ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL) != 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return Outcome::NoTracing;
    }
    __ptrace_request resume = PTRACE_CONT;
    long seen = 0;
    int deliver = 0;
    for (;;) {
        if (ptrace(resume, pid, nullptr, reinterpret_cast<void*>(std::intptr_t(deliver))) != 0)
            return Outcome::Failed;
        deliver = 0;
        if (waitpid(pid, &status, 0) != pid) return Outcome::Failed;
        if (WIFEXITED(status))
            return WEXITSTATUS(status) == 0 ? Outcome::Finished : Outcome::Failed;
        if (!WIFSTOPPED(status)) return Outcome::Failed;
        const int signal = WSTOPSIG(status);
        if (signal == (SIGTRAP | 0x80)) {
            __ptrace_syscall_info info{};
            void* const size = reinterpret_cast<void*>(sizeof info);
            if (ptrace(PTRACE_GET_SYSCALL_INFO, pid, size, &info) <= 0) return Outcome::Failed;
            if (info.op == PTRACE_SYSCALL_INFO_ENTRY && ++seen == n) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                return Outcome::Killed;
            }
        } else if (signal == SIGUSR1 && resume == PTRACE_CONT) {
            resume = PTRACE_SYSCALL;  // the mark itself is not delivered
        } else {
            deliver = signal;
        }
    }
}

}  // namespace tessaly_test
