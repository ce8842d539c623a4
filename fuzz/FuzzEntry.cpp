// libFuzzer's entry point for one target, chosen when the binary is built
// (VEXORA_FUZZ_TARGET names one function of FuzzTargets.h).

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    vexora::fuzz::VEXORA_FUZZ_TARGET(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
