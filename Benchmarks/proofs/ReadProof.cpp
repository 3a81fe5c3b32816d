// Proof of the literal conversion: for random decimal texts, the double the
// parser gets (DecimalToDouble on the literal's digits and exponent, with
// std::from_chars and then strtod on the text when it is undecided, as the
// parser does) must equal strtod's bit for bit. Runs in the "C" locale.
//
//   kivJSONReadProof [cases in millions, default 100]
//
// Cases: 1..19 significant digits with the value's decimal exponent across
// [-345, 310] (zero, underflow, subnormals, overflow included) written with
// and without a point and an exponent; 20..40 digits (the parser's general
// path); and texts built from the exact midpoint between two adjacent
// doubles: the midpoint itself, and it cut to 1..19 digits and one unit above.
#include "ProofSupport.h"

#include <kivJSON/internal/NumberText.h>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>

namespace {

// The parser's conversion of a validated literal whose significant digits are
// `digits` (as text, no leading zeros) times 10^exponent10.
double ParserConversion(const std::string& text, const std::string& digits, int64_t exponent10,
                        bool negative, uint64_t& decided) {
    if (digits.size() <= 19) {
        double value = 0;
        if (_Private::DecimalToDouble(std::strtoull(digits.c_str(), nullptr, 10), exponent10,
                                      negative, value)) {
            ++decided;
            return value;
        }
    }
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc::result_out_of_range ? std::strtod(text.c_str(), nullptr) : value;
}

// A literal for digits * 10^exponent10: the point at a random place (or
// none), and an exponent part unless the point placement makes it zero.
std::string Literal(const std::string& digits, int64_t exponent10, bool negative,
                    proof::Random& random) {
    const int64_t count = static_cast<int64_t>(digits.size());
    const int64_t point = random.Between(0, count);  // digits before the point
    std::string text = negative ? "-" : "";
    text += point == 0 ? "0" : digits.substr(0, static_cast<size_t>(point));
    if (point < count) {
        text += "." + digits.substr(static_cast<size_t>(point));
    }
    const int64_t written = exponent10 + (count - point);
    if (written != 0 || (random.Next() & 1) != 0) {
        text += (random.Next() & 1) ? "e" : "E";
        text += std::to_string(written);
    }
    return text;
}

std::string RandomDigits(int count, proof::Random& random) {
    std::string digits(static_cast<size_t>(count), '0');
    for (char& digit : digits) {
        digit = static_cast<char>('0' + random.Next() % 10);
    }
    digits[0] = static_cast<char>('1' + random.Next() % 9);
    return digits;
}

struct Tally {
    uint64_t cases = 0;
    uint64_t shortCases = 0;  // at most 19 digits: DecimalToDouble is asked
    uint64_t decided = 0;
    uint64_t shortNormal = 0;  // ... whose result is a normal double
    uint64_t decidedNormal = 0;
    uint64_t mismatches = 0;

    void Check(const std::string& digits, int64_t exponent10, bool negative,
               proof::Random& random) {
        const std::string text = Literal(digits, exponent10, negative, random);
        const double expected = std::strtod(text.c_str(), nullptr);
        const uint64_t before = decided;
        const double got = ParserConversion(text, digits, exponent10, negative, decided);
        ++cases;
        shortCases += digits.size() <= 19 ? 1 : 0;
        if (digits.size() <= 19 && std::isnormal(expected)) {
            ++shortNormal;
            decidedNormal += decided - before;
        }
        if (proof::ToBits(expected) != proof::ToBits(got)) {
            if (++mismatches <= 20) {
                std::printf("MISMATCH %s: got %a, strtod %a\n", text.c_str(), got, expected);
            }
        }
    }
};

// The exact midpoint above a random positive double (a long double holds it:
// 64 bits of precision), as its significant digits and exponent.
void Midpoint(proof::Random& random, std::string& digits, int64_t& exponent10) {
    double value;
    do {
        // Half over every exponent, half where midpoints have few digits.
        const uint64_t biased = (random.Next() & 1)
                                    ? random.Next() % 2047
                                    : static_cast<uint64_t>(random.Between(1068, 1090));
        value = proof::FromBits(biased << 52 | (random.Next() >> 12));
    } while (!(value < DBL_MAX));
    const long double middle =
        (static_cast<long double>(value) + std::nextafter(value, INFINITY)) / 2;
    static char text[1200];
    std::snprintf(text, sizeof text, "%.1100Le", middle);
    char* e = std::strchr(text, 'e');
    digits.assign(1, text[0]);
    digits.append(text + 2, e);
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }
    exponent10 = std::strtoll(e + 1, nullptr, 10) - static_cast<int64_t>(digits.size() - 1);
}

}  // namespace

int main(int argc, char** argv) {
    const uint64_t millions = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100;
    const uint64_t target = millions * 1000000;
    proof::Random random(20261206);
    Tally tally;
    proof::Stopwatch watch;
    std::string digits;
    for (uint64_t round = 0; tally.cases < target; ++round) {
        const bool negative = (random.Next() & 1) != 0;
        if (round % 10 < 7) {
            const int count = static_cast<int>(random.Between(1, 19));
            const int64_t magnitude = random.Between(-345, 310);
            tally.Check(RandomDigits(count, random), magnitude - (count - 1), negative, random);
        } else if (round % 10 < 9) {
            const int count = static_cast<int>(random.Between(20, 40));
            const int64_t magnitude = random.Between(-345, 310);
            tally.Check(RandomDigits(count, random), magnitude - (count - 1), negative, random);
        } else {
            int64_t exponent10 = 0;
            Midpoint(random, digits, exponent10);
            tally.Check(digits, exponent10, negative, random);
            const size_t cut = static_cast<size_t>(random.Between(1, 19));
            if (cut < digits.size()) {
                const int64_t shift = static_cast<int64_t>(digits.size() - cut);
                const std::string below = digits.substr(0, cut);
                tally.Check(below, exponent10 + shift, negative, random);
                const std::string above =
                    std::to_string(std::strtoull(below.c_str(), nullptr, 10) + 1);
                tally.Check(above, exponent10 + shift, negative, random);
            }
        }
    }
    std::printf("cases %llu (%llu with at most 19 digits), mismatches %llu, %.1f s\n",
                static_cast<unsigned long long>(tally.cases),
                static_cast<unsigned long long>(tally.shortCases),
                static_cast<unsigned long long>(tally.mismatches), watch.Seconds());
    std::printf("decided by DecimalToDouble: %.4f %% of the cases with at most 19 digits\n",
                100.0 * static_cast<double>(tally.decided) / static_cast<double>(tally.shortCases));
    std::printf(
        "  and %.4f %% of those whose result is a normal double\n",
        100.0 * static_cast<double>(tally.decidedNormal) / static_cast<double>(tally.shortNormal));
    return tally.mismatches == 0 ? 0 : 1;
}
