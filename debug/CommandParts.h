// What the command interpreter's files share: the handler's form, the stop
// shown after a motion, and the readers of counts, addresses and formats.
// Commands.cpp holds the table; the handlers live by subject in
// Commands*.cpp.
#pragma once

#include "DebugSession.h"
#include "Expression.h"
#include "Motion.h"

#include <cstdint>
#include <string>

// A handler appends what it prints to session.Output; on a refusal it sets
// error instead and changes nothing.
using Handler = bool (*)(DebugSession& session, const std::string& args, std::string& error);

// Shows a stop: its reason, the two lines, and what display shows.
void ShowStop(DebugSession& session, const StopReport& report);

// COUNT: a positive number, 1 when absent.
bool ReadCount(const DebugSession& session, const std::string& args, std::uint64_t& count, std::string& error);
bool ReadAddress(const DebugSession& session, const std::string& text, std::uint16_t& address, std::string& error);

// The "/FMT" after a command word (print/x, x/4xb), split off args: what
// follows the slash up to the first space; "" when none.
std::string TakeFormat(std::string& args);

// A value as print shows it: format 0 for "0AH (10)", else x d u t c.
bool FormatValue(const ExprValue& value, char format, std::string& text, std::string& error);

std::string Lower(std::string text);

// --- The handlers, by file ---

// CommandsStops.cpp: breakpoints and watchpoints.
bool Break(DebugSession& session, const std::string& args, std::string& error);
bool TemporaryBreak(DebugSession& session, const std::string& args, std::string& error);
bool Watch(DebugSession& session, const std::string& args, std::string& error);
bool ReadWatch(DebugSession& session, const std::string& args, std::string& error);
bool AccessWatch(DebugSession& session, const std::string& args, std::string& error);
bool Delete(DebugSession& session, const std::string& args, std::string& error);
bool Clear(DebugSession& session, const std::string& args, std::string& error);
bool Enable(DebugSession& session, const std::string& args, std::string& error);
bool Disable(DebugSession& session, const std::string& args, std::string& error);
bool Condition(DebugSession& session, const std::string& args, std::string& error);
bool Ignore(DebugSession& session, const std::string& args, std::string& error);
bool Commands(DebugSession& session, const std::string& args, std::string& error);
bool SaveBreakpoints(DebugSession& session, const std::string& args, std::string& error);
bool ShowBreakpoints(DebugSession& session, const std::string& args, std::string& error);
// The commands of breakpoint number, after a stop there.
const DebugBreak* FindBreak(const DebugSession& session, int number);

// CommandsShow.cpp: looking at the machine.
bool Print(DebugSession& session, const std::string& args, std::string& error);
bool Examine(DebugSession& session, const std::string& args, std::string& error);
bool Disassemble(DebugSession& session, const std::string& args, std::string& error);
bool List(DebugSession& session, const std::string& args, std::string& error);
bool Display(DebugSession& session, const std::string& args, std::string& error);
bool Undisplay(DebugSession& session, const std::string& args, std::string& error);
bool ShowDisplays(DebugSession& session, const std::string& args, std::string& error);
bool ShowRegisters(DebugSession& session, const std::string& args, std::string& error);
bool ShowInterrupts(DebugSession& session, const std::string& args, std::string& error);
bool ShowPorts(DebugSession& session, const std::string& args, std::string& error);
bool ShowRecord(DebugSession& session, const std::string& args, std::string& error);
bool ShowLine(DebugSession& session, const std::string& args, std::string& error);
bool ShowFrame(DebugSession& session, const std::string& args, std::string& error);
bool Backtrace(DebugSession& session, const std::string& args, std::string& error);
bool SelectFrame(DebugSession& session, const std::string& args, std::string& error);
bool FrameUp(DebugSession& session, const std::string& args, std::string& error);
bool FrameDown(DebugSession& session, const std::string& args, std::string& error);
// The display lines shown at a stop.
std::string FormatDisplays(const DebugSession& session);
