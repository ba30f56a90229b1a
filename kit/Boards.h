// The add-on boards of a lab, on a parallel port of a chip: LEDs and
// switches, a traffic light, a stepper motor, a DAC and an ADC. A board sees
// the byte the port drives (DriveBoard) and may drive the port's pins
// (ReadBoardInput); the kit calls both as the program writes and reads the port.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class BoardKind : std::uint8_t { LedsSwitches, TrafficLight, Stepper, Dac, Adc };

// One row per kind of board.
struct BoardKindInfo {
    BoardKind Kind;
    const char* Name;   // as an option names it: "leds", "traffic", "stepper", "dac", "adc"
    bool Drives;        // puts a value on the port (switches, ADC)
    bool Watches;       // looks at what the port drives
    const char* Wiring; // what each bit of the port is
};

inline constexpr BoardKindInfo _BoardKinds[] = {
    {BoardKind::LedsSwitches, "leds", true, true,
     "LED n lights when bit n of the output port is 1; switch n sets bit n of the input port"},
    {BoardKind::TrafficLight, "traffic", false, true,
     "bits 0-2 north red, amber, green; bits 3-5 east red, amber, green; bits 6-7 pedestrian walk north-south and "
     "east-west; a second port the same for south and west"},
    {BoardKind::Stepper, "stepper", false, true, "bits 0-3 drive windings A, B, C, D; 1.8 degrees a full step"},
    {BoardKind::Dac, "dac", false, true, "an 8-bit DAC: 00H is 0 and FFH full scale"},
    {BoardKind::Adc, "adc", true, false, "an 8-bit ADC whose converted value the user sets, read on the input port"},
};

const BoardKindInfo* FindBoardKind(const std::string& name);

// A value the DAC took, and the T-state count at which it took it.
struct DacSample {
    std::uint64_t State = 0;
    std::uint8_t Value = 0;
};

struct Board {
    BoardKind Kind = BoardKind::LedsSwitches;
    std::uint8_t Output = 0;  // the last byte the port drove
    std::uint8_t Output2 = 0; // the traffic light's second port
    std::uint8_t Input = 0;   // switches, or the ADC's value, as the user set them
    int StepperPosition = 0;  // in half steps from the start, clockwise positive
    std::uint8_t StepperPhases = 0;
    std::vector<DacSample> Samples;
};

// The board sees a byte driven on its port (second: the traffic light's
// second port) at T-state count state.
void DriveBoard(Board& board, std::uint8_t value, std::uint64_t state, bool second = false);

// Whether the board drives the port's pins, and with what.
bool ReadBoardInput(const Board& board, std::uint8_t& value);

// The stepper's angle in tenths of a degree, 0 to 3599.
int MeasureStepperAngle(const Board& board);

// The lamps lit, as "N:R E:G S:R W:G" (R, A, G, or - when none; several
// letters when several are lit), with "walk NS" and "walk EW" when lit.
std::string DescribeTrafficLight(const Board& board);
