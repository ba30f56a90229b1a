// A small program with its source map for the debugger's fuzz targets: a
// counted loop that calls a subroutine, at 2000H.
#pragma once

#include "DebugSession.h"

#include <memory>
#include <string_view>

constexpr std::string_view _DebugProgramMap = "source-map 1\n"
                                              "source prog.asm\n"
                                              "text \tORG 2000H\n"
                                              "text \tLXI SP, 3000H\n"
                                              "text \tMVI B, 5\n"
                                              "text LOOP:\tDCR B\n"
                                              "text \tCALL SUB\n"
                                              "text \tJNZ LOOP\n"
                                              "text \tHLT\n"
                                              "text SUB:\tPUSH B\n"
                                              "text \tPOP B\n"
                                              "text \tRET\n"
                                              "record 1 2 2000 3 code\n"
                                              "record 2 3 2003 2 code\n"
                                              "record 3 4 2005 1 code\n"
                                              "record 4 5 2006 3 code\n"
                                              "record 5 6 2009 3 code\n"
                                              "record 6 7 200C 1 code\n"
                                              "record 7 8 200D 1 code\n"
                                              "record 8 9 200E 1 code\n"
                                              "record 9 10 200F 1 code\n"
                                              "label 2005 LOOP\n"
                                              "label 200D SUB\n";

// A session at the program's first instruction, with a step limit that keeps
// every run short and a small history.
inline std::unique_ptr<DebugSession> StartDebugProgram()
{
    static constexpr unsigned char _Code[] = {0x31, 0x00, 0x30, 0x06, 0x05, 0x05, 0xCD, 0x0D,
                                              0x20, 0xC2, 0x05, 0x20, 0x76, 0xC5, 0xC1, 0xC9};
    auto first = std::make_unique<CpuState>();
    for (unsigned i = 0; i < sizeof _Code; ++i)
        first->Memory[0x2000 + i] = _Code[i];
    first->PC = 0x2000;
    MachineOptions options;
    options.MaxSteps = 2000;
    auto session = std::make_unique<DebugSession>();
    session->History.HistoryBytes = std::uint64_t{1} << 20;
    LoadDebugSession(*session, *first, options);
    return session;
}

// Whether text is fit for a terminal: lines of printable characters and tabs
// (bytes above 7FH pass, as UTF-8), each ended by a line feed.
inline bool IsPlainTranscript(std::string_view text)
{
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\n' && c != '\t') || byte == 0x7F)
            return false;
    }
    return text.empty() || text.back() == '\n';
}
