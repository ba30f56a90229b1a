// The add-on boards: the stepper's angle from the winding sequences, the
// DAC's samples, the traffic light's lamps, the inputs the user sets.
#include "Boards.h"

#include <gtest/gtest.h>

namespace {

Board Stepper()
{
    Board board;
    board.Kind = BoardKind::Stepper;
    return board;
}

int AngleAfter(std::initializer_list<std::uint8_t> patterns)
{
    Board board = Stepper();
    for (std::uint8_t pattern : patterns)
        DriveBoard(board, pattern, 0);
    return MeasureStepperAngle(board);
}

TEST(Boards, StepperAngleFromTheWindingSequence)
{
    EXPECT_EQ(AngleAfter({0x01}), 0);
    EXPECT_EQ(AngleAfter({0x01, 0x02}), 18);                   // one full step, one winding at a time
    EXPECT_EQ(AngleAfter({0x01, 0x02, 0x04, 0x08, 0x01}), 72); // four full steps
    EXPECT_EQ(AngleAfter({0x03, 0x06, 0x0C, 0x09}), 63);       // two windings at a time: 0.9 + 3 x 1.8
    EXPECT_EQ(AngleAfter({0x01, 0x03, 0x02}), 18);             // half steps
    EXPECT_EQ(AngleAfter({0x01, 0x08}), 3582);                 // backwards: -1.8 degrees
    EXPECT_EQ(AngleAfter({0x01, 0x04}), 0);                    // opposite windings: no turn
    EXPECT_EQ(AngleAfter({0x01, 0x00, 0x02}), 18);             // all off in between holds the place
    EXPECT_EQ(AngleAfter({0x11, 0x22}), 18);                   // bits 4-7 are not windings
}

TEST(Boards, DacKeepsASampleForEachChange)
{
    Board board;
    board.Kind = BoardKind::Dac;
    DriveBoard(board, 0x00, 10);
    DriveBoard(board, 0x00, 20);
    DriveBoard(board, 0x80, 30);
    DriveBoard(board, 0xFF, 45);
    ASSERT_EQ(board.Samples.size(), 3u);
    EXPECT_EQ(board.Samples[1].State, 30u);
    EXPECT_EQ(board.Samples[1].Value, 0x80);
    EXPECT_EQ(board.Samples[2].State, 45u);
}

TEST(Boards, TrafficLightLamps)
{
    Board board;
    board.Kind = BoardKind::TrafficLight;
    DriveBoard(board, 0x0C, 0);       // north green, east red
    DriveBoard(board, 0x21, 0, true); // south red, west green
    EXPECT_EQ(DescribeTrafficLight(board), "N:G E:R S:R W:G");
    DriveBoard(board, 0x4A, 0); // north amber, east red, walk north-south
    EXPECT_EQ(DescribeTrafficLight(board), "N:A E:R S:R W:G walk NS");
    DriveBoard(board, 0x00, 0);
    EXPECT_EQ(DescribeTrafficLight(board), "N:- E:- S:R W:G");
}

TEST(Boards, SwitchesAndAdcDriveTheirPort)
{
    for (BoardKind kind : {BoardKind::LedsSwitches, BoardKind::Adc}) {
        Board board;
        board.Kind = kind;
        board.Input = 0x5C;
        std::uint8_t value = 0;
        EXPECT_TRUE(ReadBoardInput(board, value));
        EXPECT_EQ(value, 0x5C);
    }
    Board dac;
    dac.Kind = BoardKind::Dac;
    std::uint8_t value = 0;
    EXPECT_FALSE(ReadBoardInput(dac, value));
}

} // namespace
