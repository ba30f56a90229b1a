// Advice for the constructs that other assemblers take and this one refuses:
// comments with // or /*, a label glued to its mnemonic, DS, directives and
// numbers in another assembler's syntax. Each note says what to write
// instead; the problem report and Pass2's messages add them at the source
// line they are about.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The notes for one source line as written, one per construct found, in the
// order of the advice table; none for a line that holds none of them.
std::vector<std::string> FindAdvice(std::string_view sourceLine);

// What a hexadecimal number written without its H (3A, FF, 12A3) reads as
// in this assembler's syntax (3AH, 0FFH, 12A3H); empty when token is no such
// number: it must hold a letter A-F, since a run of decimal digits is a
// decimal number, and a word of three or more characters that begins with a
// letter (DEAD, FACE) is taken for a name.
std::string SpellAsHexadecimal(std::string_view token);
