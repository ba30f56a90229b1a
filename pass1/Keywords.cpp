#include "Keywords.h"

#include <cstring>

bool IsLabel(const char* token)
{
    const std::size_t length = std::strlen(token);
    return length > 0 && token[length - 1] == ':';
}

bool IsORG(const char* token)
{
    return std::strcmp(token, "ORG") == 0;
}

bool IsDB(const char* token)
{
    return std::strcmp(token, "DB") == 0;
}

bool IsDW(const char* token)
{
    return std::strcmp(token, "DW") == 0;
}

bool IsEQU(const char* token)
{
    return std::strcmp(token, "EQU") == 0;
}
