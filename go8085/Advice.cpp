#include "Advice.h"

#include <algorithm>
#include <cctype>

namespace {

// A source line's words as pass 1 splits them (blanks, tabs and commas
// separate; a quoted string is one word), up to a ';' that starts a word
// or up to and with a word that starts with // or /*.
// Unlike pass 1 they keep their case, and #, $ and the other characters that
// pass 1 takes as comment starts stay in them, since another assembler's
// number syntax is what the advice is about.
std::vector<std::string_view> SplitWords(std::string_view line)
{
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < line.size()) {
        const char c = line[at];
        if (c == ' ' || c == '\t' || c == ',' || c == '\r') {
            ++at;
            continue;
        }
        if (c == ';') {
            break;
        }
        std::size_t end = at + 1;
        if (c == '\'' || c == '"') {
            end = std::min(line.find(c, at + 1), line.size() - 1) + 1;
        } else {
            while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != ',' &&
                   line[end] != '\r') {
                ++end;
            }
        }
        words.push_back(line.substr(at, end - at));
        if (words.back().substr(0, 2) == "//" || words.back().substr(0, 2) == "/*") {
            break; // the rest is a comment in another assembler's syntax
        }
        at = end;
    }
    return words;
}

std::string Upper(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return upper;
}

bool IsNameStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_';
}

bool IsHexDigit(char c)
{
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

// The word in statement position: the first, or the one after a label.
std::string_view StatementWord(const std::vector<std::string_view>& words)
{
    if (words.empty()) {
        return {};
    }
    if (words[0].back() == ':' && words.size() > 1) {
        return words[1];
    }
    return words[0];
}

// Advice for a DS the copy pass 1 reads could not place as DB zeros: a
// count beyond one line of DB, or one not known above the line.
std::string ReserveAdvice(const std::vector<std::string_view>& words, std::string_view keyword)
{
    const auto at = std::find(words.begin(), words.end(), keyword);
    const std::string_view count = at != words.end() && at + 1 != words.end() ? *(at + 1) : std::string_view();
    const std::size_t most = words[0] == keyword ? 15 : 14;
    const bool decimal = !count.empty() && std::all_of(count.begin(), count.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
    if (at + 2 < words.end()) {
        return std::string(keyword) + " with a fill value is another assembler's: write DB and the values";
    }
    if (decimal && count.size() < 6 && std::stoul(std::string(count)) <= most) {
        return {};
    }
    if (decimal || (count.size() > 1 && (count.back() == 'H' || count.back() == 'h') && std::isdigit(count[0]))) {
        return std::string(keyword) + " " + std::string(count) + " reserves more bytes than pass 1 places on one line (" +
               std::to_string(most) +
               " zeros of DB): split it over several lines, or move the address on with ORG on a line of its own";
    }
    return "the count of " + std::string(keyword) + " must be a number, or an EQU constant defined above it, of at most " +
           std::to_string(most) + ": the bytes are placed as zeros of DB on this one line";
}

// A comment that begins with // or /*.
std::string AdviseOnComment(const std::vector<std::string_view>& words)
{
    for (std::string_view word : words) {
        if (word.substr(0, 2) == "//" || word.substr(0, 2) == "/*") {
            return "comments start with ';' in this assembler: write ';' in place of '" +
                   std::string(word.substr(0, 2)) + "'";
        }
    }
    return {};
}

// LOOP:MOV A, M: pass 1 reads LOOP:MOV as one word.
std::string AdviseOnGluedLabel(const std::vector<std::string_view>& words)
{
    if (words.empty()) {
        return {};
    }
    const std::string_view first = words[0];
    const std::size_t colon = first.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon + 1 >= first.size() || !IsNameStart(first[0]) ||
        first[colon + 1] == ':') {
        return {};
    }
    return "put a blank after the colon: " + std::string(first.substr(0, colon + 1)) + " " +
           std::string(first.substr(colon + 1));
}

// Reserving space, as other assemblers do with DS and its kin.
std::string AdviseOnReserve(const std::vector<std::string_view>& words)
{
    const std::string keyword = Upper(StatementWord(words));
    for (const char* reserve : {"DS", ".DS", "DEFS", ".BLKB", "RMB", ".BLOCK", "DS.B"}) {
        if (keyword == reserve) {
            return ReserveAdvice(words, StatementWord(words));
        }
    }
    return {};
}

// A string in DB or DW that the copy pass 1 reads could not give as codes.
std::string AdviseOnString(const std::vector<std::string_view>& words)
{
    const std::string keyword = Upper(StatementWord(words));
    if (keyword != "DB" && keyword != "DW") {
        return {};
    }
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string_view word = words[i];
        if (word.size() < 2 || (word[0] != '\'' && word[0] != '"') || word.back() != word[0]) {
            continue;
        }
        if (keyword == "DW") {
            return "a string in DW is in doubt (which character goes first): write it with DB";
        }
        if (word.size() == 2) {
            return "an empty string places no byte: leave it out";
        }
        if (i + 1 < words.size() && words[i + 1][0] == word[0] && words[i + 1].data() == word.data() + word.size()) {
            return std::string("a quote inside a string is in doubt: write it as its code, ") +
                   (word[0] == '\'' ? "39" : "34");
        }
        if (std::any_of(word.begin(), word.end(), [](char c) { return c != '\t' && (c < ' ' || c >= 0x7F); })) {
            return "a control character or one beyond ASCII in a string is in doubt: write its bytes as numbers";
        }
    }
    std::size_t values = 0;
    bool strings = false;
    for (std::size_t i = words[0] == StatementWord(words) ? 1 : 2; i < words.size(); ++i) {
        const bool string = words[i].size() > 2 && (words[i][0] == '\'' || words[i][0] == '"');
        values += string ? words[i].size() - 2 : 1;
        strings = strings || string;
    }
    if (strings && values > (words[0] == StatementWord(words) ? 15u : 14u)) {
        return "pass 1 places at most 14 values on a line after a label (15 without): split the string over "
               "several DB lines";
    }
    return {};
}

// Directives that begin with a full stop, and other assemblers' spellings
// of the four this one knows.
std::string AdviseOnDirective(const std::vector<std::string_view>& words)
{
    struct Spelling {
        const char* Other;
        const char* Own;
    };
    static const Spelling _Spellings[] = {
        {".ORG", "ORG"}, {".DB", "DB"},    {".BYTE", "DB"}, {"DEFB", "DB"},  {".DEFB", "DB"}, {"DFB", "DB"},
        {".TEXT", "DB"}, {".ASCII", "DB"}, {".DW", "DW"},   {".WORD", "DW"}, {"DEFW", "DW"},  {".DEFW", "DW"},
        {"DFW", "DW"},   {".EQU", "EQU"},  {".SET", "EQU"}, {"SET", "EQU"},  {"DEFL", "EQU"},
    };
    for (std::size_t i = 0; i < words.size() && i < 2; ++i) {
        const std::string word = Upper(words[i]);
        for (const Spelling& spelling : _Spellings) {
            if (word == spelling.Other) {
                return std::string(words[i]) + " is another assembler's spelling: write " + spelling.Own;
            }
        }
        if (word.size() > 1 && word[0] == '.' && IsNameStart(word[1]) && word != ".DS" && word != ".BLKB" &&
            word != ".BLOCK") {
            return std::string(words[i]) +
                   " is a directive of another assembler: this one knows ORG, EQU, DB and DW only, so leave it out";
        }
    }
    return {};
}

// The hexadecimal spelling of digits read in base 16: a leading 0 before a
// letter, and an H.
std::string SpellHexDigits(std::string_view digits)
{
    std::string spelled = Upper(digits);
    if (!spelled.empty() && !std::isdigit(static_cast<unsigned char>(spelled[0]))) {
        spelled.insert(0, "0");
    }
    return spelled + "H";
}

// Numbers in another assembler's syntax: #, $ and 0x.
std::string AdviseOnNumber(const std::vector<std::string_view>& words)
{
    for (std::size_t i = 1; i < words.size(); ++i) {
        std::string_view word = words[i];
        if (word[0] == '#' && word.size() > 1) {
            std::string_view value = word.substr(1);
            std::string written(value);
            if (value[0] == '$' && value.size() > 1 && std::all_of(value.begin() + 1, value.end(), IsHexDigit)) {
                written = SpellHexDigits(value.substr(1));
            } else if (value.size() > 1 && (value.back() == 'H' || value.back() == 'h') && IsNameStart(value[0])) {
                written = "0" + written;
            }
            return "'#' starts a comment in this assembler, so the value after it is lost: write " + written +
                   " without '#'";
        }
        if (word[0] == '$' && word.size() > 1 && std::all_of(word.begin() + 1, word.end(), IsHexDigit)) {
            return "'$' starts a comment in this assembler, so the value after it is lost: write " +
                   SpellHexDigits(word.substr(1)) + " for hexadecimal";
        }
        if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X') &&
            std::all_of(word.begin() + 2, word.end(), IsHexDigit)) {
            return "hexadecimal is written with an H after the digits in this assembler: write " +
                   SpellHexDigits(word.substr(2));
        }
    }
    return {};
}

// $ alone as the address of its own line, as other assemblers take it.
std::string AdviseOnLocationCounter(const std::vector<std::string_view>& words)
{
    for (std::size_t i = 1; i < words.size(); ++i) {
        if (words[i] == "$" || words[i].substr(0, 2) == "$+" || words[i].substr(0, 2) == "$-") {
            return "'$' starts a comment in this assembler, so '$' for the address of this line is lost: put a "
                   "label on the line and name it";
        }
    }
    return {};
}

// 101B and 10D: binary and decimal in other assemblers, hexadecimal here.
std::string AdviseOnSuffix(const std::vector<std::string_view>& words)
{
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string word = Upper(words[i]);
        if (word.size() < 2 || word.size() > 10 || (word.back() != 'B' && word.back() != 'D')) {
            continue;
        }
        const std::string digits = word.substr(0, word.size() - 1);
        const bool binary = word.back() == 'B' && digits.find_first_not_of("01") == std::string::npos;
        const bool decimal = word.back() == 'D' && digits.find_first_not_of("0123456789") == std::string::npos;
        if (binary || decimal) {
            return std::string(words[i]) + " is " + (binary ? "binary" : "decimal") +
                   " in other assemblers and no number here: write " +
                   std::to_string(std::stoul(digits, nullptr, binary ? 2 : 10)) + " in decimal, or " + word +
                   "H for hexadecimal";
        }
    }
    return {};
}

// IF, MACRO and their kin: lines of another assembler's language.
std::string AdviseOnConditional(const std::vector<std::string_view>& words)
{
    const std::string keyword = Upper(StatementWord(words));
    for (const char* other : {"IF", "IFDEF", "IFNDEF", "ELSE", "ENDIF", "MACRO", "ENDM", ".IF", ".ENDIF", ".MACRO",
                              ".ENDM"}) {
        if (keyword == other) {
            return std::string(StatementWord(words)) +
                   " belongs to another assembler's conditions and macros: this one assembles every line as "
                   "written, so keep the lines you want and leave this one out";
        }
    }
    return {};
}

// One row per construct: what finds it and says what to write instead, "" when the line has none.
using AdviseFunction = std::string (*)(const std::vector<std::string_view>& words);
constexpr AdviseFunction _Advice[] = {
    AdviseOnComment,   AdviseOnGluedLabel,      AdviseOnReserve, AdviseOnString,      AdviseOnDirective,
    AdviseOnNumber,    AdviseOnLocationCounter, AdviseOnSuffix,  AdviseOnConditional,
};

} // namespace

std::vector<std::string> FindAdvice(std::string_view sourceLine)
{
    const std::vector<std::string_view> words = SplitWords(sourceLine);
    std::vector<std::string> notes;
    for (AdviseFunction advise : _Advice) {
        std::string note = advise(words);
        if (!note.empty()) {
            notes.push_back(std::move(note));
        }
    }
    return notes;
}

std::string SpellAsHexadecimal(std::string_view token)
{
    if (token.empty() || !std::all_of(token.begin(), token.end(), IsHexDigit) ||
        std::all_of(token.begin(), token.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }) ||
        (IsNameStart(token[0]) && token.size() > 2) || !AdviseOnSuffix({"", token}).empty()) {
        return {};
    }
    return SpellHexDigits(token);
}
