// Separate parses on separate threads, and many readers of one shared tree.
// Run under ThreadSanitizer (preset tsan) these must produce no report; in the
// other builds they check that every thread sees the single-threaded results.
#include <kivJSON/JSONErrorCat.h>
#include <kivJSON/JSONUtil.h>
#include <kivJSON/JSONValue.h>

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 20;

// A document with every value kind, escapes, non-ASCII text and doubles; `seed`
// varies the content so that each thread parses its own text.
std::string MakeDocument(int seed) {
    std::string text = "{\"id\":" + std::to_string(seed) + ",\"items\":[";
    for (int i = 0; i < 200; ++i) {
        text += i == 0 ? "" : ",";
        text += "{\"n\":" + std::to_string(i * seed - 500) + ",\"d\":" + std::to_string(i) +
                ".25e-3,\"s\":\"caf\\u00e9 \\\"" + std::to_string(i) +
                "\\\"\\n\xE6\xBC\xA2\",\"b\":" + (i % 2 ? "true" : "false") +
                ",\"z\":null,\"a\":[[],{},1e300,-0.0]} /* c */";
    }
    return text + "]}";
}

void RunOnThreads(const std::function<void(int)>& body) {
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back(body, t);
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
}

TEST(Concurrency, SeparateParsesAtOnce) {
    std::vector<std::string> documents;
    std::vector<std::string> expected;
    for (int t = 0; t < kThreads; ++t) {
        documents.push_back(MakeDocument(t + 1));
        expected.push_back(JsonValue::Parse(documents.back()).Serialize());
    }
    std::vector<int> mismatches(kThreads, 0);
    RunOnThreads([&](int t) {
        for (int round = 0; round < kRounds; ++round) {
            std::error_code ec;
            std::istringstream in(documents[t]);
            std::wistringstream wideIn(L"[1,2,\"\\u00e9\",{\"k\":-3.5}] // end");
            const JsonValue fromString = JsonValue::Parse(documents[t], ec);
            const JsonValue fromStream = JsonValue::Parse(in);
            const JsonValue fromWideStream = JsonValue::Parse(wideIn);
            std::error_code bad;
            JsonValue::Parse(documents[t] + "]", bad);  // errors on every thread too
            mismatches[t] += ec || fromString.Serialize() != expected[t] ||
                             !(fromStream == fromString) || fromWideStream.Size() != 4 ||
                             bad.value() != MismatchedBraces;
            // Non-ASCII text makes the wide parse convert keys and strings.
            mismatches[t] +=
                JsonValue::Parse(std::wstring(L"{\"\u00e9\":\"\u6f22\"}")).Serialize() !=
                "{\"\xC3\xA9\":\"\xE6\xBC\xA2\"}";
        }
    });
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(mismatches[t], 0) << "thread " << t;
    }
}

TEST(Concurrency, ManyReadersOfOneTree) {
    const JsonValue tree = JsonValue::Parse(MakeDocument(7));
    const std::string text = tree.Serialize();
    std::wstring wideText;
    tree.Format(wideText);
    const JsonValue reference = tree;

    std::vector<int> mismatches(kThreads, 0);
    RunOnThreads([&](int t) {
        for (int round = 0; round < kRounds; ++round) {
            int bad = 0;
            switch ((t + round) % 4) {
                case 0: {
                    bad += tree.Serialize() != text;
                    std::wostringstream out;
                    tree.Serialize(out);
                    bad += out.str() != wideText;
                    break;
                }
                case 1: {
                    std::ostringstream out;
                    tree.Serialize(out);
                    bad += out.str() != text;
                    std::string appended;
                    tree.Format(appended);
                    bad += appended != text;
                    break;
                }
                case 2: {
                    bad += !(tree == reference) || tree != reference;
                    const JsonValue copy = tree;
                    bad += !(copy == tree);
                    break;
                }
                default: {
                    int id = 0;
                    const JsonArray* items = nullptr;
                    bad += !TryGet(tree, "id", id) || id != 7;
                    bad += !TryGet(tree, "items", &items) || items->Size() != 200;
                    bad += !tree.HasField("items") || tree.HasField("missing");
                    bad += &TryGetRef(tree, "missing") != &TryGetRef(tree, "other");
                    const JsonValue& item = tree.At("items").At(size_t{5});
                    std::string s;
                    bad += !TryGet(item, "s", s) || s.empty();
                    bad += !GetIfObject(tree.At("items").At(size_t{6}), "a").IsNull();
                    bad += GetIfArray(item, "a").Size() != 4;
                    bad += item.At("n").AsInteger() != 5 * 7 - 500;
                    break;
                }
            }
            mismatches[t] += bad;
        }
    });
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(mismatches[t], 0) << "thread " << t;
    }
}

// Trees destroyed on another thread than the one that built them: the pool's
// cross-thread frees, for ThreadSanitizer and AddressSanitizer to watch. (What
// the pool keeps afterwards is measured by Benchmarks/PoolMemory.cpp.)
TEST(Concurrency, TreesDestroyedOnOtherThreads) {
    for (int repeat = 0; repeat < 3; ++repeat) {
        std::vector<JsonValue> built(kThreads);
        RunOnThreads([&](int t) { built[t] = JsonValue::Parse(MakeDocument(t)); });
        RunOnThreads([&](int t) {
            built[(t + 1) % kThreads] = JsonValue();
            EXPECT_EQ(JsonValue::Parse(MakeDocument(t)).Serialize().empty(), false);
        });
    }
}

}  // namespace
