#pragma once
// The core's watch on its manager. The manager names itself to the core it
// starts in the environment (VEXORA_MANAGER_PID=its process id). Once the
// core's parent is another process, the manager has ended (killed, crashed)
// and nobody follows the job any more: the core stops after its current
// step. Under mpirun the manager is the parent's parent. A core started otherwise (by hand, by a conversion) watches nothing.

#include <functional>
#include <string>
#include <string_view>

namespace vexora {

inline constexpr std::string_view kManagerProcessVariable = "VEXORA_MANAGER_PID";

// The environment entry the manager gives the core.
std::string managerProcessEntry();

// True once the manager named in the environment is no longer the parent;
// empty when no manager is named.
std::function<bool()> managerGoneCheck();

}  // namespace vexora
