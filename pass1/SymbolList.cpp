#include "SymbolList.h"

#include "Console.h"
#include "OutputFile.h"
#include "RunLog.h"

#include <cstring>
#include <new>

/* Global state of the symbol list */
SymbolListNode* SymbolList = nullptr; // newest first; null when empty
std::int32_t SymbolCount = 0;         // symbols added during the run

// The largest size a symbol may have.
constexpr std::uint32_t _MaxSymbolSize = 2;

void Append(const char* name, std::int32_t size, SymbolData value)
{
    if (static_cast<std::uint32_t>(size) > _MaxSymbolSize) {
        LogLine(
            {"CRITICAL ERROR: Unable to add Symbol. Size of symbol cannot  be greater than ", Decimal(_MaxSymbolSize)});
        return;
    }
    auto* node = new (std::nothrow) SymbolListNode;
    if (node == nullptr) {
        LogLine({"FATAL ERROR: Unable to allocate memory for Symbol"});
        return;
    }
    const std::size_t length = strnlen(name, _MaxSymbolNameSize - 1);
    std::memcpy(node->Name, name, length);
    node->Name[length] = '\0';
    node->Size = size;
    node->Value = value;
    node->Next = SymbolList;
    SymbolList = node;
    ++SymbolCount;
    LogLine({"Added Symbol: ", node->Name, " to Symbol List"});
    LogLine({"Symbol Count: ", Decimal(SymbolCount)});
}

// Writes one symbol-file line for node.
static void WriteSymbolLine(OutputStream& file, const SymbolListNode& node)
{
    const long long value = node.Size == 1 ? node.Value.Byte : node.Value.Word;
    WriteText(file, node.Name);
    WriteText(file, " \t ");
    WriteText(file, Decimal(node.Size));
    WriteText(file, " \t ");
    WriteText(file, Decimal(value));
    WriteLine(file);
}

void WriteToSymbolFile(const SymbolListNode* head, const char* fileName, std::initializer_list<FileIdentity> keepIntact)
{
    OutputStream file;
    if (!CreateOutputFile(file, fileName, keepIntact)) {
        ReportUnableToOpen(fileName);
        return;
    }
    for (const SymbolListNode* node = head; node != nullptr; node = node->Next) {
        WriteSymbolLine(file, *node);
    }
    if (!CloseOutputFile(file)) {
        ReportUnableToWrite(fileName);
    }
}

void CleanSymbolList(SymbolListNode* head)
{
    while (head != nullptr) {
        SymbolListNode* next = head->Next;
        delete head;
        head = next;
    }
}
