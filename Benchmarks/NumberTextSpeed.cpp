// The number kernels against the standard library on canada.json's numbers,
// side by side in one run: 17-digit text against std::to_chars(general, 17),
// shortest text against std::to_chars's shortest,
// and literal conversion (digits gathered from the text, then DecimalToDouble
// with std::from_chars as its fallback) against std::from_chars alone.
//
// Run with --benchmark_filter=Write --benchmark_repetitions=5
// --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true
#include <kivJSON/internal/NumberText.h>

#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct CanadaNumbers {
    std::vector<std::string> texts;
    std::vector<double> values;
};

const CanadaNumbers& Canada() {
    static const CanadaNumbers numbers = [] {
        CanadaNumbers result;
        std::ifstream file(std::string(KIVJSON_DATA_DIR) + "/bench/canada.json");
        std::ostringstream text;
        text << file.rdbuf();
        const std::string document = text.str();
        for (size_t i = 0; i < document.size();) {
            const char c = document[i];
            if (c != '-' && (c < '0' || c > '9')) {
                ++i;
                continue;
            }
            const size_t start = i;
            while (i < document.size() &&
                   std::string("+-.0123456789eE").find(document[i]) != std::string::npos) {
                ++i;
            }
            result.texts.push_back(document.substr(start, i - start));
            double value = 0;
            std::from_chars(document.data() + start, document.data() + i, value);
            result.values.push_back(value);
        }
        return result;
    }();
    return numbers;
}

// What a parser does with a literal it has validated: gather the significant
// digits and the exponent, convert, and fall back to the text when undecided
// (or when the literal has more than 19 digits).
double ConvertLiteral(const char* first, const char* last) {
    const char* p = first;
    const bool negative = *p == '-';
    p += negative ? 1 : 0;
    uint64_t digits = 0;
    int64_t exponent = 0;
    int count = 0;
    for (; p != last && *p >= '0' && *p <= '9'; ++p) {
        digits = digits * 10 + static_cast<unsigned>(*p - '0');
        count += (digits != 0) ? 1 : 0;
    }
    if (p != last && *p == '.') {
        for (++p; p != last && *p >= '0' && *p <= '9'; ++p) {
            digits = digits * 10 + static_cast<unsigned>(*p - '0');
            count += (digits != 0) ? 1 : 0;
            --exponent;
        }
    }
    if (p != last && (*p == 'e' || *p == 'E')) {
        ++p;
        const bool minus = *p == '-';
        p += (*p == '-' || *p == '+') ? 1 : 0;
        int64_t written = 0;
        for (; p != last && *p >= '0' && *p <= '9' && written < 100000; ++p) {
            written = written * 10 + (*p - '0');
        }
        exponent += minus ? -written : written;
    }
    double value = 0;
    if (count > 19 || !_Private::DecimalToDouble(digits, exponent, negative, value)) {
        std::from_chars(first, last, value);
    }
    return value;
}

void BM_Write17_Kernel(benchmark::State& state) {
    const std::vector<double>& values = Canada().values;
    char buffer[32];
    for (auto _ : state) {
        for (double value : values) {
            benchmark::DoNotOptimize(_Private::WriteDouble17(value, buffer));
            benchmark::ClobberMemory();
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * values.size()));
}
BENCHMARK(BM_Write17_Kernel);

void BM_Write17_ToChars(benchmark::State& state) {
    const std::vector<double>& values = Canada().values;
    char buffer[32];
    for (auto _ : state) {
        for (double value : values) {
            benchmark::DoNotOptimize(
                std::to_chars(buffer, buffer + 32, value, std::chars_format::general, 17).ptr);
            benchmark::ClobberMemory();
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * values.size()));
}
BENCHMARK(BM_Write17_ToChars);

void BM_WriteShortest_Kernel(benchmark::State& state) {
    const std::vector<double>& values = Canada().values;
    char buffer[32];
    for (auto _ : state) {
        for (double value : values) {
            benchmark::DoNotOptimize(_Private::WriteDoubleShortest(value, buffer));
            benchmark::ClobberMemory();
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * values.size()));
}
BENCHMARK(BM_WriteShortest_Kernel);

void BM_WriteShortest_ToChars(benchmark::State& state) {
    const std::vector<double>& values = Canada().values;
    char buffer[32];
    for (auto _ : state) {
        for (double value : values) {
            benchmark::DoNotOptimize(std::to_chars(buffer, buffer + 32, value).ptr);
            benchmark::ClobberMemory();
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * values.size()));
}
BENCHMARK(BM_WriteShortest_ToChars);

void BM_Read_Kernel(benchmark::State& state) {
    const std::vector<std::string>& texts = Canada().texts;
    for (auto _ : state) {
        for (const std::string& text : texts) {
            benchmark::DoNotOptimize(ConvertLiteral(text.data(), text.data() + text.size()));
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * texts.size()));
}
BENCHMARK(BM_Read_Kernel);

// DecimalToDouble alone on digits and exponents gathered beforehand, as the
// parser has them once it has validated a literal (with the text's fallback).
void BM_Read_KernelGathered(benchmark::State& state) {
    struct Literal {
        uint64_t digits;
        int64_t exponent;
        bool negative;
        const std::string* text;
    };
    std::vector<Literal> literals;
    for (const std::string& text : Canada().texts) {
        Literal literal{0, 0, text[0] == '-', &text};
        bool fraction = false;
        for (char c : text) {
            fraction = fraction || c == '.';
            if (c >= '0' && c <= '9') {
                literal.digits = literal.digits * 10 + static_cast<unsigned>(c - '0');
                literal.exponent -= fraction ? 1 : 0;
            }
        }
        literals.push_back(literal);  // canada has no exponent parts nor literals over 19 digits
    }
    for (auto _ : state) {
        for (const Literal& literal : literals) {
            double value = 0;
            if (!_Private::DecimalToDouble(literal.digits, literal.exponent, literal.negative,
                                           value)) {
                std::from_chars(literal.text->data(), literal.text->data() + literal.text->size(),
                                value);
            }
            benchmark::DoNotOptimize(value);
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * literals.size()));
}
BENCHMARK(BM_Read_KernelGathered);

void BM_Read_FromChars(benchmark::State& state) {
    const std::vector<std::string>& texts = Canada().texts;
    for (auto _ : state) {
        for (const std::string& text : texts) {
            double value = 0;
            std::from_chars(text.data(), text.data() + text.size(), value);
            benchmark::DoNotOptimize(value);
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * texts.size()));
}
BENCHMARK(BM_Read_FromChars);

}  // namespace
