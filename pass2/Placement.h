// Which listing record placed each byte of the 64 KiB, so that bytes placed
// twice can be reported.
#pragma once

#include <vector>

// Addresses per page of the record; a page is allocated when first touched,
// so that a short listing costs little.
constexpr int _PlacementPageSize = 256;

struct Placement {
    // Per page, the line of the record that placed each byte; 0: not placed.
    std::vector<std::vector<long>> LineOf = std::vector<std::vector<long>>(65536 / _PlacementPageSize);
};

// A run of addresses that an earlier record had placed already.
struct Overlap {
    int First = 0;        // first address of the run
    int Count = 0;        // addresses in the run (it may wrap past FFFFH)
    long EarlierLine = 0; // the record that placed them
};

// Records count bytes from address on (wrapping past FFFFH) as placed by the
// record on line, and sets overlaps to the runs that earlier records had
// placed, one run per earlier record and stretch of addresses.
void PlaceBytes(Placement& placement, int address, int count, long line, std::vector<Overlap>& overlaps);
