#include "Listing.h"

#include <string_view>

// What precedes every field after the address.
constexpr std::string_view _FieldSeparator = "       ";

// Adds one field of text to the record begun.
static void AddTextField(OutputStream& listing, std::string_view text)
{
    WriteText(listing, _FieldSeparator);
    WriteText(listing, text);
}

void WriteInstructionRecord(OutputStream& listing, std::int16_t address, const char tokens[][_MaxTokenLength],
                            int first, int count)
{
    WriteText(listing, Decimal(address));
    for (int i = first; i < count; ++i) {
        AddTextField(listing, tokens[i]);
    }
    EndRecord(listing);
}

void BeginDataRecord(OutputStream& listing, std::int16_t address, const char* keyword)
{
    WriteText(listing, Decimal(address));
    AddTextField(listing, keyword);
}

void AddNumberField(OutputStream& listing, long long number)
{
    AddTextField(listing, Decimal(number));
}

void EndRecord(OutputStream& listing)
{
    WriteLine(listing);
}
