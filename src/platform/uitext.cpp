#include "platform/uitext.h"

std::string FillText(std::string_view text, std::initializer_list<std::string_view> args)
{
    std::string filled;
    filled.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            const std::size_t n = std::size_t(text[i + 1] - '1');
            if (n < args.size()) {
                filled += args.begin()[n];
                ++i;
                continue;
            }
        }
        filled += text[i];
    }
    return filled;
}
