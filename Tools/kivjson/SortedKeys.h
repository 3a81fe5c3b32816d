// --sort-keys: objects written with their members in byte order of the keys.
#pragma once

#include "Streamed.h"

#include <kivJSON/JSONNumber.h>

#include <string>
#include <string_view>
#include <vector>

// Copies a document's events like CopyEvent, but holds each outermost object
// (with all it holds) until its end, then writes it with the members of every
// object in it sorted: by the bytes of the UTF-8 keys (which is code point
// order), duplicates kept in their order. Memory grows with the largest
// object, not with the document: arrays around objects are not held.
class SortedKeysCopier {
public:
    // Takes the reader's current event. False, with the document's problem
    // recorded, as for CopyEvent.
    bool Copy(StreamedDocument& doc, JsonEventWriter& writer);

private:
    // An event, its text or number kept aside so that each takes little room.
    struct Held {
        JsonEvent event;
        bool flag;    // of a Bool
        size_t at;    // of a Key or String, in m_text; of a Number, in m_numbers
        size_t size;  // of a Key or String
        size_t end;   // for a Begin*, the index of its End*
    };

    std::string Text(const Held& held) const { return m_text.substr(held.at, held.size); }

    // Writes the held value that starts at `at` and moves `at` past it.
    bool Write(size_t& at, StreamedDocument& doc, JsonEventWriter& writer);

    std::vector<Held> m_held;
    std::string m_text;  // of the held keys and strings, one after another
    std::vector<JsonNumber> m_numbers;
    std::vector<size_t> m_open;  // indices of the held Begin* not yet ended
};
