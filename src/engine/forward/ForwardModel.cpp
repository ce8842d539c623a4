#include "forward/ForwardModel.h"

namespace vexora {

int runForwardModel(ProjectStore&, MessageLog& log, const ComputeControl&)
{
    return log.error("RUNFORWARDMODEL", "the forward model is not built yet");
}

}  // namespace vexora
