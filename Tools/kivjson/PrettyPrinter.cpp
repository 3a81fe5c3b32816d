#include "PrettyPrinter.h"

#include <vector>

namespace {

struct OpenContainer {
    const JsonValue* value;
    size_t next;  // index of the next element or member to write
};

// Writes a scalar or an empty container whole; opens a non-empty container.
void WriteOrOpen(const JsonValue& value, std::vector<OpenContainer>& open, std::string& out) {
    if (value.Size() == 0 || !(value.IsArray() || value.IsObject())) {
        value.Format(out);
        return;
    }
    out += value.IsArray() ? '[' : '{';
    open.push_back({&value, 0});
}

void NewLine(size_t depth, size_t indent, std::string& out) {
    out += '\n';
    out.append(depth * indent, ' ');
}

}  // namespace

void AppendPretty(const JsonValue& value, size_t indent, std::string& out) {
    std::vector<OpenContainer> open;
    WriteOrOpen(value, open, out);
    while (!open.empty()) {
        const JsonValue& container = *open.back().value;
        const size_t index = open.back().next++;
        if (index == container.Size()) {
            open.pop_back();
            NewLine(open.size(), indent, out);
            out += container.IsArray() ? ']' : '}';
            continue;
        }
        if (index > 0) {
            out += ',';
        }
        NewLine(open.size(), indent, out);
        if (container.IsArray()) {
            WriteOrOpen(container.At(index), open, out);
        } else {
            const JsonObject::Member& member = *(container.AsObject().Begin() + index);
            // Keys are escaped like string values; the writer offers no other way in.
            JsonValue::StringType(member.first).Format(out);
            out += ": ";
            WriteOrOpen(member.second, open, out);
        }
    }
}
