// Streaming: count the records of a large array while holding one at a time,
// then write a summary event by event.
#include <kivJSON/JSONEventWriter.h>
#include <kivJSON/JSONReader.h>

#include <iostream>
#include <sstream>

int main() {
    std::stringstream in;  // any std::istream: a file, a pipe, a socket
    in << "[";
    for (int i = 0; i < 100000; ++i) {
        in << (i != 0 ? "," : "") << R"({"id":)" << i << R"(,"tags":["x"],"paid":)"
           << (i % 3 == 0 ? "true" : "false") << "}";
    }
    in << "]";

    JsonReader reader(in);  // reads the stream a chunk at a time
    size_t records = 0, paid = 0;
    if (reader.Next() && reader.Event() == JsonEvent::BeginArray) {
        while (reader.Next() && reader.Depth() != 0) {  // one event per record...
            JsonValue record;
            if (!reader.ReadValue(record)) {  // ...built whole, then dropped
                break;
            }
            ++records;
            paid += record["paid"].AsBool() ? 1 : 0;
        }
    }
    while (reader.Next()) {  // the rest of the document: only whitespace is left
    }
    if (reader.Error()) {
        const JsonParsePosition& at = reader.ErrorPosition();
        std::cerr << "line " << at.line << ", column " << at.column << ": "
                  << reader.Error().message() << "\n";
        return 1;
    }

    JsonEventWriter writer(std::cout, JsonWriteOptions{2});
    writer.BeginObject();
    writer.Key("records");
    writer.Number(JsonNumber(static_cast<unsigned long>(records)));
    writer.Key("paid");
    writer.Number(JsonNumber(static_cast<unsigned long>(paid)));
    writer.EndObject();
    if (!writer.Finish()) {
        std::cerr << writer.Error().message() << "\n";
        return 1;
    }
    std::cout << "\n";
}
