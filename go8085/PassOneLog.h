// The problem report of pass 1: reads the run log that Corvane wrote and
// turns every problem it recorded into one compiler-style line, numbered by
// the source line it belongs to.
#pragma once

#include <string>
#include <string_view>
#include <vector>

enum class Severity { Warning, Error, Note };

struct Problem {
    int Line = 0; // source line, counted from 1; 0 for the opcode table
    Severity Kind = Severity::Error;
    std::string Text; // what is wrong, without file, line or severity
};

// Every problem of one pass-1 run log, in the order of the source.
std::vector<Problem> ReadPassOneLog(std::string_view logText);

// One problem as the user sees it: "prog.asm:12: error: ...", or
// "etc/opcodes.txt: warning: ..." for the opcode table (Line 0).
std::string FormatProblem(const Problem& problem, std::string_view sourceName, std::string_view tableName);

// The number of problems of the given kind.
int CountProblems(const std::vector<Problem>& problems, Severity kind);
