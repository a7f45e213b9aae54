// One hot 12288-byte block, the tool's chunk, encoded again and again: one
// row per kernel this CPU can run, with "plain", the one-lookup-per-character
// encoder, as the baseline. Figures are bytes of input per second, binary
// (bytes_per_second, G = 2^30) and in decimal gigabytes, the unit of the
// targets (GB/s).
#include "encoder/base64.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

constexpr int32_t BLOCK_SIZE = 12288;

static void encode_block(benchmark::State &state, const base64_kernel *kernel)
{
    std::mt19937 generator(1);
    std::vector<unsigned char> block(BLOCK_SIZE);
    for (unsigned char &byte : block) {
        byte = static_cast<unsigned char>(generator());
    }
    std::vector<char> text(base64_text_length(BLOCK_SIZE) + 1);
    base64_select_kernel(kernel);
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        benchmark::DoNotOptimize(base64_encode_block(block.data(), BLOCK_SIZE, text.data()));
        benchmark::ClobberMemory();
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    state.SetBytesProcessed(state.iterations() * BLOCK_SIZE);
    // Computed here rather than as a rate counter, which would print "/s" after the unit.
    state.counters["GB/s"] =
        static_cast<double>(state.iterations()) * BLOCK_SIZE / 1e9 / elapsed.count();
}

int main(int argc, char **argv)
{
    std::size_t count = 0;
    const base64_kernel *kernels = base64_kernels(&count);
    std::printf("selected at start-up: %s\n", base64_selected_kernel()->name);
    for (std::size_t index = 0; index < count; ++index) {
        if (kernels[index].supported()) {
            benchmark::RegisterBenchmark((std::string("encode_12288/") + kernels[index].name).c_str(),
                                         encode_block, &kernels[index]);
        } else {
            std::printf("%s: not supported by this CPU\n", kernels[index].name);
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
