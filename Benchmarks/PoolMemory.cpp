// What the process keeps: several threads parse one large generated document
// over and over, and each tree is destroyed by another thread than the one
// that built it. Prints the peak resident size, the resident size once every
// tree is gone (the threads still alive) and after the threads have exited.
// Built twice, against copies of the library without and with the value pool
// (kivJSONPoolMemory0 / kivJSONPoolMemory1), so the two lines compare directly.
//
//   kivJSONPoolMemory1 [megabytes=110] [threads=4] [rounds=50]
#include <kivJSON/JSONValue.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// Kibibytes of a field of /proc/self/status (VmRSS, VmHWM).
long StatusKiB(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.compare(0, field.size() + 1, field + ":") == 0) {
            return std::atol(line.c_str() + field.size() + 1);
        }
    }
    return -1;
}

// Objects of numbers, short strings, booleans and a small array, as API
// responses and logs look.
std::string MakeDocument(size_t bytes) {
    std::string text = "[";
    for (long i = 0; text.size() < bytes; ++i) {
        text += (i != 0 ? ",{\"id\":" : "{\"id\":") + std::to_string(i) + ",\"name\":\"item " +
                std::to_string(i % 977) + "\",\"price\":" + std::to_string(i % 1000) +
                ".25,\"tags\":[\"a\",\"b\"," + std::to_string(i % 7) +
                "],\"active\":" + (i % 2 != 0 ? "true" : "false") + ",\"note\":null}";
    }
    return text + "]";
}

// All threads (and main) wait until each has arrived.
class Barrier {
public:
    explicit Barrier(int parties) : m_parties(parties) {}
    void Wait() {
        std::unique_lock<std::mutex> lock(m_mutex);
        const long generation = m_generation;
        if (++m_arrived == m_parties) {
            m_arrived = 0;
            ++m_generation;
            m_changed.notify_all();
            return;
        }
        m_changed.wait(lock, [&] { return generation != m_generation; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    const int m_parties;
    int m_arrived = 0;
    long m_generation = 0;
};

}  // namespace

int main(int argc, char** argv) {
    const size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 110;
    const int threads = argc > 2 ? std::atoi(argv[2]) : 4;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 50;
    const std::string text = MakeDocument(megabytes << 20);
    const long baseline = StatusKiB("VmRSS");
    std::vector<JsonValue> trees(threads);
    Barrier barrier(threads + 1);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            for (int round = 0; round < rounds; ++round) {
                trees[t] = JsonValue::Parse(text);
                barrier.Wait();
                trees[(t + 1) % threads] = JsonValue();  // built by the neighbour
                barrier.Wait();
            }
            barrier.Wait();  // main measures with every tree gone
            barrier.Wait();
        });
    }
    for (int round = 0; round < rounds; ++round) {
        barrier.Wait();
        barrier.Wait();
    }
    barrier.Wait();
    const long treesGone = StatusKiB("VmRSS");
    barrier.Wait();
    for (std::thread& worker : workers) {
        worker.join();
    }
    std::printf("pool %s: document %zu MB, %d threads x %d rounds: peak %ld MiB, "
                "trees gone %ld MiB, threads gone %ld MiB (document text %ld MiB)\n",
                KIVJSON_POOL_ALLOCATOR ? "on " : "off", megabytes, threads, rounds,
                StatusKiB("VmHWM") >> 10, treesGone >> 10, StatusKiB("VmRSS") >> 10,
                baseline >> 10);
    return 0;
}
