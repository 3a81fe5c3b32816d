// Shared pieces of the comparative suite: the benchmark documents and the
// allocation counters fed by the replaced global operator new/delete.
#pragma once

#include <benchmark/benchmark.h>

#include <cstddef>
#include <string>

namespace kivbench {

// Running totals kept by the replaced global allocation functions (defined in
// BenchSupport.cpp). Single-threaded use only: the suite never runs threads.
struct HeapCounters {
    size_t allocations = 0;  // calls to any operator new
    size_t bytes = 0;        // usable bytes of the blocks they returned
    size_t liveBytes = 0;    // usable bytes of the blocks not yet freed
};
HeapCounters& Heap();

// The text of a benchmark document (canada, citm_catalog, twitter), read once;
// nullptr when the data directory does not have it.
const std::string* LoadDocument(const std::string& name);

// Counts the allocations of a timed loop and reports them per iteration.
class AllocationMeter {
public:
    AllocationMeter() : m_start(Heap()) {}
    void Report(benchmark::State& state) const {
        const HeapCounters& now = Heap();
        const double iterations =
            state.iterations() ? static_cast<double>(state.iterations()) : 1.0;
        state.counters["allocs_per_op"] =
            static_cast<double>(now.allocations - m_start.allocations) / iterations;
        state.counters["bytes_per_op"] =
            static_cast<double>(now.bytes - m_start.bytes) / iterations;
    }

private:
    HeapCounters m_start;
};

// Heap bytes held by whatever `make` returns, while it is alive.
template <class Make>
double HeapHeldBy(Make&& make) {
    const size_t before = Heap().liveBytes;
    auto held = make();
    const size_t after = Heap().liveBytes;
    benchmark::DoNotOptimize(&held);
    return static_cast<double>(after - before);
}

}  // namespace kivbench
