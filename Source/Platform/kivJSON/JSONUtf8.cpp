#include <kivJSON/JSONUtf8.h>
#include "internal/Utf8.h"

bool JsonIsUtf8(std::string_view text) noexcept {
    return _Private::IsWellFormedUtf8(text.data(), text.size());
}
