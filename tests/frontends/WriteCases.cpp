// Writes the cases of FrontEndCases.h into a folder, with Run8085's end of
// each, for the test of the page's debugger module under Node
// (debugger_module.mjs). The folder's file `cases` lists them, one a line:
// the subfolder, a tab, the case's name.
//
//   frontend_cases FOLDER
#include "FrontEndCases.h"

#include "support/RunProgram.h"

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fputs("usage: frontend_cases FOLDER\n", stderr);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    CaseSources sources;
    sources.Repository = SOURCE_DIR;
    sources.Go8085 = GO8085_PATH;
    sources.CpuTests = CPU_TESTS_DIR;
    std::vector<FrontEndCase> cases;
    std::vector<std::string> notes;
    std::string error;
    if (!WriteFrontEndCases(sources, folder, cases, notes, error)) {
        std::fprintf(stderr, "frontend_cases: error: %s\n", error.c_str());
        return 1;
    }
    for (const std::string& note : notes)
        std::printf("note: %s\n", note.c_str());
    std::string list;
    for (const FrontEndCase& run : cases) {
        EndState end;
        if (!RunPlain(RUN8085_PATH, run, end, error)) {
            std::fprintf(stderr, "frontend_cases: error: %s: %s\n", run.Name.c_str(), error.c_str());
            return 1;
        }
        list += run.Folder.filename().string() + "\t" + run.Name + "\n";
    }
    WriteFileBytes(folder / "cases", list);
    return 0;
}
