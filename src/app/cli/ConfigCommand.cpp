#include <ostream>

#include "app/cli/Commands.h"

namespace vexora::cli {

int runConfig(const Arguments&, std::ostream&, std::ostream& err)
{
    err << "vexora config: not available yet\n";
    return 1;
}

}  // namespace vexora::cli
