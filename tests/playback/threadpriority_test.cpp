// The sound threads' priority: real-time within the user's RLIMIT_RTPRIO,
// never above it.
#include "playback/threadpriority.h"

#include <pthread.h>
#include <sched.h>

#include <thread>

#include <gtest/gtest.h>

namespace tp {
namespace {

TEST(ThreadPriority, TheRealtimePriorityAskedForStaysWithinTheLimit) {
  const struct {
    rlim_t limit;
    int policyMaximum, expected;
  } cases[] = {
      {0, 99, 0}, {1, 99, 1}, {20, 99, 20}, {95, 99, 95}, {99, 99, 99}, {150, 99, 99}, {RLIM_INFINITY, 99, 99},
      {20, 0, 0}, {20, -1, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(RealtimePriorityWithin(c.limit, c.policyMaximum), c.expected) << c.limit << " " << c.policyMaximum;
}

// A thread raised under a soft limit of 5 runs real-time at 5 at most (where
// the system grants real-time at all), whatever the policy's highest.
TEST(ThreadPriority, ARaisedThreadRunsWithinTheUsersLimit) {
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_RTPRIO, &saved), 0);
  rlimit lowered = saved;
  lowered.rlim_cur = saved.rlim_max == RLIM_INFINITY || saved.rlim_max >= 5 ? 5 : saved.rlim_max;
  ASSERT_EQ(setrlimit(RLIMIT_RTPRIO, &lowered), 0);
  int policy = -1;
  sched_param param{};
  std::thread([&] {
    RaiseCurrentThreadPriority();
    pthread_getschedparam(pthread_self(), &policy, &param);
  }).join();
  setrlimit(RLIMIT_RTPRIO, &saved);
  if (policy == SCHED_FIFO || policy == SCHED_RR) {
    EXPECT_GE(param.sched_priority, 1);
    EXPECT_LE(param.sched_priority, int(lowered.rlim_cur));
  } else {
    // Refused (no limit, or a control group without real-time time): the
    // thread stays an ordinary one, niced where it may be.
    EXPECT_EQ(policy, SCHED_OTHER);
  }
}

}  // namespace
}  // namespace tp
