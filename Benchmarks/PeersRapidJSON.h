// RapidJSON as a benchmark peer: Document::Parse with full precision, Writer
// into a StringBuffer. Its pools get memory through the global operator new
// so that the suite's allocation counters see them.
#pragma once

#if KIVJSON_HAVE_RAPIDJSON
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstring>
#include <new>
#include <stdexcept>
#include <string>

namespace kivbench {

// CrtAllocator's behaviour on operator new instead of malloc.
class RapidNewAllocator {
public:
    static const bool kNeedFree = true;
    void* Malloc(size_t size) { return size != 0 ? ::operator new(size) : nullptr; }
    void* Realloc(void* original, size_t originalSize, size_t newSize) {
        if (newSize == 0) {
            Free(original);
            return nullptr;
        }
        void* grown = ::operator new(newSize);
        if (original != nullptr) {
            std::memcpy(grown, original, originalSize < newSize ? originalSize : newSize);
            Free(original);
        }
        return grown;
    }
    static void Free(void* block) { ::operator delete(block); }
};

struct RapidJsonPeer {
    static constexpr const char* kName = "RapidJSON";
    using Dom = rapidjson::GenericDocument<
        rapidjson::UTF8<>, rapidjson::MemoryPoolAllocator<RapidNewAllocator>, RapidNewAllocator>;

    static Dom Parse(const std::string& text) {
        Dom dom;
        dom.Parse<rapidjson::kParseFullPrecisionFlag>(text.c_str(), text.size());
        if (dom.HasParseError()) {
            throw std::runtime_error("RapidJSON parse error");
        }
        return dom;
    }
    static size_t Serialize(const Dom& dom) {
        rapidjson::StringBuffer buffer;
        rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
        dom.Accept(writer);
        return buffer.GetSize();
    }
    static Dom Copy(const Dom& dom) {
        Dom copy;
        copy.CopyFrom(dom, copy.GetAllocator());
        return copy;
    }
    static bool Equal(const Dom& a, const Dom& b) { return a == b; }
};

}  // namespace kivbench
#endif
