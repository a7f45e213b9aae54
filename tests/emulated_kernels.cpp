#include "tests/emulated_kernels.h"

#include "encoder/base64_kernels.h"

static bool always_supported()
{
    return true;
}

static const base64_kernel EMULATED_KERNELS[] = {
    {"avx512vbmi_emulated", always_supported, base64_encode_lines_avx512vbmi_emulated},
};

std::vector<const base64_kernel *> kernels_under_test()
{
    std::size_t count = 0;
    const base64_kernel *kernels = base64_kernels(&count);
    std::vector<const base64_kernel *> all;
    for (std::size_t index = 0; index < count; ++index) {
        all.push_back(&kernels[index]);
    }
    for (const base64_kernel &kernel : EMULATED_KERNELS) {
        all.push_back(&kernel);
    }
    return all;
}
