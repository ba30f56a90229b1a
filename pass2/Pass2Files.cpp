#include "Pass2Files.h"

#include "OpcodeSizes.h"
#include "SecondPass.h"
#include "WholeFile.h"

int RunPass2OnFiles(const std::string& filename, Messages& messages)
{
    const std::string listingName = filename + ".pass1";
    const std::string symbolFileName = filename + ".sym";
    const std::string machineCodeName = filename + ".hex";

    std::string tableText;
    std::string tableProblem;
    if (!ReadWholeFile(_OpcodeTablePath, tableText, tableProblem)) {
        ReportWarning(messages, _OpcodeTablePath, 0,
                      "cannot read: " + tableProblem + "; instruction sizes are not checked");
    }
    std::string symbolText;
    std::string symbolProblem;
    if (!ReadWholeFile(symbolFileName, symbolText, symbolProblem)) {
        ReportError(messages, symbolFileName, 0, "cannot read: " + symbolProblem);
    }
    std::string listingText;
    std::string listingProblem;
    if (!ReadWholeFile(listingName, listingText, listingProblem)) {
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
        std::string removeProblem;
        if (!RemoveFile(machineCodeName, removeProblem)) {
            ReportError(messages, machineCodeName, 0, "cannot remove the file of an earlier run: " + removeProblem);
        }
        return 1;
    }
    std::string writeProblem;
    if (!WriteWholeFile(machineCodeName, machineCode, writeProblem)) {
        ReportError(messages, machineCodeName, 0, "cannot write: " + writeProblem);
        return 1;
    }
    return 0;
}
