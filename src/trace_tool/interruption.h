// Ctrl+C and SIGTERM during a batch: the files being written are removed before the process
// ends, so an interrupted run leaves no temporary file and no half-written output behind.
#pragma once

#include <signal.h>

#include <atomic>
#include <thread>

#include "platform/files.h"

namespace vistrel {

/// While one lives, SIGINT and SIGTERM no longer end the process at once: a thread of its own
/// waits for them, abandons `writes` (see BatchWrites::abandon) and then exits with 128 plus the
/// signal's number, as a shell reports a process the signal ended. Made before any worker thread
/// starts, since threads take the signal mask of the thread that starts them. Where that thread
/// cannot be started the signals act as before.
class Interruption {
 public:
  explicit Interruption(BatchWrites& writes);
  ~Interruption();
  Interruption(const Interruption&) = delete;
  Interruption& operator=(const Interruption&) = delete;

 private:
  void watch();

  BatchWrites& writes_;
  sigset_t signals_{};
  sigset_t previousMask_{};
  std::atomic<bool> finished_{false};
  std::thread watcher_;
};

}  // namespace vistrel
