#include "playback/threadpriority.h"

#include <initializer_list>

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tp {

int RealtimePriorityWithin(rlim_t limit, int policyMaximum) {
  if (policyMaximum <= 0) return 0;
  if (limit == RLIM_INFINITY || limit >= rlim_t(policyMaximum)) return policyMaximum;
  return int(limit);
}

void RaiseCurrentThreadPriority() {
  // Asking beyond the limit would only be refused, or, for a process that
  // may ignore it, put a sound thread above the kernel's own.
  rlimit realtime{};
  const rlim_t realtimeLimit = getrlimit(RLIMIT_RTPRIO, &realtime) == 0 ? realtime.rlim_cur : 0;
  for (int policy : {SCHED_FIFO, SCHED_RR}) {
    sched_param param{};
    param.sched_priority = RealtimePriorityWithin(realtimeLimit, sched_get_priority_max(policy));
    if (param.sched_priority > 0 && pthread_setschedparam(pthread_self(), policy, &param) == 0) return;
  }
  // On Linux a nice value belongs to the thread when given its thread id.
  // RLIMIT_NICE says how far an unprivileged process may go: nice = 20 - limit.
  const auto threadId = static_cast<id_t>(::syscall(SYS_gettid));
  rlimit limit{};
  int lowestNice = 0;
  if (getrlimit(RLIMIT_NICE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur > 0)
    lowestNice = 20 - int(limit.rlim_cur > 40 ? 40 : limit.rlim_cur);
  if (setpriority(PRIO_PROCESS, threadId, -20) == 0) return;
  if (lowestNice < 0) setpriority(PRIO_PROCESS, threadId, lowestNice);
}

void NameCurrentThread(const char* name) { pthread_setname_np(pthread_self(), name); }

}  // namespace tp
