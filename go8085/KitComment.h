// The kit a source names in a comment at its top, as "; kit: sdk85": a
// source written for a trainer kit runs with it (Run8085 --kit) without
// the option. Only the comment lines before the first statement count.
#pragma once

#include <string>
#include <string_view>

// The kit's name (as written), or "" when the top comments name none.
std::string FindKitComment(std::string_view source);
