#pragma once

namespace bivora {

// The calling thread yields to everything else: SCHED_IDLE, else the lowest nice value.
// For long background work (a watcher, a search) that must not compete with the window.
void LowerThreadToIdlePriority();

} // namespace bivora
