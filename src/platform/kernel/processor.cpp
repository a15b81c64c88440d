#include "platform/kernel/processor.hpp"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#elif defined(__aarch64__)
#include <asm/hwcap.h>
#include <sys/auxv.h>
#endif

namespace platform::kernel {
namespace {

#if defined(__x86_64__) || defined(__i386__)

struct cpuid_registers {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
};

// Zero registers for a leaf the processor does not have.
cpuid_registers cpuid(unsigned leaf, unsigned subleaf = 0) {
    cpuid_registers r;
    if (!__get_cpuid_count(leaf, subleaf, &r.eax, &r.ebx, &r.ecx, &r.edx)) {
        return {};
    }
    return r;
}

bool bit(unsigned value, unsigned index) {
    return (value >> index) & 1U;
}

// The register states the system saves on a context switch (XCR0); 0 when it does not use XSAVE.
unsigned long long saved_register_states() {
    if (!bit(cpuid(1).ecx, 27)) {  // OSXSAVE
        return 0;
    }
    unsigned low = 0, high = 0;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return (static_cast<unsigned long long>(high) << 32) | low;
}

bool avx_state_saved() {
    constexpr unsigned long long sse_and_avx = 0x6;
    return (saved_register_states() & sse_and_avx) == sse_and_avx;
}

bool avx512_state_saved() {
    constexpr unsigned long long sse_avx_and_avx512 = 0xE6;
    return (saved_register_states() & sse_avx_and_avx512) == sse_avx_and_avx512;
}

bool present(std::uint32_t feature) {
    const auto basic = cpuid(1);
    const auto extended = cpuid(7);
    const auto amd = cpuid(0x80000001);
    switch (feature) {
        case pf_compare_exchange_double:
            return bit(basic.edx, 8);
        case pf_mmx_instructions_available:
            return bit(basic.edx, 23);
        case pf_xmmi_instructions_available:
            return bit(basic.edx, 25);
        case pf_3dnow_instructions_available:
            return bit(amd.edx, 31);
        case pf_rdtsc_instruction_available:
            return bit(basic.edx, 4);
        case pf_pae_enabled:
            return bit(basic.edx, 6);
        case pf_xmmi64_instructions_available:
            return bit(basic.edx, 26);
        case pf_nx_enabled:
            return bit(amd.edx, 20);
        case pf_sse3_instructions_available:
            return bit(basic.ecx, 0);
        case pf_compare_exchange128:
            return bit(basic.ecx, 13);
        case pf_xsave_enabled:
            return bit(basic.ecx, 27);
        case pf_rdrand_instruction_available:
            return bit(basic.ecx, 30);
        case pf_rdtscp_instruction_available:
            return bit(amd.edx, 27);
        case pf_ssse3_instructions_available:
            return bit(basic.ecx, 9);
        case pf_sse4_1_instructions_available:
            return bit(basic.ecx, 19);
        case pf_sse4_2_instructions_available:
            return bit(basic.ecx, 20);
        case pf_avx_instructions_available:
            return bit(basic.ecx, 28) && avx_state_saved();
        case pf_avx2_instructions_available:
            return bit(extended.ebx, 5) && avx_state_saved();
        case pf_avx512f_instructions_available:
            return bit(extended.ebx, 16) && avx512_state_saved();
        default:
            return false;
    }
}

#elif defined(__aarch64__)

bool present(std::uint32_t feature) {
    const unsigned long caps = getauxval(AT_HWCAP);
    switch (feature) {
        case pf_arm_neon_instructions_available:
            return (caps & HWCAP_ASIMD) != 0;
        case pf_arm_v8_instructions_available:
            return true;
        case pf_arm_v8_crypto_instructions_available:
            return (caps & (HWCAP_AES | HWCAP_PMULL | HWCAP_SHA1 | HWCAP_SHA2)) ==
                   (HWCAP_AES | HWCAP_PMULL | HWCAP_SHA1 | HWCAP_SHA2);
        case pf_arm_v8_crc32_instructions_available:
            return (caps & HWCAP_CRC32) != 0;
        case pf_arm_v81_atomic_instructions_available:
            return (caps & HWCAP_ATOMICS) != 0;
        default:
            return false;
    }
}

#else

bool present(std::uint32_t) {
    return false;
}

#endif

}  // namespace

bool is_processor_feature_present(std::uint32_t feature) {
    return present(feature);
}

}  // namespace platform::kernel
