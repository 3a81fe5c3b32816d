// Trees into plain structs and back: kivJSON's ReadJson / ToJson against
// nlohmann/json's get<T>() / json(T) and Boost.JSON's value_to<T>() /
// value_from(T), on citm_catalog and twitter. The structs are the same for
// every library and list the same fields; each case starts from its own
// library's parsed tree (or from the structs) and is named
// Convert/<document>/<library>/<to_structs|from_structs>.
//
// The peers' conversions are the per-field code their own macros expand to
// (nlohmann: find, then get_to; Boost: find, then value_to), written once here
// over the same field list, because Boost 1.81's described-struct conversion
// refuses objects with members the struct does not list (twitter has them).
#include "BenchSupport.h"
#include "PeersBoostJSON.h"
#include "PeersNlohmann.h"

#include <kivJSON/JSONConvert.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace bench_types {

struct CitmEvent {
    std::optional<std::string> description;
    uint64_t id = 0;
    std::optional<std::string> logo;
    std::string name;
    std::vector<uint64_t> subTopicIds;
    std::optional<std::string> subjectCode;
    std::optional<std::string> subtitle;
    std::vector<uint64_t> topicIds;
};
KIVJSON_FIELDS(CitmEvent, description, id, logo, name, subTopicIds, subjectCode, subtitle, topicIds)

struct CitmPrice {
    uint64_t amount = 0;
    uint64_t audienceSubCategoryId = 0;
    uint64_t seatCategoryId = 0;
};
KIVJSON_FIELDS(CitmPrice, amount, audienceSubCategoryId, seatCategoryId)

struct CitmArea {
    uint64_t areaId = 0;
    std::vector<uint64_t> blockIds;
};
KIVJSON_FIELDS(CitmArea, areaId, blockIds)

struct CitmSeatCategory {
    std::vector<CitmArea> areas;
    uint64_t seatCategoryId = 0;
};
KIVJSON_FIELDS(CitmSeatCategory, areas, seatCategoryId)

struct CitmPerformance {
    uint64_t eventId = 0;
    uint64_t id = 0;
    std::optional<std::string> logo;
    std::optional<std::string> name;
    std::vector<CitmPrice> prices;
    std::vector<CitmSeatCategory> seatCategories;
    std::optional<std::string> seatMapImage;
    uint64_t start = 0;
    std::string venueCode;
};
KIVJSON_FIELDS(CitmPerformance, eventId, id, logo, name, prices, seatCategories, seatMapImage,
               start, venueCode)

using Names = std::map<std::string, std::string>;
struct Citm {
    Names areaNames;
    Names audienceSubCategoryNames;
    Names blockNames;
    std::map<std::string, CitmEvent> events;
    std::vector<CitmPerformance> performances;
    Names seatCategoryNames;
    Names subTopicNames;
    Names subjectNames;
    Names topicNames;
    std::map<std::string, std::vector<uint64_t>> topicSubTopics;
    Names venueNames;
};
KIVJSON_FIELDS(Citm, areaNames, audienceSubCategoryNames, blockNames, events, performances,
               seatCategoryNames, subTopicNames, subjectNames, topicNames, topicSubTopics,
               venueNames)

struct TwHashtag {
    std::string text;
    std::vector<int> indices;
};
KIVJSON_FIELDS(TwHashtag, text, indices)

struct TwUrl {
    std::string url;
    std::string expanded_url;
    std::string display_url;
    std::vector<int> indices;
};
KIVJSON_FIELDS(TwUrl, url, expanded_url, display_url, indices)

struct TwMention {
    std::string screen_name;
    std::string name;
    uint64_t id = 0;
    std::string id_str;
    std::vector<int> indices;
};
KIVJSON_FIELDS(TwMention, screen_name, name, id, id_str, indices)

struct TwEntities {
    std::vector<TwHashtag> hashtags;
    std::vector<TwUrl> urls;
    std::vector<TwMention> user_mentions;
};
KIVJSON_FIELDS(TwEntities, hashtags, urls, user_mentions)

struct TwMetadata {
    std::string result_type;
    std::string iso_language_code;
};
KIVJSON_FIELDS(TwMetadata, result_type, iso_language_code)

struct TwUser {
    uint64_t id = 0;
    std::string id_str;
    std::string name;
    std::string screen_name;
    std::string location;
    std::string description;
    std::optional<std::string> url;
    uint64_t followers_count = 0;
    uint64_t friends_count = 0;
    uint64_t listed_count = 0;
    std::string created_at;
    uint64_t favourites_count = 0;
    std::optional<int> utc_offset;
    std::optional<std::string> time_zone;
    bool geo_enabled = false;
    bool verified = false;
    uint64_t statuses_count = 0;
    std::string lang;
    std::string profile_background_color;
    std::string profile_image_url;
    bool following = false;
    bool notifications = false;
};
KIVJSON_FIELDS(TwUser, id, id_str, name, screen_name, location, description, url, followers_count,
               friends_count, listed_count, created_at, favourites_count, utc_offset, time_zone,
               geo_enabled, verified, statuses_count, lang, profile_background_color,
               profile_image_url, following, notifications)

struct TwStatus {
    TwMetadata metadata;
    std::string created_at;
    uint64_t id = 0;
    std::string id_str;
    std::string text;
    std::string source;
    bool truncated = false;
    std::optional<uint64_t> in_reply_to_status_id;
    std::optional<std::string> in_reply_to_status_id_str;
    std::optional<uint64_t> in_reply_to_user_id;
    std::optional<std::string> in_reply_to_screen_name;
    TwUser user;
    uint64_t retweet_count = 0;
    uint64_t favorite_count = 0;
    TwEntities entities;
    bool favorited = false;
    bool retweeted = false;
    std::string lang;
};
KIVJSON_FIELDS(TwStatus, metadata, created_at, id, id_str, text, source, truncated,
               in_reply_to_status_id, in_reply_to_status_id_str, in_reply_to_user_id,
               in_reply_to_screen_name, user, retweet_count, favorite_count, entities, favorited,
               retweeted, lang)

struct TwSearch {
    double completed_in = 0;
    uint64_t max_id = 0;
    std::string max_id_str;
    std::string next_results;
    std::string query;
    std::string refresh_url;
    int count = 0;
    uint64_t since_id = 0;
    std::string since_id_str;
};
KIVJSON_FIELDS(TwSearch, completed_in, max_id, max_id_str, next_results, query, refresh_url, count,
               since_id, since_id_str)

struct Twitter {
    std::vector<TwStatus> statuses;
    TwSearch search_metadata;
};
KIVJSON_FIELDS(Twitter, statuses, search_metadata)

// Calls `visit(name, member)` for each field of `object`, in the list's order.
template <class T, class Visit>
void ForEachField(T& object, Visit&& visit) {
    std::apply([&](const auto&... field) { (visit(field.name, object.*field.member), ...); },
               JsonFieldList<std::remove_const_t<T>>);
}

template <class T>
struct IsOptional : JsonIsOptional<std::remove_const_t<T>> {};

#if KIVJSON_HAVE_NLOHMANN
template <class T, class = std::enable_if_t<JsonHasFields<T>::value>>
void from_json(const nlohmann::json& in, T& out) {
    ForEachField(out, [&](std::string_view name, auto& member) {
        const auto found = in.find(name);
        if (found != in.end()) {
            found->get_to(member);
        } else if constexpr (IsOptional<std::remove_reference_t<decltype(member)>>::value) {
            member.reset();
        } else {
            throw std::out_of_range("missing member");
        }
    });
}
template <class T, class = std::enable_if_t<JsonHasFields<T>::value>>
void to_json(nlohmann::json& out, const T& in) {
    out = nlohmann::json::object();
    ForEachField(in, [&](std::string_view name, const auto& member) { out[name] = member; });
}
#endif

#if KIVJSON_HAVE_BOOST_JSON
template <class T, class = std::enable_if_t<JsonHasFields<T>::value>>
T tag_invoke(boost::json::value_to_tag<T>, const boost::json::value& in) {
    const boost::json::object& object = in.as_object();
    T out{};
    ForEachField(out, [&](std::string_view name, auto& member) {
        using M = std::remove_reference_t<decltype(member)>;
        const auto found = object.find(name);
        if (found != object.end()) {
            member = boost::json::value_to<M>(found->value());
        } else if constexpr (!IsOptional<M>::value) {
            throw std::out_of_range("missing member");
        }
    });
    return out;
}
template <class T, class = std::enable_if_t<JsonHasFields<T>::value>>
void tag_invoke(boost::json::value_from_tag, boost::json::value& out, const T& in) {
    boost::json::object& object = out.emplace_object();
    object.reserve(std::tuple_size<std::decay_t<decltype(JsonFieldList<T>)>>::value);
    ForEachField(in, [&](std::string_view name, const auto& member) {
        object.emplace(name, boost::json::value_from(member, object.storage()));
    });
}
#endif

}  // namespace bench_types

#if KIVJSON_HAVE_NLOHMANN
namespace nlohmann {
template <class T>
struct adl_serializer<std::optional<T>> {
    static void to_json(json& out, const std::optional<T>& in) {
        if (in) {
            out = *in;
        } else {
            out = nullptr;
        }
    }
    static void from_json(const json& in, std::optional<T>& out) {
        if (in.is_null()) {
            out.reset();
        } else {
            out = in.get<T>();
        }
    }
};
}  // namespace nlohmann
#endif

namespace {

using kivbench::LoadDocument;

struct KivLibrary {
    static constexpr const char* kName = "kivJSON";
    using Dom = JsonValue;
    static Dom Parse(const std::string& text) { return JsonValue::Parse(text); }
    template <class T>
    static T To(const Dom& dom) {
        return ReadJsonAs<T>(dom);
    }
    template <class T>
    static Dom From(const T& value) {
        return ToJson(value);
    }
};

#if KIVJSON_HAVE_NLOHMANN
struct NlohmannLibrary {
    static constexpr const char* kName = "nlohmann";
    using Dom = nlohmann::json;
    static Dom Parse(const std::string& text) { return nlohmann::json::parse(text); }
    template <class T>
    static T To(const Dom& dom) {
        return dom.get<T>();
    }
    template <class T>
    static Dom From(const T& value) {
        return Dom(value);
    }
};
#endif

#if KIVJSON_HAVE_BOOST_JSON
struct BoostLibrary {
    static constexpr const char* kName = "Boost.JSON";
    using Dom = boost::json::value;
    static Dom Parse(const std::string& text) { return boost::json::parse(text); }
    template <class T>
    static T To(const Dom& dom) {
        return boost::json::value_to<T>(dom);
    }
    template <class T>
    static Dom From(const T& value) {
        return boost::json::value_from(value);
    }
};
#endif

// The structs as kivJSON writes them: what every library's conversion must give.
template <class T>
std::string Fingerprint(const T& value) {
    return ToJson(value).Serialize();
}

template <class Library, class T>
void ToStructs(benchmark::State& state, const std::string& document) {
    const std::string* text = LoadDocument(document);
    if (text == nullptr) {
        state.SkipWithError(("missing " KIVJSON_DATA_DIR "/bench/" + document + ".json").c_str());
        return;
    }
    const typename Library::Dom dom = Library::Parse(*text);
    const std::string expected = Fingerprint(KivLibrary::To<T>(JsonValue::Parse(*text)));
    kivbench::AllocationMeter meter;
    for (auto _ : state) {
        T value = Library::template To<T>(dom);
        benchmark::DoNotOptimize(&value);
    }
    meter.Report(state);
    if (Fingerprint(Library::template To<T>(dom)) != expected) {
        state.SkipWithError("the structs differ from kivJSON's");
    }
}

template <class Library, class T>
void FromStructs(benchmark::State& state, const std::string& document) {
    const std::string* text = LoadDocument(document);
    if (text == nullptr) {
        state.SkipWithError(("missing " KIVJSON_DATA_DIR "/bench/" + document + ".json").c_str());
        return;
    }
    const T value = KivLibrary::To<T>(JsonValue::Parse(*text));
    kivbench::AllocationMeter meter;
    for (auto _ : state) {
        typename Library::Dom dom = Library::From(value);
        benchmark::DoNotOptimize(&dom);
    }
    meter.Report(state);
    if (Fingerprint(Library::template To<T>(Library::From(value))) != Fingerprint(value)) {
        state.SkipWithError("the tree does not read back as the same structs");
    }
}

template <class Library>
void Register() {
    const std::string prefix = std::string("Convert/");
    const std::string library = Library::kName;
    benchmark::RegisterBenchmark((prefix + "citm_catalog/" + library + "/to_structs").c_str(),
                                 ToStructs<Library, bench_types::Citm>, "citm_catalog");
    benchmark::RegisterBenchmark((prefix + "citm_catalog/" + library + "/from_structs").c_str(),
                                 FromStructs<Library, bench_types::Citm>, "citm_catalog");
    benchmark::RegisterBenchmark((prefix + "twitter/" + library + "/to_structs").c_str(),
                                 ToStructs<Library, bench_types::Twitter>, "twitter");
    benchmark::RegisterBenchmark((prefix + "twitter/" + library + "/from_structs").c_str(),
                                 FromStructs<Library, bench_types::Twitter>, "twitter");
}

const bool g_registered = [] {
    Register<KivLibrary>();
#if KIVJSON_HAVE_NLOHMANN
    Register<NlohmannLibrary>();
#endif
#if KIVJSON_HAVE_BOOST_JSON
    Register<BoostLibrary>();
#endif
    return true;
}();

}  // namespace
