#include "Pass2Files.h"

#include "Files.h"
#include "OpcodeSizes.h"
#include "SecondPass.h"

int RunPass2OnFiles(const std::string& filename, Messages& messages)
{
    const std::string listingName = filename + ".pass1";
    const std::string symbolFileName = filename + ".sym";
    const std::string machineCodeName = filename + ".hex";

    std::string tableText;
    const std::string tableProblem = ReadWholeFile(_OpcodeTablePath, tableText);
    if (!tableProblem.empty()) {
        ReportWarning(messages, _OpcodeTablePath,
                      0, "cannot read: " + tableProblem + "; instruction sizes are not checked");
    }
    std::string symbolText;
    const std::string symbolProblem = ReadWholeFile(symbolFileName, symbolText);
    if (!symbolProblem.empty()) {
        ReportError(messages, symbolFileName, 0, "cannot read: " + symbolProblem);
    }
    std::string listingText;
    const std::string listingProblem = ReadWholeFile(listingName, listingText);
    if (!listingProblem.empty()) {
        ReportError(messages, listingName, 0, "cannot read: " + listingProblem);
    }

    std::string machineCode;
    if (symbolProblem.empty() && listingProblem.empty()) {
        Pass2Input input{listingName, listingText, symbolFileName, symbolText, _OpcodeTablePath, std::nullopt};
        if (tableProblem.empty()) {
            input.TableText = tableText;
        }
        machineCode = RunSecondPass(input, messages);
    }

    if (messages.Errors > 0) {
        const std::string removeProblem = RemoveFile(machineCodeName);
        if (!removeProblem.empty()) {
            ReportError(messages, machineCodeName, 0, "cannot remove the file of an earlier run: " + removeProblem);
        }
        return 1;
    }
    const std::string writeProblem = WriteFileWhole(machineCodeName, machineCode);
    if (!writeProblem.empty()) {
        ReportError(messages, machineCodeName, 0, "cannot write: " + writeProblem);
        return 1;
    }
    return 0;
}
