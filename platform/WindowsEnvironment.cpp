#include "platform/WindowsEnvironment.h"

namespace qv {

std::optional<std::string> WindowsEnvironment::Expand(std::string_view text) {
    return ExpandWith(text, &WindowsEnvironment::Variable);
}

std::optional<std::string>
WindowsEnvironment::ExpandWith(std::string_view text,
                               const std::function<std::optional<std::string>(std::string_view)>& lookup) {
    std::string expanded;
    while (!text.empty()) {
        const std::size_t open = text.find('%');
        const std::size_t close = open == std::string_view::npos ? open : text.find('%', open + 1);
        if (close == std::string_view::npos) {
            expanded += text;
            break;
        }
        expanded += text.substr(0, open);
        const std::string_view name = text.substr(open + 1, close - open - 1);
        if (name.empty()) {
            // "%%" names nothing: the first '%' stays, the second may open a name.
            expanded += '%';
            text.remove_prefix(open + 1);
            continue;
        }
        const std::optional<std::string> value = lookup(name);
        if (!value)
            return std::nullopt;
        expanded += *value;
        text.remove_prefix(close + 1);
    }
    return expanded;
}

} // namespace qv
