// What Pass2 tells about operands written the way other assemblers read
// them: a ';' glued to an operand, a four-digit decimal address that was
// likely meant as hexadecimal, and a hexadecimal number without its H.
#pragma once

#include "Listing.h"
#include "SymbolFile.h"

#include <string>

// A ';' inside an unquoted operand (INX B;POINT, CMP C; IF EQUAL): pass 1
// keeps it in the token, but it starts a comment as in every other
// assembler. Cuts the record's fields before it and returns the warning, or
// "" when the record has none.
std::string CutGluedComment(ListingRecord& record);

// The warning for an instruction that takes an address (LDA, STA, LHLD,
// SHLD, LXI, the jumps and calls) whose operand is four decimal digits that
// read differently as hexadecimal (LDA 5000), or "".
std::string CheckDecimalAddress(const ListingRecord& record);

// The note for an instruction whose value holds a hexadecimal number
// written without its H (MVI A, 3A; LXI H, 12A3; MVI A, FF), or "". A
// word of three or more characters that begins with a letter (DEAD, ADD1)
// is taken for a name and gets no note.
std::string AdviseOnHexadecimal(const ListingRecord& record, const SymbolTable& symbols);
