// Core scripts parsed.

#include "FuzzTargets.h"
#include "engine/script/ScriptParser.h"

namespace vexora::fuzz {

void coreScript(std::string_view bytes)
{
    (void)parseCoreScript(bytes);
}

}  // namespace vexora::fuzz
