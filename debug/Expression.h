// The debugger's expressions, locations and value formats.
//
//   EXPR      := SUM [COMPARE SUM]        COMPARE: == != < > <= >=
//   SUM       := ['-'] TERM {('+'|'-') TERM}
//   TERM      := NUMBER | NAME | '[' EXPR ']' | '(' EXPR ')'
//
// A NUMBER is decimal (12), or hexadecimal with an H suffix (2050H, 0FFH) or
// a 0x prefix. A NAME is a label of the source map, a row of the core's
// register table (Registers.h: A B C D E H L, BC DE HL SP PC PSW, the flags
// S Z AC P CY, and V K on the 8085), M for [HL], or the interrupt state (IE,
// and on the 8085 the masks M55 M65 M75, the pending I55 I65 I75, SID and
// SOD), in any case; a label comes first, and $NAME is always the
// machine's ($A, $PC, $K). [ADDR] is the memory byte at ADDR.
#pragma once

#include "DebugSession.h"
#include "Registers.h"

#include <cstdint>
#include <string>
#include <string_view>

struct ExprValue {
    std::int64_t Value = 0;
    int Width = 2; // 0 a flag or truth value, 1 a byte, 2 a word
};

// notes, when given, gets a "note: ..." line for each name that is both a
// label and a register or flag (the label is taken; $NAME is the machine's).
bool EvaluateExpression(const DebugSession& session, std::string_view text, ExprValue& value, std::string& error,
                        std::string* notes = nullptr);

// The register, pair or flag that text names (in any case, spaces around
// it ignored), from the core's register table; null when none.
const RegisterInfo* FindRegister(std::string_view text);

// A register's width as ExprValue::Width counts it.
int ExprWidth(const RegisterInfo& row);

// The label named name, in any case; null when none.
const MappedLabel* FindLabel(const DebugSession& session, std::string_view name);

// LOCATION: a source line (12, prog.asm:12), a label, or an address EXPR.
bool ResolveLocation(const DebugSession& session, std::string_view text, std::uint16_t& address, std::string& error,
                     std::string* notes = nullptr);

// 2050H, 0AH: hexadecimal with an H suffix and a leading 0 before a letter.
std::string FormatHex(std::uint32_t value, int digits);

std::string Trim(std::string_view text);
