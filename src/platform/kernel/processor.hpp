// What the processor can do, asked of the processor itself. Stands in for IsProcessorFeaturePresent.
#pragma once

#include <cstdint>

namespace platform::kernel {

// The feature numbers answered; any other number is answered false.
enum processor_feature : std::uint32_t {
    pf_compare_exchange_double = 2,  // CMPXCHG8B
    pf_mmx_instructions_available = 3,
    pf_xmmi_instructions_available = 6,  // SSE
    pf_3dnow_instructions_available = 7,
    pf_rdtsc_instruction_available = 8,
    pf_pae_enabled = 9,
    pf_xmmi64_instructions_available = 10,  // SSE2
    pf_nx_enabled = 12,
    pf_sse3_instructions_available = 13,
    pf_compare_exchange128 = 14,  // CMPXCHG16B
    pf_xsave_enabled = 17,        // XSAVE, enabled by the system
    pf_arm_neon_instructions_available = 19,
    pf_rdrand_instruction_available = 28,
    pf_arm_v8_instructions_available = 29,
    pf_arm_v8_crypto_instructions_available = 30,
    pf_arm_v8_crc32_instructions_available = 31,
    pf_rdtscp_instruction_available = 32,
    pf_arm_v81_atomic_instructions_available = 34,
    pf_ssse3_instructions_available = 36,
    pf_sse4_1_instructions_available = 37,
    pf_sse4_2_instructions_available = 38,
    pf_avx_instructions_available = 39,   // AVX and the following: only when the system saves the
    pf_avx2_instructions_available = 40,  // registers they use
    pf_avx512f_instructions_available = 41,
};

// Whether this machine's processor has the feature. On x86 the features of the other architecture
// are absent, and the other way round.
bool is_processor_feature_present(std::uint32_t feature);

}  // namespace platform::kernel
