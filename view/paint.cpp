// Painting the whole board: the title picture as the background, the ladder
// from tiles, the numbered balls above the poles and every runner's trail.
// The hand pointer and the balls under the arrival poles belong to the
// animation and are not repainted here.
#include "resource.h"
#include "runner.h"
#include "view/view.h"

namespace {

// Where each cell code's tile sits in the tile strip; -1 for codes that show
// the background.
int TileX(CellCode code) {
    switch (code) {
        case CELL_TOP:
            return 0;
        case CELL_BOTTOM:
            return 10;
        case CELL_POLE:
            return 20;
        case CELL_RUNG_LEFT:
            return 30;
        case CELL_RUNG_MID:
            return 40;
        case CELL_RUNG_RIGHT:
            return 50;
        default:
            return -1;
    }
}

HINSTANCE BoundInstance(const LadderBoard* board) {
    HINSTANCE* instance = GetInstanceRef(board->binding);
    return instance != nullptr ? *instance : nullptr;
}

void PaintTitlePicture(HDC target, HINSTANCE instance, const RECT& client) {
    HBITMAP picture = LoadBitmapW(instance, MAKEINTRESOURCEW(IDB_TITLE));
    HDC source = CreateCompatibleDC(target);
    HGDIOBJ previous = SelectObject(source, picture);
    BitBlt(target, 0, 0, client.right, client.bottom, source, 0, 0, SRCCOPY);
    SelectObject(source, previous);
    DeleteObject(picture);
    DeleteDC(source);
}

void PaintTrails(LadderBoard* board, HDC target) {
    // In index order, so where trails share a rung the higher-numbered
    // runner's lies on top.
    for (int i = 0; i < board->playerCount; ++i) {
        DrawTrail(board->runners[i], target);
    }
}

// Keeps what the screen shows above each pole head, balls included, so the
// animation can wipe the hand pointer by copying it back.
void TakeSnapshot(LadderBoard* board, HDC target) {
    g_snapDC = CreateCompatibleDC(target);
    g_snapBitmap = CreateCompatibleBitmap(target, MAX_RUNNERS * HAND_WIDTH, HAND_HEIGHT);
    g_snapOldBitmap = SelectObject(g_snapDC, g_snapBitmap);
    for (int k = 0; k < board->playerCount; ++k) {
        BitBlt(g_snapDC, HAND_WIDTH * k, 0, HAND_WIDTH, HAND_HEIGHT, target, PoleX(board, k),
               board->originY - HAND_HEIGHT, SRCCOPY);
    }
    g_surfacesCached = 1;
}

}  // namespace

void DrawTrail(const Runner& runner, HDC target) {
    HPEN pen = CreatePen(PS_SOLID, runner.penWidth, runner.color);
    HGDIOBJ previous = SelectObject(target, pen);
    Polyline(target, runner.trail, runner.pointCount);
    SelectObject(target, previous);
    DeleteObject(pen);
}

void PaintBoard(LadderBoard* board, HDC* dc) {
    if (board == nullptr || board->binding == nullptr) {
        return;
    }
    PaintContext context = {};
    HDC target = *dc;
    HWND* window = GetWindowRef(board->binding);
    const HINSTANCE instance = BoundInstance(board);

    RECT client = {};
    GetClientRect(window != nullptr ? *window : nullptr, &client);

    PaintTitlePicture(target, instance, client);
    if (board->state == BOARD_TITLE) {
        return;
    }

    if (g_surfacesCached == 0) {
        g_ballDC = CreateCompatibleDC(target);
        g_ballBitmap = LoadBitmapW(instance, MAKEINTRESOURCEW(IDB_BALLS));
        g_ballOldBitmap = SelectObject(g_ballDC, g_ballBitmap);
    }
    context.dc = target;

    board->originX = (client.right - board->gridWidth * board->cellWidth - client.left) / 2;
    board->originY = BOARD_TOP;
    PaintLadder(board, &context, board->originX, BOARD_TOP);
    PaintTrails(board, target);

    if (g_surfacesCached == 0) {
        TakeSnapshot(board, target);
    }
}

void PaintLadder(LadderBoard* board, PaintContext* context, int x0, int y0) {
    if (board == nullptr || board->cells == nullptr || board->binding == nullptr) {
        return;
    }
    HDC target = context->dc;

    HBITMAP tiles = LoadBitmapW(BoundInstance(board), MAKEINTRESOURCEW(IDB_TILES));
    HDC source = CreateCompatibleDC(target);
    HGDIOBJ previous = SelectObject(source, tiles);
    for (int r = 0; r < board->gridHeight; ++r) {
        for (int j = 0; j < board->gridWidth; ++j) {
            const int tileX = TileX(*CellAt(board, j, r));
            if (tileX < 0) {
                continue;
            }
            TransparentImage(target, x0 + j * board->cellWidth, y0 + r * board->cellHeight, board->cellWidth,
                             board->cellHeight, source, tileX, 0, board->cellWidth, board->cellHeight,
                             board->transparentColor);
        }
    }
    SelectObject(source, previous);
    DeleteObject(tiles);
    DeleteDC(source);

    // Each ball stands 3 pixels left of its pole's column, centred over the
    // pole bar, and covers the pole's top cap.
    for (int i = 0; i < board->playerCount; ++i) {
        TransparentImage(target, PoleX(board, i) - BALL_WIDTH / 4 + 1,
                         board->originY - BALL_HEIGHT + 7, BALL_WIDTH, BALL_HEIGHT, g_ballDC, BALL_WIDTH * i, 0,
                         BALL_WIDTH, BALL_HEIGHT, board->transparentColor);
    }
}
