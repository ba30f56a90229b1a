#include "Lexer.h"

#include "RunLog.h"

#include <cstddef>
#include <cstring>

/* Global state of the lexer */
char _CommentStarts[] = ";#$!~`%*"; // in the order they are tested

// Tells whether c is a blank for the comment test: space or tab.
static bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Tells whether c separates tokens: space, tab or comma.
static bool IsSeparator(char c)
{
    return c == ' ' || c == '\t' || c == ',';
}

// Tells whether c opens a quoted token.
static bool IsQuote(char c)
{
    return c == '"' || c == '\'';
}

// Tells whether c is one of the comment starts.
static bool IsCommentStart(char c)
{
    return c != '\0' && std::strchr(_CommentStarts, c) != nullptr;
}

// Upper-cases a to z only, whatever the locale.
static char ToUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsComment(const char* text)
{
    while (IsBlank(*text)) {
        ++text;
    }
    return *text == '\0' || IsCommentStart(*text);
}

// Ends the token held in row, after noting in the log a token cut to fit.
static void FinishToken(char* row, std::size_t stored, bool cut)
{
    row[stored] = '\0';
    if (cut) {
        LogLine({"Token longer than 63 characters: only its first 63 are kept"});
    }
    LogLine({"Found Token ", row});
}

// unquoted-token ::= token-char { token-char }
// token-char     ::= any character but space, tab, comma and the terminator
// Reads the token starting at pos into row and returns the position after it.
static std::size_t ReadUnquotedToken(const char* line, std::size_t pos, char* row)
{
    std::size_t stored = 0;
    bool cut = false;
    for (; line[pos] != '\0' && !IsSeparator(line[pos]); ++pos) {
        if (stored < _MaxTokenLength - 1) {
            row[stored++] = ToUpper(line[pos]);
        } else {
            cut = true;
        }
    }
    FinishToken(row, stored, cut);
    return pos;
}

// quoted-token ::= quote { any character but that quote } [ that quote ]
// Reads the token starting at the quote at pos into row, without its closing
// quote, and returns the position after it.
static std::size_t ReadQuotedToken(const char* line, std::size_t pos, char* row)
{
    const char quote = line[pos];
    std::size_t stored = 0;
    bool cut = false;
    row[stored++] = quote;
    for (++pos; line[pos] != '\0' && line[pos] != quote; ++pos) {
        if (stored < _MaxTokenLength - 1) {
            row[stored++] = line[pos];
        } else {
            cut = true;
        }
    }
    if (line[pos] == quote) {
        ++pos;
    } else {
        LogLine({"*****ERROR: String Token without Matching Closure"});
    }
    FinishToken(row, stored, cut);
    return pos;
}

int Tokenize(const char* line, char tokens[][_MaxTokenLength])
{
    LogLine({"Tokenizing ", line});
    const std::size_t length = std::strlen(line);
    int count = 0;
    std::size_t pos = 0;
    while (line[pos] != '\0' && pos < length) {
        const char c = line[pos];
        if (IsSeparator(c)) {
            ++pos;
            continue;
        }
        if (!IsQuote(c) && IsComment(line + pos)) {
            LogLine({"Remaining Part is Comment"});
            return count;
        }
        if (count == _MaxTokens) {
            LogLine({"More than 16 tokens: the rest of the line is ignored"});
            return count;
        }
        pos = IsQuote(c) ? ReadQuotedToken(line, pos, tokens[count]) : ReadUnquotedToken(line, pos, tokens[count]);
        ++count;
    }
    return count;
}
