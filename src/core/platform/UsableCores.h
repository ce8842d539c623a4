#pragma once
// How many processors this process may run on: its CPU affinity mask (which
// a container or `taskset` narrows), else what the machine reports.

namespace vexora {

// At least 1.
int usableCores();

}  // namespace vexora
