// Work on many files at once, with what comes out kept in the order of the files.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace vistrel {

/// The number of cores, at least 1: the default number of jobs.
inline int coreCount() {
  const unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 1 : static_cast<int>(n);
}

/// Runs `work(i)` for every i below `count` on up to `jobs` threads and passes each result to
/// `done(i, result)` on the calling thread, in the order of i, as soon as it and all before it
/// are ready; so the output is the same for any number of jobs. An exception from `work` is
/// thrown again from here when its turn comes.
template <typename Result>
void runInOrder(std::size_t count, int jobs, const std::function<Result(std::size_t)>& work,
                const std::function<void(std::size_t, Result&)>& done) {
  if (jobs <= 1 || count <= 1) {
    for (std::size_t i = 0; i < count; ++i) {
      Result r = work(i);
      done(i, r);
    }
    return;
  }
  struct Slot {
    std::optional<Result> result;
    std::exception_ptr error;
    bool ready = false;
  };
  std::vector<Slot> slots(count);
  std::mutex mutex;
  std::condition_variable readyChanged;
  std::size_t next = 0;
  bool stopping = false;
  auto worker = [&] {
    for (;;) {
      std::size_t i;
      {
        std::lock_guard lock(mutex);
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
      slots[i].result = std::move(filled.result);
      slots[i].error = filled.error;
      slots[i].ready = true;
      readyChanged.notify_all();
    }
  };
  std::vector<std::thread> threads;
  const std::size_t threadCount = std::min<std::size_t>(static_cast<std::size_t>(jobs), count);
  for (std::size_t t = 0; t < threadCount; ++t) threads.emplace_back(worker);
  std::exception_ptr failure;
  try {
    for (std::size_t i = 0; i < count; ++i) {
      std::unique_lock lock(mutex);
      readyChanged.wait(lock, [&] { return slots[i].ready; });
      if (slots[i].error) {
        failure = slots[i].error;
        break;
      }
      std::optional<Result> result = std::move(slots[i].result);
      slots[i].result.reset();
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
  }
  for (std::thread& t : threads) t.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace vistrel
