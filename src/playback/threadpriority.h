// Raising the calling thread to the highest priority the system grants.
#pragma once

namespace tp {

// Tries a real-time policy (FIFO, then round-robin) at its highest priority,
// and failing that the lowest nice value the process may set. Refusals are
// silent: the thread then runs at the priority it had.
void RaiseCurrentThreadPriority();

// Names the calling thread for debuggers and `top -H` (at most 15 characters).
void NameCurrentThread(const char* name);

}  // namespace tp
