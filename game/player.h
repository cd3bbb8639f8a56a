#pragma once
// The computer player: chooses every piece's kind, colour and resting place, plans a path
// to it by a random walk backwards from the target, and plays the path one move per tick.

#include <cstdint>

constexpr int kMoveCapacity = 1990;

// Move codes: planned backwards / played forwards.
enum MoveCode : uint8_t {
    MOVE_FALL = 0,   // rise / fall
    MOVE_LEFT = 1,   // right / left
    MOVE_RIGHT = 2,  // left / right
    MOVE_TURN = 3,   // turn back / turn
    MOVE_WAIT = 4,
};

extern uint8_t moveList[kMoveCapacity];
// While planning, the number of moves recorded; during playback the index of the next move
// to play, -1 when there is none.
extern int moveCount;

bool ChooseNextPiece();
bool AcceptGap(int x, int y, int kind, int state);
bool PlanPath();
void StepPiece();
