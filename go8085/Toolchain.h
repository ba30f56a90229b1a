// Where Go8085 finds the four programs and the opcode table: beside itself
// and in the installed data directory after an install, or in the build
// tree it was built in.
#pragma once

#include <string>

struct Toolchain {
    std::string Corvane;
    std::string Pass2;
    std::string Tessily;
    std::string Run8085;
    std::string OpcodeTable; // etc/opcodes.txt as shipped
};

// The directory that holds the running program; empty when it cannot be told.
std::string FindOwnDirectory(const char* argv0);

// Fills tools from the places next to ownDirectory. False, with the places
// looked at in error, when a program or the table is in none of them.
bool FindToolchain(const std::string& ownDirectory, Toolchain& tools, std::string& error);
