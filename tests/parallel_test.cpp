// The ordered worker pool of the batch tools: order, the bounded window, failures in the work
// and threads that cannot be started.
#include "trace_tool/parallel.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <set>
#include <stdexcept>

namespace vistrel {
namespace {

/// A starter that starts at most `allowed` threads and refuses the rest.
ThreadStarter startingAtMost(int allowed) {
  auto started = std::make_shared<int>(0);
  return [=](std::vector<std::thread>& threads, std::function<void()> body) {
    return (*started)++ < allowed && startThread(threads, std::move(body));
  };
}

struct PoolRun {
  std::vector<std::size_t> delivered;
  std::set<std::thread::id> workers;
  bool outsideWindow = false;  // an item started before the one a window earlier was handed on
};

/// Runs `count` items on `jobs` threads, the first one slow, each result its own index.
PoolRun runSlowFirst(std::size_t count, int jobs, const ThreadStarter& start = startThread) {
  PoolRun run;
  std::mutex mutex;
  std::atomic<std::size_t> deliveredCount{0};
  const std::size_t window = kWindowPerJob * static_cast<std::size_t>(jobs);
  runInOrder<std::size_t>(
      count, jobs,
      [&](std::size_t i) {
        if (i == 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::lock_guard lock(mutex);
        run.workers.insert(std::this_thread::get_id());
        // The item a window earlier is being handed on, at least: `done` may not have begun.
        if (i > deliveredCount + window) run.outsideWindow = true;
        return i;
      },
      [&](std::size_t i, std::size_t& result) {
        EXPECT_EQ(result, i);
        run.delivered.push_back(i);
        ++deliveredCount;
      },
      start);
  return run;
}

std::vector<std::size_t> upTo(std::size_t count) {
  std::vector<std::size_t> all(count);
  for (std::size_t i = 0; i < count; ++i) all[i] = i;
  return all;
}

TEST(OrderedPool, ASlowFirstItemKeepsTheOrderAndHoldsTheOthersInTheWindow) {
  for (int jobs : {1, 2, 8}) {
    SCOPED_TRACE(jobs);
    const PoolRun run = runSlowFirst(200, jobs);
    EXPECT_EQ(run.delivered, upTo(200));
    EXPECT_FALSE(run.outsideWindow);
  }
}

TEST(OrderedPool, ThreadsThatCannotStartLeaveFewerWorkers) {
  for (int allowed : {0, 1, 2}) {
    SCOPED_TRACE(allowed);
    const PoolRun run = runSlowFirst(50, 8, startingAtMost(allowed));
    EXPECT_EQ(run.delivered, upTo(50));
    // With none started the caller works alone.
    EXPECT_EQ(run.workers.size(), static_cast<std::size_t>(std::max(allowed, 1)));
    if (allowed == 0) {
      EXPECT_EQ(*run.workers.begin(), std::this_thread::get_id());
    }
  }
}

TEST(OrderedPool, AnExceptionAtItemKComesAfterTheResultsBeforeIt) {
  constexpr std::size_t kFailing = 37;
  for (int jobs : {1, 4}) {
    SCOPED_TRACE(jobs);
    std::vector<std::size_t> delivered;
    std::atomic<std::size_t> highestStarted{0};
    try {
      runInOrder<std::size_t>(
          1000, jobs,
          [&](std::size_t i) {
            std::size_t seen = highestStarted;
            while (i > seen && !highestStarted.compare_exchange_weak(seen, i)) {
            }
            if (i == kFailing) throw std::runtime_error("item k");
            return i;
          },
          [&](std::size_t i, std::size_t&) { delivered.push_back(i); });
      ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "item k");
    }
    EXPECT_EQ(delivered, upTo(kFailing));
    // The workers stopped within a window of the failure rather than running on to the end.
    EXPECT_LT(highestStarted, kFailing + kWindowPerJob * static_cast<std::size_t>(jobs) + 1);
  }
}

TEST(OrderedPool, TheDefaultIsTheCoresThisProcessMayRunOn) {
  // In a child, so that the tests' own affinity stays as it was.
  const pid_t pid = ::fork();
  if (pid == 0) {
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(static_cast<int>(::sched_getcpu()), &one);
    ::_exit(::sched_setaffinity(0, sizeof one, &one) != 0 ? 77 : coreCount());
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot narrow the CPU affinity";
  EXPECT_EQ(WEXITSTATUS(status), 1);
  const int cores = coreCount();
  EXPECT_GE(cores, 1);
  EXPECT_LE(cores, kMaxJobs);
}

}  // namespace
}  // namespace vistrel
