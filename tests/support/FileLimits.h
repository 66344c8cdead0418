#pragma once
// Failures of the file system that tests cannot otherwise cause: a full disk (the file size limit
// of the process) and folders that refuse writing even to root (whose override is switched off for
// the calling thread only).

#include <linux/capability.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tvp::test {

// Writes beyond maxBytes fail with EFBIG, as on a full disk, while this exists.
class DiskFullAfter {
public:
    explicit DiskFullAfter(rlim_t maxBytes)
    {
        getrlimit(RLIMIT_FSIZE, &before_);
        previousHandler_ = signal(SIGXFSZ, SIG_IGN);
        rlimit limit = before_;
        limit.rlim_cur = maxBytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~DiskFullAfter()
    {
        setrlimit(RLIMIT_FSIZE, &before_);
        signal(SIGXFSZ, previousHandler_);
    }
    DiskFullAfter(const DiskFullAfter&) = delete;
    DiskFullAfter& operator=(const DiskFullAfter&) = delete;

private:
    rlimit before_{};
    sighandler_t previousHandler_ = SIG_DFL;
};

// File permissions count for this thread even when it runs as root.
class PermissionsApply {
public:
    PermissionsApply()
    {
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        header_.pid = 0;
        if (syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct changed[2] = {saved_[0], saved_[1]};
        for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
            changed[cap / 32].effective &= ~(1u << (cap % 32));
        active_ = syscall(SYS_capset, &header_, changed) == 0;
    }
    ~PermissionsApply()
    {
        if (active_)
            syscall(SYS_capset, &header_, saved_);
    }
    PermissionsApply(const PermissionsApply&) = delete;
    PermissionsApply& operator=(const PermissionsApply&) = delete;

private:
    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool active_ = false;
};

} // namespace tvp::test
