// Parses a document and reads typed fields with the lookup helpers, which
// report absence and wrong types by their result instead of throwing.
// Usage: read_fields [FILE]   (default: sample.json in the current folder)
#include <kivJSON/JSONUtil.h>
#include <kivJSON/JSONValue.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : "sample.json";
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::cerr << "cannot open " << path << '\n';
        return 2;
    }
    std::error_code error;
    const JsonValue order = JsonValue::Parse(file, error);  // reads the stream's buffer directly
    if (error) {
        std::cerr << path << ": " << error.message() << '\n';
        return 1;
    }

    int number = 0;
    TryGet(order, "order", number);  // int: integer kinds only

    // TryGetRef copies nothing; the reference points into `order`.
    const JsonValue& customer = TryGetRef(order, "customer");
    std::string name = "(unknown)";
    bool vip = false;
    TryGet(customer, "name", name);
    TryGet(customer, "vip", vip);
    std::cout << "order " << number << " for " << name << (vip ? " (VIP)" : "") << '\n';

    // The pointer forms give containers without copying them either.
    const JsonArray* items = nullptr;
    if (!TryGet(order, "items", &items)) {
        std::cerr << "no items\n";
        return 1;
    }
    double total = 0;
    for (const JsonValue& item : *items) {
        std::string title;
        int quantity = 1;
        TryGet(item, "title", title);
        TryGet(item, "quantity", quantity);
        // "price" is a Double in one item and an integer in another: a double
        // lookup accepts only the Double kind, so fall back to the number itself.
        const JsonValue& price = TryGetRef(item, "price");
        const double each = price.IsNumber() ? price.AsDouble() : 0.0;
        total += quantity * each;
        std::printf("  %d x %s at %.2f\n", quantity, title.c_str(), each);
    }

    // A member that is absent, or present with another type, leaves the output alone.
    std::string tracking = "(none yet)";
    TryGet(TryGetRef(order, "shipping"), "tracking", tracking);  // null: not a string
    double percent = 0;
    TryGet(TryGetRef(order, "discount"), "percent", percent);
    std::printf("total %.2f, %.0f%% off, tracking %s\n", total, percent * 100, tracking.c_str());

    // The full 64-bit range and the kind are in the JsonNumber.
    const JsonNumber warehouse = TryGetRef(order, "warehouse_id").AsNumber();
    std::cout << "warehouse " << warehouse.m_value << " (kind "
              << (warehouse.GetKind() == JsonNumber::Uint64 ? "Uint64" : "other") << ")\n";
    return 0;
}
