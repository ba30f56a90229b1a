// The copy of the source that pass 1 reads under Go8085. It differs from the
// source in two ways only, both keeping every line where it was:
// - CR LF line ends become LF (pass 1 would keep each CR in a line's last
//   token);
// - in `NAME: EQU 5` the colon after the name becomes a blank, so that the
//   line defines the constant NAME, as other assemblers read it (pass 1
//   would define the label NAME and drop the rest of the line).
#pragma once

#include "PassOneLog.h"

#include <string>
#include <string_view>
#include <vector>

struct SourceCopy {
    std::string Text;           // what pass 1 reads
    bool HadCrLf = false;       // some line of the source ended in CR LF
    std::vector<Problem> Notes; // a note at each line whose colon was dropped
};

SourceCopy MakeSourceCopy(std::string_view source);
