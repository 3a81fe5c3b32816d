// --sort-keys: objects written with their members in byte order of the keys.
#pragma once

#include "Streamed.h"

#include <kivJSON/JSONNumber.h>

#include <string>
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
    struct Held {
        JsonEvent event;
        std::string text;  // of a Key or String
        JsonNumber number;
        bool flag = false;  // of a Bool
        size_t end = 0;     // for a Begin*, the index of its End*
    };

    // Writes the held value that starts at `at` and moves `at` past it.
    bool Write(size_t& at, StreamedDocument& doc, JsonEventWriter& writer);

    std::vector<Held> m_held;
    std::vector<size_t> m_open;  // indices of the held Begin* not yet ended
};
