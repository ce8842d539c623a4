#pragma once
// Forward declaration of the binary record, for headers that only pass
// record arrays along.

namespace vexora {
struct SyscalRecord;
}
