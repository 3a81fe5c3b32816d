// Builds a small tree by hand, changes it and writes it as compact JSON.
#include <kivJSON/JSONUtil.h>
#include <kivJSON/JSONValue.h>

#include <iostream>

int main() {
    JsonValue order;     // starts as null
    order["id"] = 1042;  // a subscript turns the null into an object
    order["customer"] = JsonValue::StringType("Ada Lovelace");
    order["paid"] = true;
    JsonValue& items = order["items"];  // a new member, null until used
    items[0]["sku"] = JsonValue::StringType("A-17");
    items[0]["price"] = 12.5;
    items[1]["sku"] = JsonValue::StringType("B-3");  // writing one past the end appends
    items[1]["price"] = 4.0;

    double total = 0;
    for (const JsonValue& item : items.AsArray()) {
        double price = 0;
        if (TryGet(item, "price", price)) {
            total += price;
        }
    }
    order["total"] = total;

    std::cout << order.Serialize() << '\n';
    return 0;
}
