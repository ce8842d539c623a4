#pragma once
// AddressSanitizer reserves terabytes of address space up front: tests that
// cap the address space (RLIMIT_AS) cannot run under it.

namespace vexora::testing {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kAddressSanitizer = true;
#else
inline constexpr bool kAddressSanitizer = false;
#endif
#else
inline constexpr bool kAddressSanitizer = false;
#endif

}  // namespace vexora::testing

// Skips the calling test under AddressSanitizer.
#define VEXORA_SKIP_UNDER_ADDRESS_SANITIZER()                                                      \
    if (vexora::testing::kAddressSanitizer) GTEST_SKIP() << "address-space limits do not apply under AddressSanitizer"
