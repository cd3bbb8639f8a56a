// The game's state machine, the camera orbit and the game keys.
#include "game/game_state.h"

#include <climits>
#include <cmath>

#include "game/blocks.h"
#include "game/player.h"
#include "game/well.h"
#include "scene3d/ka3d.h"
#include "settings/settings.h"
#include "common/keys.h"
#include "common/shell_state.h"

int gameState;
bool firstGameFrame;
float orbitAngle;
float cameraDistance;
bool fastDrop;
int tickCounter;
int wellOffsetX;
int wellOffsetY;
float cameraPosition[3];
float lightPosition[3];

namespace {

constexpr int kCamera = 1;
constexpr int kLight = 1;
// Light 1 stays 45 radians (not degrees) round the vertical axis from the camera.
constexpr float kLightCos = 0.52532199f;
constexpr float kLightSin = 0.85090352f;

// Frames to count for one move of the falling piece: about 30 moves per second.
int TickFrames() {
    if (!(frameDelta > 0.0f)) return 5;
    const double s = 0.03333333333333333 / static_cast<double>(frameDelta);
    return s >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(s);
}

void MoveStep() {
    if (fastDrop) {
        StepPiece();
        return;
    }
    const int s = TickFrames();
    ++tickCounter;
    if (tickCounter >= s) {
        tickCounter = tickCounter - s > 0 ? tickCounter - s : 0;
        StepPiece();
    }
}

}  // namespace

void InitGameState() {
    gameState = GAME_CHOOSE;
    firstGameFrame = true;
    orbitAngle = 0.0f;
    cameraDistance = kCameraStartDistance;
    fastDrop = false;
    tickCounter = 0;
    wellOffsetX = 0;
    wellOffsetY = 0;
    for (int i = 0; i < 3; ++i) cameraPosition[i] = lightPosition[i] = 0.0f;
    piece = Piece{};
    moveCount = -1;
}

void OrbitTo(float angle, float distance) {
    const float t = angle * 3.1415927f * (1.0f / 180.0f);
    const float x = distance * std::sin(t);
    const float y = distance * 0.0f;
    const float z = -distance * std::cos(t);
    cameraPosition[0] = x;
    cameraPosition[1] = y;
    cameraPosition[2] = z;
    ka3D::SetCameraPosition(kCamera, x, y, z);
    ka3D::TurnCamera(kCamera, -angle);
    lightPosition[0] = x * kLightCos - z * kLightSin;
    lightPosition[1] = y;
    lightPosition[2] = x * kLightSin + z * kLightCos;
    ka3D::SetLightPosition(kLight, lightPosition[0], lightPosition[1], lightPosition[2]);
}

void GameOrbitStep() {
    if (firstGameFrame) {
        ka3D::TiltCamera(kCamera, 180.0f);
        firstGameFrame = false;
        ResetWell();
        gameState = GAME_CHOOSE;
        return;
    }
    orbitAngle += static_cast<float>(config.R_SPEED) * 10.0f * frameDelta;
    if (orbitAngle >= 360.0f) {
        orbitAngle -= 360.0f;
    } else if (orbitAngle < 0.0f) {
        orbitAngle += 360.0f;
    }
    // A very long frame can carry the angle more than a turn; keep it in [0, 360).
    if (!(orbitAngle >= 0.0f && orbitAngle < 360.0f)) {
        orbitAngle = std::fmod(orbitAngle, 360.0f);
        if (orbitAngle < 0.0f) orbitAngle += 360.0f;
        if (!(orbitAngle >= 0.0f && orbitAngle < 360.0f)) orbitAngle = 0.0f;
    }
    OrbitTo(orbitAngle, cameraDistance);
}

void GameStateStep() {
    switch (gameState) {
        case GAME_CHOOSE: gameState = ChooseNextPiece() ? GAME_PLAN : GAME_OVER; break;
        case GAME_PLAN: gameState = PlanPath() ? GAME_SHOW : GAME_CHOOSE; break;
        case GAME_SHOW:
            PlacePiece(piece.x, piece.y, piece.kind, piece.state, piece.colour, CELL_PIECE);
            gameState = GAME_MOVE;
            break;
        case GAME_MOVE: MoveStep(); break;
        case GAME_SETTLE:
            PlacePiece(piece.targetX, piece.targetY, piece.kind, piece.targetState, piece.colour,
                       CELL_SETTLED);
            gameState = GAME_ROWS;
            break;
        case GAME_ROWS: gameState = FindFullRows(); break;
        case GAME_FADE:
            if (FadeFullRows(frameDelta)) gameState = GAME_REMOVE;
            break;
        case GAME_REMOVE:
            CollapseRows();
            gameState = GAME_CHOOSE;
            break;
        case GAME_OVER:
            StartGameOver();
            gameState = GAME_OVER_FADE;
            break;
        case GAME_OVER_FADE:
            if (GameOverFade(frameDelta)) gameState = GAME_CHOOSE;
            break;
        default: gameState = GAME_CHOOSE; break;
    }
}

void GameTurnBack() {
    ka3D::TurnCamera(kCamera, orbitAngle);
}

bool GameKeyStep() {
    const int key = heldKey;
    switch (key) {
        case KEY_NONE: return true;
        case KEY_SPACE:  // space: well back in the middle, camera back at its first distance
            cameraDistance = kCameraStartDistance;
            ShiftBlocks(-wellOffsetX, -wellOffsetY, 0);
            wellOffsetX = 0;
            wellOffsetY = 0;
            return true;
        case KEY_PAGE_UP: cameraDistance *= 0.990099f; return true;  // Page Up: closer
        case KEY_PAGE_DOWN: cameraDistance *= 1.01f; return true;    // Page Down: farther
        case KEY_END: fastDrop = true; return true;
        case KEY_HOME: fastDrop = false; return true;
        case KEY_LEFT:
            ShiftBlocks(-1, 0, 0);
            --wellOffsetX;
            return true;
        case KEY_UP:
            ShiftBlocks(0, 1, 0);
            ++wellOffsetY;
            return true;
        case KEY_RIGHT:
            ShiftBlocks(1, 0, 0);
            ++wellOffsetX;
            return true;
        case KEY_DOWN:
            ShiftBlocks(0, -1, 0);
            --wellOffsetY;
            return true;
        default: break;
    }
    // Every key that neither the game nor the key handler uses ends the saver.
    return IsKeyHandlerKey(key);
}
