#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

// Root may read and write every file whatever its permission bits say. While this lives
// the test process lacks those powers, so the bits count as they do for a player; a
// player's own test process has nothing to give up.
class PlayerPermissions {
  public:
    PlayerPermissions() {
        if (syscall(SYS_capget, &header_, saved_) != 0) return;
        __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        dropped_ = syscall(SYS_capset, &header_, lowered) == 0;
    }
    ~PlayerPermissions() {
        if (dropped_) syscall(SYS_capset, &header_, saved_);
    }
    PlayerPermissions(const PlayerPermissions&) = delete;
    PlayerPermissions& operator=(const PlayerPermissions&) = delete;

  private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool dropped_ = false;
};
