// Proof of the number scanner on text in memory: a literal parsed inside a
// document must give strtod's double, bit for bit. It covers the scanner's
// gathering of fraction digits eight at a time (from the text itself, up to
// where the mantissa would pass 10^10), the digit-at-a-time loop that takes
// the rest, and the short literals read in one go (and the arrays of them)
// when at least 32 characters follow.
//
//   kivJSONScanProof [literals in millions, default 100]
//
// Cases: an integer part of 0 to 19 digits (or "0"), a fraction of 1 to 30
// digits that may start with zeros, an optional exponent, either sign; every
// other literal in the short shape instead (1 to 8 integer digits, 0 to 17
// fraction digits, rarely an exponent). Each literal alone at the end of the
// text, or in an array after 0 or 1 other numbers and followed by more of
// the document, short or long, so that the eight-byte reads meet every
// distance to the end.
#include "ProofSupport.h"

#include <kivJSON/JSONValue.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>

namespace {

std::string Digits(proof::Random& random, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += static_cast<char>('0' + random.Next() % 10);
    }
    return text;
}

std::string RandomLiteral(proof::Random& random) {
    std::string text;
    if (random.Next() % 2 != 0) {
        text += '-';
    }
    if (random.Next() % 2 != 0) {  // the short shape
        const int integral = static_cast<int>(random.Between(1, 8));
        text += integral == 1 && random.Next() % 4 == 0
                    ? "0"
                    : static_cast<char>('1' + random.Next() % 9) + Digits(random, integral - 1);
        const int fraction = static_cast<int>(random.Between(0, 17));
        if (fraction != 0) {
            text += "." + Digits(random, fraction);
        }
        if (random.Next() % 16 == 0) {
            text += "e" + std::to_string(random.Between(-30, 30));
        }
        return text;
    }
    const int integral = static_cast<int>(random.Between(0, 19));
    if (integral == 0) {
        text += '0';
    } else {
        text += static_cast<char>('1' + random.Next() % 9) + Digits(random, integral - 1);
    }
    text += '.';
    const int fraction = static_cast<int>(random.Between(1, 30));
    const int zeros = random.Next() % 4 == 0 ? static_cast<int>(random.Between(1, fraction)) : 0;
    for (int i = 0; i < fraction; ++i) {
        text += i < zeros ? '0' : static_cast<char>('0' + random.Next() % 10);
    }
    if (random.Next() % 4 == 0) {
        text += "e" + std::to_string(random.Between(-30, 30));
    }
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    const uint64_t millions = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100;
    const std::string spaces(40, ' ');
    const std::string followers[] = {
        "",  // the literal alone
        ",1]",
        ",\"abcdefgh\"]",
        "]",
        " ]",
        "\n,2,3]",
        "]" + spaces,
        ", 2.5, -3]" + spaces,
        ",[1]]" + spaces,
        ",\"" + spaces + "\"]",
    };
    constexpr size_t kFollowerCount = sizeof followers / sizeof followers[0];
    proof::Random random(20261207);
    proof::Stopwatch watch;
    uint64_t cases = 0;
    uint64_t mismatches = 0;
    for (uint64_t i = 0; i < millions * 1000000; ++i) {
        const std::string literal = RandomLiteral(random);
        const std::string& follower = followers[random.Next() % kFollowerCount];
        const bool alone = follower.empty();
        const bool second = !alone && random.Next() % 2 != 0;
        const std::string text = alone ? literal : (second ? "[-0.5," : "[") + literal + follower;
        std::error_code error;
        JsonValue value = JsonValue::Parse(text, error);
        const double expected = std::strtod(literal.c_str(), nullptr);
        const double got =
            error ? 0.0 : (alone ? value : value[size_t{second ? 1u : 0u}]).AsDouble();
        // An integer literal keeps its integer, which reads as the same double
        // (and "-0" as 0).
        const bool integer = literal.find_first_of(".eE") == std::string::npos;
        const bool same = integer ? got == expected : proof::ToBits(got) == proof::ToBits(expected);
        ++cases;
        if (error || !same) {
            if (++mismatches <= 10) {
                std::printf("mismatch: %s -> %.17g, strtod %.17g%s\n", text.c_str(), got, expected,
                            error ? " (parse error)" : "");
            }
        }
    }
    std::printf("cases %llu, mismatches %llu, %.1f s\n", static_cast<unsigned long long>(cases),
                static_cast<unsigned long long>(mismatches), watch.Seconds());
    return mismatches == 0 ? 0 : 1;
}
