// Tessily: builds the starting image of the simulator.
//
//   Tessily <RegDataFile> <AssembledFile> <OutFile>
//
// Reads the register data file into the register and flag fields of one
// MachineImage record, loads the machine-code file into its cleared 64 KiB of
// memory, and writes the whole record, 65,560 bytes, to OutFile. Both inputs
// are read and closed before OutFile is opened, so OutFile may name one of
// them. The exit status is 0 on every path.

#include "ImageFile.h"
#include "MachineCode.h"
#include "MachineImage.h"
#include "Messages.h"
#include "RegisterFile.h"

// Checks the command line, fills the image from the two inputs and writes it.
int main(int argc, char* argv[])
{
    if (argc < 4) {
        PrintUsage();
        return 0;
    }
    const char* registerFileName = argv[1];
    const char* machineCodeFileName = argv[2];
    const char* imageFileName = argv[3];

    // Zero-filled at start-up: fields the register data file does not set stay 0.
    static MachineImage image{};
    ReadREGSandFLAGS(registerFileName, image.Registers, image.Word1, image.Word2, image.Flags, image.ExtraFlag);
    ReadMachineCode(machineCodeFileName, image.Memory);
    WriteImageFile(imageFileName, image);
    return 0;
}
