// The comparative suite: kivJSON against the other C++ JSON libraries on the
// three standard documents, plus kivJSON's own wide, stream, copy, compare and
// lookup paths. Every case is named Suite/<document>/<library>/<operation>.
// Allocations are counted by the global allocation functions in
// BenchSupport.cpp.
#include "BenchSupport.h"
#include "PeersBoostJSON.h"
#include "PeersJsonCpp.h"
#include "PeersNlohmann.h"
#include "PeersRapidJSON.h"
#include "PeersSimdjson.h"

#if KIVJSON_HAVE_BOOST_JSON && KIVJSON_BOOST_JSON_HEADER_ONLY
#include <boost/json/src.hpp>
#endif

#include <kivCore/Conversion.h>
#include <kivJSON/JSONPrivateImpl.h>
#include <kivJSON/JSONUtil.h>
#include <kivJSON/JSONValue.h>
#include <kivJSON/JSONWriteOptions.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

using kivbench::AllocationMeter;
using kivbench::HeapHeldBy;
using kivbench::LoadDocument;

// --- kivJSON fixtures -------------------------------------------------------------

// A document with its wide copy, its tree and an equal tree held elsewhere in
// memory; made on first use. `error` is set when the document is missing or
// does not parse.
struct KivDocument {
    const std::string* text = nullptr;
    std::wstring wide;
    JsonValue tree;
    JsonValue twin;
    std::string error;
};

const KivDocument& GetKivDocument(const std::string& name) {
    static std::map<std::string, KivDocument> cache;
    auto found = cache.find(name);
    if (found != cache.end()) {
        return found->second;
    }
    KivDocument& doc = cache[name];
    doc.text = LoadDocument(name);
    if (doc.text == nullptr) {
        doc.error = "missing " KIVJSON_DATA_DIR "/bench/" + name + ".json";
        return doc;
    }
    try {
        doc.wide = ConvertTo<std::wstring, std::string>(*doc.text);
        doc.tree = JsonValue::Parse(*doc.text);
        doc.twin = doc.tree;
    } catch (const std::exception& e) {
        doc.error = std::string("kivJSON cannot parse ") + name + ": " + e.what();
    }
    return doc;
}

// The fixture, or nullptr after marking the case skipped.
const KivDocument* KivFixture(benchmark::State& state, const std::string& name) {
    const KivDocument& doc = GetKivDocument(name);
    if (!doc.error.empty()) {
        state.SkipWithError(doc.error.c_str());
        return nullptr;
    }
    return &doc;
}

void SetDocumentBytes(benchmark::State& state, const std::string& text) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size()));
}

#if KIVJSON_BENCH_POOLED_NODES
// The bytes of the pool's slots that hold the values of `root`: each value's
// class rounded up to the pool's 16-byte classes.
size_t PooledNodeBytes(const JsonValue& root) {
    const auto slot = [](size_t size) { return (size + 15) / 16 * 16; };
    size_t bytes = 0;
    std::vector<const JsonValue*> pending{&root};
    while (!pending.empty()) {
        const JsonValue& value = *pending.back();
        pending.pop_back();
        switch (value.Type()) {
            case JsonType::Null:
                bytes += slot(sizeof(_Private::JsonNullTypeImpl));
                break;
            case JsonType::Bool:
                bytes += slot(sizeof(_Private::JsonBoolTypeImpl));
                break;
            case JsonType::Number:
                bytes += slot(sizeof(_Private::JsonNumberTypeImpl));
                break;
            case JsonType::String:
                bytes += slot(sizeof(_Private::JsonStringTypeImpl));
                break;
            case JsonType::Array:
                bytes += slot(sizeof(_Private::JsonArrayTypeImpl));
                for (const JsonValue& element : value.AsArray()) {
                    pending.push_back(&element);
                }
                break;
            case JsonType::Object:
                bytes += slot(sizeof(_Private::JsonObjectTypeImpl));
                for (const auto& member : value.AsObject()) {
                    pending.push_back(&member.second);
                }
                break;
        }
    }
    return bytes;
}
#endif

// The heap one parsed tree holds: the blocks the counting operators see (child
// vectors, long strings) and, with the pool, its value nodes' slots.
double KivHeapHeld(const std::string& text) {
    size_t pooled = 0;
    const double counted = HeapHeldBy([&] {
        JsonValue tree = JsonValue::Parse(text);
#if KIVJSON_BENCH_POOLED_NODES
        pooled = PooledNodeBytes(tree);
#endif
        return tree;
    });
    return counted + static_cast<double>(pooled);
}

void KivParse(benchmark::State& state, const std::string& name) {
    const KivDocument* doc = KivFixture(state, name);
    if (doc == nullptr)
        return;
    const std::string& text = *doc->text;
    const AllocationMeter meter;
    for (auto _ : state) {
        JsonValue value = JsonValue::Parse(text);
        benchmark::DoNotOptimize(&value);
    }
    meter.Report(state);
    state.counters["heap_held"] = KivHeapHeld(text);
    SetDocumentBytes(state, text);
}

void KivParseWide(benchmark::State& state, const std::string& name) {
    const KivDocument* doc = KivFixture(state, name);
    if (doc == nullptr)
        return;
    const AllocationMeter meter;
    for (auto _ : state) {
        JsonValue value = JsonValue::Parse(doc->wide);
        benchmark::DoNotOptimize(&value);
    }
    meter.Report(state);
    SetDocumentBytes(state, *doc->text);
}

// One stream, rewound each time: the copy into the stream is not timed.
void KivParseStream(benchmark::State& state, const std::string& name) {
    const KivDocument* doc = KivFixture(state, name);
    if (doc == nullptr)
        return;
    std::istringstream in(*doc->text);
    const AllocationMeter meter;
    for (auto _ : state) {
        in.clear();
        in.seekg(0);
        JsonValue value = JsonValue::Parse(in);
        benchmark::DoNotOptimize(&value);
    }
    meter.Report(state);
    SetDocumentBytes(state, *doc->text);
}

void KivSerialize(benchmark::State& state, const std::string& name) {
    const KivDocument* doc = KivFixture(state, name);
    if (doc == nullptr)
        return;
    const AllocationMeter meter;
    for (auto _ : state) {
        std::string text = doc->tree.Serialize();
        benchmark::DoNotOptimize(text.data());
    }
    meter.Report(state);
    SetDocumentBytes(state, *doc->text);
}

// The option writer into a fresh string: `indent` spaces a level, doubles in
// the shortest round-trip form or with 17 digits.
template <size_t indent, JsonNumberStyle numbers>
void KivWriteOptions(benchmark::State& state, const std::string& name) {
    const KivDocument* doc = KivFixture(state, name);
    if (doc == nullptr)
        return;
    JsonWriteOptions options;
    options.indent = indent;
    options.numbers = numbers;
    const AllocationMeter meter;
    for (auto _ : state) {
        std::string text = WriteJson(doc->tree, options);
        benchmark::DoNotOptimize(text.data());
    }
    meter.Report(state);
    SetDocumentBytes(state, *doc->text);
}

// Format into the caller's string, cleared but keeping its capacity.
template <class Text>
void KivFormat(benchmark::State& state, const std::string& name) {
    const KivDocument* doc = KivFixture(state, name);
    if (doc == nullptr)
        return;
    Text out;
    const AllocationMeter meter;
    for (auto _ : state) {
        out.clear();
        doc->tree.Format(out);
        benchmark::DoNotOptimize(out.data());
    }
    meter.Report(state);
    SetDocumentBytes(state, *doc->text);
}

void KivCopy(benchmark::State& state, const std::string& name) {
    const KivDocument* doc = KivFixture(state, name);
    if (doc == nullptr)
        return;
    const AllocationMeter meter;
    for (auto _ : state) {
        JsonValue copy(doc->tree);
        benchmark::DoNotOptimize(&copy);
    }
    meter.Report(state);
    SetDocumentBytes(state, *doc->text);
}

void KivEqual(benchmark::State& state, const std::string& name) {
    const KivDocument* doc = KivFixture(state, name);
    if (doc == nullptr)
        return;
    for (auto _ : state) {
        bool equal = doc->tree == doc->twin;
        benchmark::DoNotOptimize(equal);
    }
    SetDocumentBytes(state, *doc->text);
}

// --- Typed lookups ----------------------------------------------------------------
//
// Each walk reads what a program using the document would: string, int and
// bool members through the typed TryGet forms, nested objects through
// TryGetRef, arrays through the pointer form. Every walk returns a checksum
// and counts its lookups.

const std::string kStatuses = "statuses", kText = "text", kCreatedAt = "created_at",
                  kIdStr = "id_str", kRetweetCount = "retweet_count",
                  kFavoriteCount = "favorite_count", kTruncated = "truncated", kUser = "user",
                  kScreenName = "screen_name", kFollowersCount = "followers_count",
                  kMetadata = "metadata", kLanguage = "iso_language_code";

// Per status: six fields of the status, two of its user, one of its metadata.
size_t WalkTwitter(const JsonValue& root, size_t& lookups) {
    size_t sum = 0;
    const JsonArray* statuses = nullptr;
    ++lookups;
    if (!TryGet(root, kStatuses, &statuses))
        return 0;
    for (const JsonValue& status : *statuses) {
        std::string text, createdAt, id, screenName, language;
        int retweets = 0, favorites = 0, followers = 0;
        bool truncated = false;
        TryGet(status, kText, text);
        TryGet(status, kCreatedAt, createdAt);
        TryGet(status, kIdStr, id);
        TryGet(status, kRetweetCount, retweets);
        TryGet(status, kFavoriteCount, favorites);
        TryGet(status, kTruncated, truncated);
        const JsonValue& user = TryGetRef(status, kUser);
        TryGet(user, kScreenName, screenName);
        TryGet(user, kFollowersCount, followers);
        TryGet(TryGetRef(status, kMetadata), kLanguage, language);
        lookups += 11;
        sum += text.size() + createdAt.size() + id.size() + screenName.size() + language.size() +
               static_cast<size_t>(retweets + favorites + followers) + truncated;
    }
    return sum;
}

const std::string kEvents = "events", kPerformances = "performances",
                  kSubTopicNames = "subTopicNames", kEventId = "eventId", kName = "name",
                  kSubTopicIds = "subTopicIds", kSeatCategories = "seatCategories",
                  kAreas = "areas", kVenueCode = "venueCode";

// A join over ids, as a consumer of the catalogue would do it: each performance
// finds its event in the events object by the decimal key of its eventId
// (a linear scan of that object), reads the event's name and resolves each of
// the event's sub-topic ids to its name; then counts the areas of its seat
// categories and reads its venue code.
size_t WalkCitm(const JsonValue& root, size_t& lookups) {
    size_t sum = 0;
    const JsonValue& events = TryGetRef(root, kEvents);
    const JsonValue& subTopicNames = TryGetRef(root, kSubTopicNames);
    const JsonArray* performances = nullptr;
    lookups += 3;
    if (!TryGet(root, kPerformances, &performances))
        return 0;
    for (const JsonValue& performance : *performances) {
        int eventId = 0;
        ++lookups;
        if (!TryGet(performance, kEventId, eventId))
            continue;
        const JsonValue& event = TryGetRef(events, std::to_string(eventId));
        std::string eventName;
        TryGet(event, kName, eventName);
        lookups += 2;
        sum += eventName.size();
        const JsonArray* subTopicIds = nullptr;
        ++lookups;
        if (TryGet(event, kSubTopicIds, &subTopicIds)) {
            for (const JsonValue& id : *subTopicIds) {
                std::string topic;
                TryGet(subTopicNames, std::to_string(id.AsInteger()), topic);
                ++lookups;
                sum += topic.size();
            }
        }
        const JsonArray* seatCategories = nullptr;
        ++lookups;
        if (TryGet(performance, kSeatCategories, &seatCategories)) {
            for (const JsonValue& category : *seatCategories) {
                const JsonArray* areas = nullptr;
                ++lookups;
                if (TryGet(category, kAreas, &areas))
                    sum += areas->Size();
            }
        }
        std::string venue;
        TryGet(performance, kVenueCode, venue);
        ++lookups;
        sum += venue.size();
    }
    return sum;
}

const std::string kFeatures = "features", kGeometry = "geometry", kType = "type",
                  kCoordinates = "coordinates", kProperties = "properties";

// Per feature: its properties' name, its geometry's type, then every
// coordinate pair of every ring read as doubles (typed access, not lookups:
// the document is mostly numbers in arrays).
size_t WalkCanada(const JsonValue& root, size_t& lookups) {
    size_t sum = 0;
    double total = 0;
    const JsonArray* features = nullptr;
    ++lookups;
    if (!TryGet(root, kFeatures, &features))
        return 0;
    for (const JsonValue& feature : *features) {
        std::string name, type;
        TryGet(TryGetRef(feature, kProperties), kName, name);
        const JsonValue& geometry = TryGetRef(feature, kGeometry);
        TryGet(geometry, kType, type);
        const JsonArray* rings = nullptr;
        lookups += 5;
        sum += name.size() + type.size();
        if (!TryGet(geometry, kCoordinates, &rings))
            continue;
        for (const JsonValue& ring : *rings) {
            for (const JsonValue& point : ring.AsArray()) {
                total += point.At(0).AsDouble() + point.At(1).AsDouble();
                lookups += 2;
            }
        }
    }
    return sum + static_cast<size_t>(total);
}

void KivLookup(benchmark::State& state, const std::string& name) {
    const KivDocument* doc = KivFixture(state, name);
    if (doc == nullptr)
        return;
    size_t (*walk)(const JsonValue&, size_t&) = name == "twitter"        ? WalkTwitter
                                                : name == "citm_catalog" ? WalkCitm
                                                                         : WalkCanada;
    size_t lookups = 0;
    const AllocationMeter meter;
    for (auto _ : state) {
        benchmark::DoNotOptimize(walk(doc->tree, lookups));
    }
    meter.Report(state);
    state.SetItemsProcessed(static_cast<int64_t>(lookups));
}

// --- Peers ------------------------------------------------------------------------

template <class Peer>
struct PeerDocument {
    const std::string* text = nullptr;
    typename Peer::Dom tree;
    std::string error;
};

template <class Peer>
const PeerDocument<Peer>* PeerFixture(benchmark::State& state, const std::string& name) {
    static std::map<std::string, PeerDocument<Peer>> cache;
    auto found = cache.find(name);
    if (found == cache.end()) {
        PeerDocument<Peer>& doc = cache[name];
        doc.text = LoadDocument(name);
        if (doc.text == nullptr) {
            doc.error = "missing " KIVJSON_DATA_DIR "/bench/" + name + ".json";
        } else {
            try {
                doc.tree = Peer::Parse(*doc.text);
            } catch (const std::exception& e) {
                doc.error = std::string(Peer::kName) + " cannot parse " + name + ": " + e.what();
            }
        }
        found = cache.find(name);
    }
    if (!found->second.error.empty()) {
        state.SkipWithError(found->second.error.c_str());
        return nullptr;
    }
    return &found->second;
}

template <class Peer>
void PeerParse(benchmark::State& state, const std::string& name) {
    const PeerDocument<Peer>* doc = PeerFixture<Peer>(state, name);
    if (doc == nullptr)
        return;
    const std::string& text = *doc->text;
    const AllocationMeter meter;
    for (auto _ : state) {
        auto dom = Peer::Parse(text);
        benchmark::DoNotOptimize(&dom);
    }
    meter.Report(state);
    state.counters["heap_held"] = HeapHeldBy([&] { return Peer::Parse(text); });
    SetDocumentBytes(state, text);
}

template <class Peer>
void PeerSerialize(benchmark::State& state, const std::string& name) {
    const PeerDocument<Peer>* doc = PeerFixture<Peer>(state, name);
    if (doc == nullptr)
        return;
    const AllocationMeter meter;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Peer::Serialize(doc->tree));
    }
    meter.Report(state);
    SetDocumentBytes(state, *doc->text);
}

template <class Peer>
void PeerCopy(benchmark::State& state, const std::string& name) {
    const PeerDocument<Peer>* doc = PeerFixture<Peer>(state, name);
    if (doc == nullptr)
        return;
    const AllocationMeter meter;
    for (auto _ : state) {
        auto copy = Peer::Copy(doc->tree);
        benchmark::DoNotOptimize(&copy);
    }
    meter.Report(state);
    SetDocumentBytes(state, *doc->text);
}

template <class Peer>
void PeerEqual(benchmark::State& state, const std::string& name) {
    const PeerDocument<Peer>* doc = PeerFixture<Peer>(state, name);
    if (doc == nullptr)
        return;
    const auto twin = Peer::Copy(doc->tree);
    for (auto _ : state) {
        bool equal = Peer::Equal(doc->tree, twin);
        benchmark::DoNotOptimize(equal);
    }
    SetDocumentBytes(state, *doc->text);
}

#if KIVJSON_HAVE_SIMDJSON
// The parser is reused from parse to parse, as simdjson intends; heap held is
// that of a fresh parser holding the document (its tape, strings and indexes).
void SimdjsonParse(benchmark::State& state, const std::string& name) {
    const std::string* text = LoadDocument(name);
    if (text == nullptr) {
        state.SkipWithError(("missing " KIVJSON_DATA_DIR "/bench/" + name + ".json").c_str());
        return;
    }
    const simdjson::padded_string& padded = kivbench::SimdjsonPeer::Padded(*text);
    simdjson::dom::parser parser;
    kivbench::SimdjsonPeer::Parse(parser, padded);
    const AllocationMeter meter;
    for (auto _ : state) {
        benchmark::DoNotOptimize(kivbench::SimdjsonPeer::Parse(parser, padded));
    }
    meter.Report(state);
    state.counters["heap_held"] = HeapHeldBy([&] {
        auto fresh = std::make_unique<simdjson::dom::parser>();
        kivbench::SimdjsonPeer::Parse(*fresh, padded);
        return fresh;
    });
    state.SetLabel(kivbench::SimdjsonPeer::kLabel);
    SetDocumentBytes(state, *text);
}

void SimdjsonSerialize(benchmark::State& state, const std::string& name) {
    const std::string* text = LoadDocument(name);
    if (text == nullptr) {
        state.SkipWithError(("missing " KIVJSON_DATA_DIR "/bench/" + name + ".json").c_str());
        return;
    }
    simdjson::dom::parser parser;
    const simdjson::dom::element root =
        kivbench::SimdjsonPeer::Parse(parser, kivbench::SimdjsonPeer::Padded(*text));
    const AllocationMeter meter;
    for (auto _ : state) {
        benchmark::DoNotOptimize(kivbench::SimdjsonPeer::Serialize(root));
    }
    meter.Report(state);
    state.SetLabel(kivbench::SimdjsonPeer::kLabel);
    SetDocumentBytes(state, *text);
}
#endif

// --- Registration -----------------------------------------------------------------

using Case = void (*)(benchmark::State&, const std::string&);

void Register(const std::string& document, const char* library, const char* operation, Case run) {
    benchmark::RegisterBenchmark(("Suite/" + document + "/" + library + "/" + operation).c_str(),
                                 [run, document](benchmark::State& state) { run(state, document); })
        ->Unit(benchmark::kMillisecond);
}

template <class Peer>
void RegisterPeer(const std::string& document) {
    Register(document, Peer::kName, "parse", PeerParse<Peer>);
    Register(document, Peer::kName, "serialize", PeerSerialize<Peer>);
    Register(document, Peer::kName, "copy", PeerCopy<Peer>);
    Register(document, Peer::kName, "equal", PeerEqual<Peer>);
}

[[maybe_unused]] const bool g_registered = [] {
    for (const std::string document : {"canada", "citm_catalog", "twitter"}) {
        Register(document, "kivJSON", "parse", KivParse);
        Register(document, "kivJSON", "parse_wide", KivParseWide);
        Register(document, "kivJSON", "parse_stream", KivParseStream);
        Register(document, "kivJSON", "serialize", KivSerialize);
        Register(document, "kivJSON", "serialize_shortest",
                 KivWriteOptions<0, JsonNumberStyle::Shortest>);
        Register(document, "kivJSON", "serialize_indented",
                 KivWriteOptions<2, JsonNumberStyle::Exact17>);
        Register(document, "kivJSON", "format", KivFormat<std::string>);
        Register(document, "kivJSON", "format_wide", KivFormat<std::wstring>);
        Register(document, "kivJSON", "copy", KivCopy);
        Register(document, "kivJSON", "equal", KivEqual);
        Register(document, "kivJSON", "lookup", KivLookup);
#if KIVJSON_HAVE_NLOHMANN
        RegisterPeer<kivbench::NlohmannPeer>(document);
#endif
#if KIVJSON_HAVE_RAPIDJSON
        RegisterPeer<kivbench::RapidJsonPeer>(document);
#endif
#if KIVJSON_HAVE_BOOST_JSON
        RegisterPeer<kivbench::BoostJsonPeer>(document);
#endif
#if KIVJSON_HAVE_JSONCPP
        RegisterPeer<kivbench::JsonCppPeer>(document);
#endif
#if KIVJSON_HAVE_SIMDJSON
        Register(document, kivbench::SimdjsonPeer::kName, "parse", SimdjsonParse);
        Register(document, kivbench::SimdjsonPeer::kName, "serialize", SimdjsonSerialize);
#endif
    }
    return true;
}();

}  // namespace
