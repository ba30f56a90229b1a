#include "KitComment.h"

#include <cctype>

namespace {

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::string FindKitComment(std::string_view source)
{
    while (!source.empty()) {
        const std::size_t end = source.find('\n');
        std::string_view line = Trim(source.substr(0, end));
        source.remove_prefix(end == std::string_view::npos ? source.size() : end + 1);
        if (line.empty())
            continue;
        if (line.front() != ';')
            return ""; // the first statement: no more top comments
        while (!line.empty() && line.front() == ';')
            line.remove_prefix(1);
        line = Trim(line);
        if (line.size() < 4)
            continue;
        const bool named = (line[0] == 'k' || line[0] == 'K') && (line[1] == 'i' || line[1] == 'I') &&
                           (line[2] == 't' || line[2] == 'T') && line[3] == ':';
        if (!named)
            continue;
        std::string_view name = Trim(line.substr(4));
        std::size_t length = 0;
        while (length < name.size() && std::isalnum(static_cast<unsigned char>(name[length])))
            ++length;
        if (length > 0)
            return std::string(name.substr(0, length));
    }
    return "";
}
