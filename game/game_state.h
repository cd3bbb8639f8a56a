#pragma once
// The game's state machine and the portable steps of one game frame. The Win32 frame
// (game/win32/game_frame.cpp) runs them in this order around the presentation:
//   GameOrbitStep(); GameStateStep(); PresentGameFrame(); GameTurnBack();
//   if (!GameKeyStep()) Shutdown();

// Game states.
enum GameStateCode {
    GAME_CHOOSE = 1,
    GAME_PLAN = 2,
    GAME_SHOW = 3,
    GAME_MOVE = 4,
    GAME_SETTLE = 5,
    GAME_ROWS = 6,
    GAME_FADE = 7,
    GAME_REMOVE = 8,
    GAME_OVER = 9,
    GAME_OVER_FADE = 10,
};

constexpr float kCameraStartDistance = 65.0f;

extern int gameState;
extern bool firstGameFrame;
extern float orbitAngle;      // degrees, in [0, 360)
extern float cameraDistance;  // D
extern bool fastDrop;         // End on, Home off; the planner reads it too
extern int tickCounter;
extern int wellOffsetX;  // sum of the arrow-key shifts
extern int wellOffsetY;
extern float cameraPosition[3];
extern float lightPosition[3];

// Puts every value above back to its start (the program starts with these values; tests
// call it between cases). The last kind of the piece starts at 0 as well.
void InitGameState();

// First frame: tilts camera 1 over, empties the well and starts with state 1. Every later
// frame: moves camera 1 and light 1 one step along their orbit and turns the camera to face
// the well.
void GameOrbitStep();

// The work of the current state; a new state takes effect in the next frame.
void GameStateStep();

// Camera 1 at `distance` on its orbit at `angle` degrees, turned to face the well, and light 1
// beside it (cameraPosition and lightPosition follow). The orbit step's move.
void OrbitTo(float angle, float distance);

// Undoes the orbit step's turn of camera 1, after the picture has been rendered.
void GameTurnBack();

// Acts on heldKey. False when the key is none of the game's: the saver must end.
bool GameKeyStep();
