#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

// An Xvfb server of a test's own, of a chosen size, made the display SDL opens its windows
// on. Windows, focus changes and faked input there reach no other test, whatever runs
// alongside on the shared virtual screen.
class PrivateXServer {
  public:
    PrivateXServer() = default;
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;
    ~PrivateXServer() { Stop(); }

    // Starts the server and points DISPLAY at it (SDL on X11). Returns once the server
    // accepts connections, which it tells by writing its display number; false if it
    // could not start.
    bool Start(int width, int height) {
        Stop();
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) return false;
        const std::string fd = std::to_string(fds[1]);
        const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
        const pid_t parent = getpid();
        pid_ = fork();
        if (pid_ == 0) {
            // The server goes when the test does, however the test ends.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (getppid() != parent) _exit(1);
            fcntl(fds[1], F_SETFD, 0);
            const int quiet = open("/dev/null", O_WRONLY);
            dup2(quiet, 1);
            dup2(quiet, 2);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
                   "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        std::string number;
        char c = 0;
        while (pid_ > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        if (pid_ <= 0 || number.empty()) {
            Stop();
            return false;
        }
        name_ = ":" + number;
        Keep("DISPLAY", savedDisplay_);
        Keep("SDL_VIDEODRIVER", savedDriver_);
        setenv("DISPLAY", name_.c_str(), 1);
        setenv("SDL_VIDEODRIVER", "x11", 1);
        return true;
    }

    // Stops the server and gives DISPLAY back. SDL's video must be shut down first.
    void Stop() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
            Restore("DISPLAY", savedDisplay_);
            Restore("SDL_VIDEODRIVER", savedDriver_);
        }
        pid_ = -1;
    }

    const std::string& Name() const { return name_; }

  private:
    static void Keep(const char* name, std::optional<std::string>& saved) {
        const char* value = std::getenv(name);
        saved = value ? std::optional<std::string>(value) : std::nullopt;
    }
    static void Restore(const char* name, const std::optional<std::string>& saved) {
        if (saved)
            setenv(name, saved->c_str(), 1);
        else
            unsetenv(name);
    }

    pid_t pid_ = -1;
    std::string name_;
    std::optional<std::string> savedDisplay_;
    std::optional<std::string> savedDriver_;
};
