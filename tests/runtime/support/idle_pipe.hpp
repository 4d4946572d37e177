#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

// A named pipe with nobody at its other end, put where the game expects a file. Code that
// opens it the plain way waits for a partner for ever; the watchdog here then opens both
// ends now and again, which lets such code go, so the test fails instead of hanging. The
// while is generous: it only matters for code that is wrong.
class IdlePipe {
  public:
    explicit IdlePipe(std::string path) : path_(std::move(path)) {
        made_ = ::mkfifo(path_.c_str(), 0600) == 0;
    }
    bool made() const { return made_; }

    // Runs body; true when it returned without the watchdog having to let it go.
    template <typename Body>
    bool ReturnsAtOnce(Body body) {
        std::mutex mutex;
        std::condition_variable finished;
        bool done = false;
        bool letGo = false;
        std::thread watchdog([&] {
            std::unique_lock<std::mutex> lock(mutex);
            while (!finished.wait_for(lock, std::chrono::seconds(20), [&] { return done; })) {
                letGo = true;
                const int reader = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
                const int writer = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (writer >= 0) ::close(writer);
                if (reader >= 0) ::close(reader);
            }
        });
        body();
        {
            std::lock_guard<std::mutex> lock(mutex);
            done = true;
        }
        finished.notify_all();
        watchdog.join();
        return !letGo;
    }

  private:
    std::string path_;
    bool made_ = false;
};
