// The line lexer: tells comment lines from statements and splits a statement
// line into tokens.
#pragma once

// Rows of a token array, and characters per row (terminator included).
constexpr int _MaxTokens = 16;
constexpr int _MaxTokenLength = 64;

// The characters that begin a comment wherever a token would begin.
extern char _CommentStarts[];

// Tells whether text is empty, holds only blanks and tabs, or has a comment
// start as its first character after them.
bool IsComment(const char* text);

// Splits line into tokens, stored in rows 0 to count-1 of tokens, and returns
// the count (0 to _MaxTokens). Unquoted tokens are upper-cased; a quoted token
// keeps its opening quote, its case and its blanks, and loses its closing
// quote. Every step is traced in the run log.
int Tokenize(const char* line, char tokens[][_MaxTokenLength]);
