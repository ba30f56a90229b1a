// Recognisers of the statement keywords and of labels. Each takes one token
// and writes nothing.
#pragma once

// True when token is not empty and ends in a colon.
bool IsLabel(const char* token);

// True when token is exactly "ORG".
bool IsORG(const char* token);

// True when token is exactly "DB".
bool IsDB(const char* token);

// True when token is exactly "DW".
bool IsDW(const char* token);

// True when token is exactly "EQU".
bool IsEQU(const char* token);
