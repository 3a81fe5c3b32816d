// Proof of the shortest writer: WriteDoubleShortest must write exactly
// std::to_chars(value)'s text for every finite double (which makes it read
// back as the same double, in the fewest digits).
//
//   kivJSONShortestProof [random bit patterns in millions, default 100]
//
// Cases, each with both signs: every power of two and the doubles nearest
// every power of ten with their neighbours; the subnormals' boundaries,
// DBL_MIN and DBL_MAX; whole numbers (and halves) around 2^53 and from
// 10^13 to 10^23;
// canada-like decimals (1 to 17 digits, magnitudes 10^-6 to 10^6) read by
// strtod; and random bit patterns (every exponent alike).
#include "ProofSupport.h"

#include <kivJSON/internal/NumberText.h>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace {

struct Tally : proof::WriterCheck {
    Tally()
        : WriterCheck{
              "std::to_chars",
              [](double value, char* text) { *std::to_chars(text, text + 39, value).ptr = '\0'; },
              _Private::WriteDoubleShortestDecided, _Private::WriteDoubleShortest} {}
};

}  // namespace

int main(int argc, char** argv) {
    const uint64_t millions = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100;
    proof::Random random(20261208);
    Tally tally;
    proof::Stopwatch watch;

    tally.CheckBoundaries();
    for (uint64_t k = 0; k <= 100000; ++k) {
        tally.Check(static_cast<double>((uint64_t{1} << 53) - 50000 + 2 * k));
    }
    for (uint64_t i = 0; i < 2000000; ++i) {  // whole numbers and halves from 10^13 to 10^23
        const double fraction = static_cast<double>(random.Next() >> 11) / 0x1p53;
        const double whole = std::round(std::pow(10.0, 13 + 10 * fraction));
        tally.Check(whole);
        tally.Check(whole + 0.5);
    }
    const uint64_t specialCases = tally.cases;

    const uint64_t decimals = millions * 200000;
    for (uint64_t i = 0; i < decimals; ++i) {
        tally.Check(proof::CanadaLike(random));
    }
    const uint64_t decimalCases = tally.cases - specialCases;

    const uint64_t patterns = millions * 1000000;
    for (uint64_t i = 0; i < patterns; ++i) {
        tally.Check(proof::FromBits(random.Next() & ~(uint64_t{1} << 63)));
    }

    std::printf(
        "cases %llu (%llu special, %llu canada-like decimals, the rest random bit patterns;"
        " each with both signs), mismatches %llu, %.1f s\n",
        static_cast<unsigned long long>(tally.cases), static_cast<unsigned long long>(specialCases),
        static_cast<unsigned long long>(decimalCases),
        static_cast<unsigned long long>(tally.mismatches), watch.Seconds());
    std::printf("fell back to std::to_chars: %llu (%.2e of the cases)\n",
                static_cast<unsigned long long>(tally.fallbacks),
                static_cast<double>(tally.fallbacks) / static_cast<double>(tally.cases));
    return tally.mismatches == 0 ? 0 : 1;
}
