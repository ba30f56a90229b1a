// The add-on boards.
#include "Boards.h"

namespace {

// Where a winding pattern puts the rotor, in half steps 0-7 of one turn of
// the four phases: one winding n is at 2n, two neighbouring windings
// between them. Other patterns (none, opposite windings) hold no position.
int PhasePosition(std::uint8_t phases)
{
    switch (phases & 0x0F) {
    case 0x1: return 0;
    case 0x3: return 1;
    case 0x2: return 2;
    case 0x6: return 3;
    case 0x4: return 4;
    case 0xC: return 5;
    case 0x8: return 6;
    case 0x9: return 7;
    default: return -1;
    }
}

void MoveStepper(Board& board, std::uint8_t phases)
{
    const int from = PhasePosition(board.StepperPhases);
    const int to = PhasePosition(phases);
    board.StepperPhases = phases & 0x0F;
    if (to < 0)
        return;
    if (from < 0) {
        // The first pattern pulls the rotor to the nearest position: count
        // from half step 0.
        board.StepperPosition += to <= 4 ? to : to - 8;
        return;
    }
    int delta = (to - from + 8) % 8;
    if (delta > 4)
        delta -= 8;
    if (delta == 4 || delta == -4)
        return; // opposite phases: the rotor does not know which way to turn
    board.StepperPosition += delta;
}

std::string Lamps(std::uint8_t bits)
{
    std::string text;
    if (bits & 1)
        text += 'R';
    if (bits & 2)
        text += 'A';
    if (bits & 4)
        text += 'G';
    return text.empty() ? "-" : text;
}

} // namespace

const BoardKindInfo* FindBoardKind(const std::string& name)
{
    for (const auto& row : _BoardKinds)
        if (name == row.Name)
            return &row;
    return nullptr;
}

void DriveBoard(Board& board, std::uint8_t value, std::uint64_t state, bool second)
{
    switch (board.Kind) {
    case BoardKind::TrafficLight: (second ? board.Output2 : board.Output) = value; return;
    case BoardKind::Stepper:
        board.Output = value;
        MoveStepper(board, value);
        return;
    case BoardKind::Dac:
        if (!board.Samples.empty() && board.Samples.back().Value == value)
            return; // the output did not change
        board.Output = value;
        board.Samples.push_back({state, value});
        return;
    default: board.Output = value; return;
    }
}

bool ReadBoardInput(const Board& board, std::uint8_t& value)
{
    if (board.Kind != BoardKind::LedsSwitches && board.Kind != BoardKind::Adc)
        return false;
    value = board.Input;
    return true;
}

int MeasureStepperAngle(const Board& board)
{
    // A half step is 0.9 degrees.
    const int tenths = (board.StepperPosition * 9) % 3600;
    return tenths < 0 ? tenths + 3600 : tenths;
}

std::string DescribeTrafficLight(const Board& board)
{
    std::string text = "N:" + Lamps(board.Output & 7) + " E:" + Lamps((board.Output >> 3) & 7) +
                       " S:" + Lamps(board.Output2 & 7) + " W:" + Lamps((board.Output2 >> 3) & 7);
    if (board.Output & 0x40)
        text += " walk NS";
    if (board.Output & 0x80)
        text += " walk EW";
    return text;
}
