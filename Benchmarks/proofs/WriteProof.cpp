// Proof of the 17-digit writer: WriteDouble17 must write exactly
// snprintf("%.17g")'s text (the "C" locale) for every finite double.
//
//   kivJSONWriteProof [random bit patterns in millions, default 100]
//
// Cases: random bit patterns (every exponent alike, both signs); every power
// of two and the doubles nearest every power of ten with their neighbours;
// the subnormals' boundaries, DBL_MIN, DBL_TRUE_MIN and DBL_MAX; the doubles
// nearest to 18-digit decimals ending in 5 (17-digit halfway points) with
// their neighbours; short binary fractions where exact ties occur; and
// canada-like decimals (1 to 17 digits, magnitudes 10^-6 to 10^6).
// Every tenth random case also checks that the shortest text reads back.
#include "ProofSupport.h"

#include <kivJSON/internal/NumberText.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace {

struct Tally : proof::WriterCheck {
    Tally()
        : WriterCheck{"snprintf",
                      [](double value, char* text) { std::snprintf(text, 40, "%.17g", value); },
                      _Private::WriteDouble17Decided, _Private::WriteDouble17} {}

    uint64_t shortestChecked = 0;
    uint64_t shortestWrong = 0;

    void CheckShortest(double value) {
        char text[40];
        *_Private::WriteDoubleShortest(value, text) = '\0';
        ++shortestChecked;
        if (proof::ToBits(std::strtod(text, nullptr)) != proof::ToBits(value) &&
            ++shortestWrong <= 20) {
            std::printf("SHORTEST %a: %s does not read back\n", value, text);
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    const uint64_t millions = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100;
    proof::Random random(20261207);
    Tally tally;
    proof::Stopwatch watch;

    tally.CheckBoundaries();
    tally.Check(DBL_MIN);
    tally.Check(DBL_TRUE_MIN);
    tally.Check(DBL_MAX);
    const uint64_t specialCases = tally.cases;

    // 17-digit halfway points: d.dddddddddddddddd5e<x>, and exact ties.
    for (uint64_t i = 0; i < 5000000; ++i) {
        char text[40];
        const uint64_t digits =
            static_cast<uint64_t>(random.Between(100000000000000000, 999999999999999999));
        std::snprintf(text, sizeof text, "%llu5e%d", static_cast<unsigned long long>(digits / 10),
                      static_cast<int>(random.Between(-340, 290)));
        tally.CheckAround(std::strtod(text, nullptr), 1);
        const double fraction = std::ldexp(static_cast<double>(random.Next() >> 11),
                                           static_cast<int>(random.Between(-60, 12)));
        tally.Check(fraction);
    }
    const uint64_t halfwayCases = tally.cases - specialCases;

    const uint64_t decimals = millions * 200000;
    for (uint64_t i = 0; i < decimals; ++i) {
        tally.Check(proof::CanadaLike(random));
    }
    const uint64_t decimalCases = tally.cases - specialCases - halfwayCases;

    const uint64_t patterns = millions * 1000000;  // each written with both signs
    for (uint64_t i = 0; i < patterns; ++i) {
        const double value = proof::FromBits(random.Next() & ~(uint64_t{1} << 63));
        tally.Check(value);
        if (i % 10 == 0 && std::isfinite(value)) {
            tally.CheckShortest(value);
        }
    }

    std::printf(
        "cases %llu (%llu special, %llu near halfway, %llu canada-like decimals, %llu random"
        " bit patterns with both signs), mismatches %llu, %.1f s\n",
        static_cast<unsigned long long>(tally.cases), static_cast<unsigned long long>(specialCases),
        static_cast<unsigned long long>(halfwayCases),
        static_cast<unsigned long long>(decimalCases), static_cast<unsigned long long>(patterns),
        static_cast<unsigned long long>(tally.mismatches), watch.Seconds());
    std::printf("fell back to std::to_chars: %llu (%.2e of the cases)\n",
                static_cast<unsigned long long>(tally.fallbacks),
                static_cast<double>(tally.fallbacks) / static_cast<double>(tally.cases));
    std::printf("shortest text read back: %llu checked, %llu wrong\n",
                static_cast<unsigned long long>(tally.shortestChecked),
                static_cast<unsigned long long>(tally.shortestWrong));
    return tally.mismatches == 0 && tally.shortestWrong == 0 ? 0 : 1;
}
