// Raising the calling thread to the priority a sound thread should have,
// as far as the system lets this user.
#pragma once

#include <sys/resource.h>

namespace tp {

// A real-time policy (FIFO, then round-robin) at the highest priority the
// user's RLIMIT_RTPRIO allows (the limit a desktop's audio group or rtkit
// sets for sound programs), and failing that the lowest nice value the
// process may set (RLIMIT_NICE). Refusals are silent: the thread then runs
// at the priority it had.
void RaiseCurrentThreadPriority();

// The real-time priority to ask for under a soft RLIMIT_RTPRIO of
// `limit` when the policy's highest is `policyMaximum`; 0 when the user
// may have none.
int RealtimePriorityWithin(rlim_t limit, int policyMaximum);

// Names the calling thread for debuggers and `top -H` (at most 15 characters).
void NameCurrentThread(const char* name);

}  // namespace tp
