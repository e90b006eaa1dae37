// Work on many files at once, with what comes out kept in the order of the files.
#pragma once

#include <sched.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace vistrel {

/// The most jobs a batch may ask for: more threads than this only wait on the disk, and each
/// takes its stack's address space.
inline constexpr int kMaxJobs = 256;

/// The cores this process may run on (its CPU affinity, which taskset and batch schedulers
/// narrow), at least 1 and at most kMaxJobs: the default number of jobs.
inline int coreCount() {
  int count = 0;
  // A mask too small for the machine's CPUs fails with EINVAL: try a larger one.
  for (int cpus = 1024; count == 0 && cpus <= (1 << 20); cpus *= 2) {
    cpu_set_t* set = CPU_ALLOC(cpus);
    if (set == nullptr) break;
    const std::size_t size = CPU_ALLOC_SIZE(cpus);
    if (::sched_getaffinity(0, size, set) == 0) {
      count = CPU_COUNT_S(size, set);
    } else if (errno != EINVAL) {
      CPU_FREE(set);
      break;
    }
    CPU_FREE(set);
  }
  if (count == 0) count = static_cast<int>(std::thread::hardware_concurrency());
  return std::clamp(count, 1, kMaxJobs);
}

/// `work()`, or `whenOutOfMemory()` when it runs out of memory: one file too large for memory
/// need not stop a batch.
template <typename Work, typename Fallback>
auto orWhenOutOfMemory(Work&& work, Fallback&& whenOutOfMemory) -> decltype(work()) {
  try {
    return work();
  } catch (const std::bad_alloc&) {
    return whenOutOfMemory();
  }
}

/// Starts a thread running `body` and adds it to `threads`; false when the system will not
/// start one (too many threads, or no memory for its stack).
using ThreadStarter =
    std::function<bool(std::vector<std::thread>& threads, std::function<void()> body)>;

inline bool startThread(std::vector<std::thread>& threads, std::function<void()> body) {
  try {
    threads.emplace_back(std::move(body));
    return true;
  } catch (const std::system_error&) {
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

/// How many results may wait for their turn per job: enough that one slow file does not idle
/// the others, few enough that memory does not grow with the number of files.
inline constexpr std::size_t kWindowPerJob = 4;

/// Runs `work(i)` for every i below `count` on up to `jobs` threads and passes each result to
/// `done(i, result)` on the calling thread, in the order of i, as soon as it and all before it
/// are ready; so the output is the same for any number of jobs. No item is started before the
/// one `kWindowPerJob * jobs` places earlier has been passed on. A thread that cannot be started
/// leaves fewer workers (none: the calling thread does the work). An exception from `work` is
/// thrown again from here when its turn comes, after the results before it are passed on.
template <typename Result>
void runInOrder(std::size_t count, int jobs, const std::function<Result(std::size_t)>& work,
                const std::function<void(std::size_t, Result&)>& done,
                const ThreadStarter& start = startThread) {
  auto oneByOne = [&](std::size_t from) {
    for (std::size_t i = from; i < count; ++i) {
      Result r = work(i);
      done(i, r);
    }
  };
  if (jobs <= 1 || count <= 1) return oneByOne(0);

  struct Slot {
    std::optional<Result> result;
    std::exception_ptr error;
    bool ready = false;
  };
  const std::size_t window = kWindowPerJob * static_cast<std::size_t>(jobs);
  std::vector<Slot> slots(std::min(window, count));  // item i waits in slot i % window
  std::mutex mutex;
  std::condition_variable readyChanged;  // a result is ready: the caller may go on
  std::condition_variable roomChanged;   // a result was taken: a worker may start another
  std::size_t next = 0;                  // the first item no worker has taken
  std::size_t taken = 0;                 // the first item the caller has not taken
  bool stopping = false;
  auto worker = [&] {
    for (;;) {
      std::size_t i;
      {
        std::unique_lock lock(mutex);
        roomChanged.wait(lock, [&] { return stopping || next == count || next < taken + window; });
        if (stopping || next == count) return;
        i = next++;
      }
      Slot filled;
      try {
        filled.result.emplace(work(i));
      } catch (...) {
        filled.error = std::current_exception();
      }
      std::lock_guard lock(mutex);
      Slot& slot = slots[i % slots.size()];
      slot.result = std::move(filled.result);
      slot.error = filled.error;
      slot.ready = true;
      readyChanged.notify_all();
    }
  };

  std::vector<std::thread> threads;
  const std::size_t wanted = std::min<std::size_t>(static_cast<std::size_t>(jobs), count);
  while (threads.size() < wanted && start(threads, worker)) {
  }
  if (threads.empty()) return oneByOne(0);

  std::exception_ptr failure;
  try {
    for (std::size_t i = 0; i < count; ++i) {
      std::unique_lock lock(mutex);
      Slot& slot = slots[i % slots.size()];
      readyChanged.wait(lock, [&] { return slot.ready; });
      if (slot.error) {
        failure = slot.error;
        break;
      }
      std::optional<Result> result = std::move(slot.result);
      slot.result.reset();
      slot.ready = false;
      taken = i + 1;
      roomChanged.notify_all();
      lock.unlock();
      done(i, *result);
    }
  } catch (...) {
    failure = std::current_exception();
  }
  {
    // The threads finish the file they are on and take no more.
    std::lock_guard lock(mutex);
    stopping = true;
    roomChanged.notify_all();
  }
  for (std::thread& t : threads) t.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace vistrel
