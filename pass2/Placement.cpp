#include "Placement.h"

void PlaceBytes(Placement& placement, int address, int count, long line, std::vector<Overlap>& overlaps)
{
    overlaps.clear();
    int previous = -1; // offset of the previous byte that overlapped
    for (int offset = 0; offset < count; ++offset) {
        const int at = (address + offset) & 0xFFFF;
        std::vector<long>& page = placement.LineOf[at / _PlacementPageSize];
        if (page.empty()) {
            page.resize(_PlacementPageSize, 0);
        }
        long& owner = page[at % _PlacementPageSize];
        const long earlier = owner;
        owner = line;
        if (earlier == 0) {
            continue;
        }
        if (!overlaps.empty() && previous == offset - 1 && overlaps.back().EarlierLine == earlier) {
            ++overlaps.back().Count;
        } else {
            overlaps.push_back({at, 1, earlier});
        }
        previous = offset;
    }
}
