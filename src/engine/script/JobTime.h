#pragma once
// The time a job has taken and an estimate of what is left, as the manager
// shows them under the progress bar. The core's progress moves at an even
// pace (its stages are weighed by their own timing), so the time left is
// the elapsed time scaled by the share still to do; below a few percent
// the scale is too uncertain to say.

#include <string>

namespace vexora {

// "Elapsed 1:05, about 3:20 left"; "Elapsed 0:02, estimating the time
// left..." below 3 %; "Elapsed 5:27" at 100. Times as M:SS, H:MM:SS from
// an hour on.
std::string jobTimeText(double elapsedSeconds, int percent);

}  // namespace vexora
