#include "DefaultRegisters.h"

#include <charconv>

std::optional<std::uint16_t> FirstListingAddress(std::string_view listing)
{
    const std::string_view field = listing.substr(0, listing.find_first_of(" \n"));
    long long address = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), address);
    if (field.empty() || error != std::errc() || end != field.data() + field.size()) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(address & 0xFFFF);
}

std::string MakeDefaultRegisterFile(std::uint16_t programCounter)
{
    // The file's words are signed 16-bit values: 0x8000 and up are written
    // as the negative numbers of the same bits.
    const int word = programCounter < 0x8000 ? programCounter : programCounter - 0x10000;
    return "0 0 0 0 0 0 0\n" + std::to_string(word) + " 0\n0 0 0 0 0\n0\n";
}
