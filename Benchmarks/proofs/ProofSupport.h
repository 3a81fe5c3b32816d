// Shared pieces of the number proofs: a fast seeded generator and a timer.
#pragma once

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace proof {

// xoshiro256** seeded by splitmix64: fast, and the same cases on every run.
class Random {
public:
    explicit Random(uint64_t seed) {
        for (uint64_t& word : m_state) {
            seed += 0x9E3779B97F4A7C15;
            uint64_t z = seed;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EB;
            word = z ^ (z >> 31);
        }
    }
    uint64_t Next() {
        const uint64_t result = Rotate(m_state[1] * 5, 7) * 9;
        const uint64_t t = m_state[1] << 17;
        m_state[2] ^= m_state[0];
        m_state[3] ^= m_state[1];
        m_state[1] ^= m_state[2];
        m_state[0] ^= m_state[3];
        m_state[2] ^= t;
        m_state[3] = Rotate(m_state[3], 45);
        return result;
    }
    // Uniform in [low, high].
    int64_t Between(int64_t low, int64_t high) {
        return low + static_cast<int64_t>(Next() % static_cast<uint64_t>(high - low + 1));
    }

private:
    static uint64_t Rotate(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    uint64_t m_state[4];
};

inline double FromBits(uint64_t bits) {
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

inline uint64_t ToBits(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// A decimal like canada.json's coordinates: 1 to 17 significant digits, the
// first digit's power of ten from -6 to 6, read by strtod.
inline double CanadaLike(Random& random) {
    const int count = static_cast<int>(random.Between(1, 17));
    uint64_t digits = static_cast<uint64_t>(random.Between(1, 9));
    for (int i = 1; i < count; ++i) {
        digits = digits * 10 + random.Next() % 10;
    }
    char text[48];
    std::snprintf(text, sizeof text, "%llue%d", static_cast<unsigned long long>(digits),
                  static_cast<int>(random.Between(-6, 6)) - (count - 1));
    return std::strtod(text, nullptr);
}

class Stopwatch {
public:
    double Seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    }

private:
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

// Compares a writer with its reference text on finite values and their
// negations, counting the cases, the values its fast path leaves to the
// fallback, and the mismatches (the first 20 printed).
struct WriterCheck {
    const char* referenceName;
    void (*reference)(double value, char* text);  // writes a terminated text
    char* (*decided)(double value, char* text);   // the fast path, null when it falls back
    char* (*write)(double value, char* text);     // the writer, returns the end
    uint64_t cases = 0;
    uint64_t fallbacks = 0;
    uint64_t mismatches = 0;

    void Check(double value) {
        if (!std::isfinite(value)) {
            return;
        }
        for (double signed_ : {value, -value}) {
            char expected[40];
            char got[40];
            char probe[40];
            reference(signed_, expected);
            fallbacks += decided(signed_, probe) == nullptr ? 1 : 0;
            *write(signed_, got) = '\0';
            ++cases;
            if (std::strcmp(expected, got) != 0 && ++mismatches <= 20) {
                std::printf("MISMATCH %a: got %s, %s %s\n", signed_, got, referenceName, expected);
            }
        }
    }

    // Every power of two and the doubles nearest every power of ten, with
    // their neighbours; the subnormals' boundaries, DBL_MIN and DBL_MAX.
    void CheckBoundaries() {
        for (int exponent = -1074; exponent <= 1023; ++exponent) {
            CheckAround(std::ldexp(1.0, exponent), 2);
        }
        for (int exponent = -324; exponent <= 308; ++exponent) {
            char text[16];
            std::snprintf(text, sizeof text, "1e%d", exponent);
            CheckAround(std::strtod(text, nullptr), 3);
        }
        for (uint64_t k = 0; k <= 100000; ++k) {
            Check(FromBits(k));                                   // smallest subnormals
            Check(FromBits((uint64_t{1} << 52) - 1 - k));         // largest subnormals
            Check(FromBits((uint64_t{1} << 52) + k));             // DBL_MIN upwards
            Check(FromBits((uint64_t{0x7FEFFFFFFFFFFFFF}) - k));  // DBL_MAX downwards
        }
    }

    // `value` and the `steps` doubles on each side of it.
    void CheckAround(double value, int steps) {
        Check(value);
        double down = value;
        double up = value;
        for (int i = 0; i < steps; ++i) {
            down = std::nextafter(down, 0.0);
            up = std::nextafter(up, INFINITY);
            Check(down);
            Check(up);
        }
    }
};

}  // namespace proof
