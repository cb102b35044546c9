#pragma once
// A child process that keeps the other core busy while a benchmark measures "other core busy".

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>

// Spins from construction until it is destroyed or this process ends. Made before any thread
// starts, since it forks.
class Spinner {
 public:
  Spinner() {
    pid_ = fork();
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      volatile std::uint64_t count = 0;
      for (;;) count = count + 1;
    }
  }
  ~Spinner() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  Spinner(const Spinner&) = delete;
  Spinner& operator=(const Spinner&) = delete;

 private:
  pid_t pid_;
};
