#include "platform/kernel/processor.hpp"

#include <gtest/gtest.h>

namespace kernel = platform::kernel;

#if defined(__x86_64__) || defined(__i386__)

// The compiler's run-time library reads the processor on its own; both must agree.
TEST(Processor, FeaturesMatchTheCompilersOwnDetection) {
    __builtin_cpu_init();
    const struct {
        std::uint32_t feature;
        bool expected;
    } cases[] = {
        {kernel::pf_mmx_instructions_available, __builtin_cpu_supports("mmx") != 0},
        {kernel::pf_xmmi_instructions_available, __builtin_cpu_supports("sse") != 0},
        {kernel::pf_xmmi64_instructions_available, __builtin_cpu_supports("sse2") != 0},
        {kernel::pf_sse3_instructions_available, __builtin_cpu_supports("sse3") != 0},
        {kernel::pf_ssse3_instructions_available, __builtin_cpu_supports("ssse3") != 0},
        {kernel::pf_sse4_1_instructions_available, __builtin_cpu_supports("sse4.1") != 0},
        {kernel::pf_sse4_2_instructions_available, __builtin_cpu_supports("sse4.2") != 0},
        {kernel::pf_avx_instructions_available, __builtin_cpu_supports("avx") != 0},
        {kernel::pf_avx2_instructions_available, __builtin_cpu_supports("avx2") != 0},
        {kernel::pf_avx512f_instructions_available, __builtin_cpu_supports("avx512f") != 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(kernel::is_processor_feature_present(c.feature), c.expected) << "feature " << c.feature;
    }
}

#endif

TEST(Processor, UnknownAndForeignFeaturesAreAbsent) {
#if defined(__x86_64__)
    EXPECT_TRUE(kernel::is_processor_feature_present(kernel::pf_xmmi64_instructions_available));  // x86-64 has SSE2
    EXPECT_FALSE(kernel::is_processor_feature_present(kernel::pf_arm_neon_instructions_available));
#elif defined(__aarch64__)
    EXPECT_FALSE(kernel::is_processor_feature_present(kernel::pf_xmmi64_instructions_available));
    EXPECT_TRUE(kernel::is_processor_feature_present(kernel::pf_arm_v8_instructions_available));
#endif
    for (const std::uint32_t unknown : {0u, 1u, 99u, 0xFFFFFFFFu}) {
        EXPECT_FALSE(kernel::is_processor_feature_present(unknown)) << unknown;
    }
}
