// The watcher of SIGINT and SIGTERM: the signals are blocked in every thread and taken by one
// thread with sigwait, which may then lock and remove files as no signal handler could.
#include "trace_tool/interruption.h"

#include <pthread.h>
#include <unistd.h>

#include <new>
#include <system_error>

namespace vistrel {

Interruption::Interruption(BatchWrites& writes) : writes_(writes) {
  sigemptyset(&signals_);
  sigaddset(&signals_, SIGINT);
  sigaddset(&signals_, SIGTERM);
  if (::pthread_sigmask(SIG_BLOCK, &signals_, &previousMask_) != 0) return;
  try {
    watcher_ = std::thread([this] { watch(); });
  } catch (const std::system_error&) {
    ::pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
  } catch (const std::bad_alloc&) {
    ::pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
  }
}

Interruption::~Interruption() {
  if (!watcher_.joinable()) return;
  // A signal sent to the watcher alone wakes it; it sees that the batch is over.
  finished_ = true;
  ::pthread_kill(watcher_.native_handle(), SIGTERM);
  watcher_.join();
  ::pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}

void Interruption::watch() {
  int signal = 0;
  while (::sigwait(&signals_, &signal) != 0) {
  }
  if (finished_) return;
  writes_.abandon();
  ::_exit(128 + signal);
}

}  // namespace vistrel
