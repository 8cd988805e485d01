// What the browser tests know about the game's screen, shared by the tests
// of every engine: where the buttons are, the runners' colours, and how to
// read a board's trails, arrivals and pole heads from RGBA pixels.
export const WIDTH = 240;
export const HEIGHT = 320;
// The board area that sharing saves, and its scale.
export const BOARD_HEIGHT = 294;
export const PICTURE_SCALE = 3;

// The runners' colours as the canvas shows them (R, G, B), runner 0 to 7.
export const RUNNER_RGB = [
  [255, 0, 0], [255, 153, 0], [255, 255, 0], [51, 204, 0],
  [0, 204, 255], [0, 0, 255], [204, 0, 255], [204, 204, 204],
];

// Centres of the menu bar's buttons and of the option dialog's buttons, in
// screen pixels.
export const BAR = { New: [19, 307], All: [54, 307], Option: [97, 307], Help: [150, 307], Exit: [195, 307] };
export const OPTION = { more: [180, 138], ok: [74, 185] };

export function countDifferences(a, b) {
  if (a.length !== b.length) throw new Error(`pictures of ${a.length} and ${b.length} bytes`);
  let different = 0;
  for (let i = 0; i < a.length; i += 4) {
    if (a[i] !== b[i] || a[i + 1] !== b[i + 1] || a[i + 2] !== b[i + 2]) ++different;
  }
  return different;
}

// Pixels of a shared picture (RGBA, PICTURE_SCALE times the board area)
// that are not the screen's pixel under them.
export function pictureMisses(picture, screen) {
  const width = WIDTH * PICTURE_SCALE;
  if (picture.length !== width * BOARD_HEIGHT * PICTURE_SCALE * 4) return Infinity;
  let misses = 0;
  for (let y = 0; y < BOARD_HEIGHT * PICTURE_SCALE; ++y) {
    for (let x = 0; x < width; ++x) {
      const i = (y * width + x) * 4;
      const j = (Math.floor(y / PICTURE_SCALE) * WIDTH + Math.floor(x / PICTURE_SCALE)) * 4;
      if (picture[i] !== screen[j] || picture[i + 1] !== screen[j + 1] || picture[i + 2] !== screen[j + 2]) ++misses;
    }
  }
  return misses;
}

export function runnerAt(pixels, x, y) {
  const i = (y * WIDTH + x) * 4;
  return RUNNER_RGB.findIndex(([r, g, b]) => pixels[i] === r && pixels[i + 1] === g && pixels[i + 2] === b);
}

// Pixels of runner `runner`'s colour in the band of pole `pole` below the
// pole heads.
export function trailPixels(pixels, board, pole, runner) {
  const left = board.originX + 30 * pole - 4;
  let count = 0;
  for (let y = board.originY + 12; y < 240; ++y) {
    for (let x = left; x < left + 18; ++x) {
      if (runnerAt(pixels, x, y) === runner) ++count;
    }
  }
  return count;
}

// The runner whose colour is lowest in each pole's band (above the scribble
// pad), and the row where it is: where the runners have arrived.
export function arrivals(pixels, board) {
  const result = [];
  for (let pole = 0; pole < board.playerCount; ++pole) {
    const left = board.originX + 30 * pole - 4;
    let found = { runner: -1, y: -1 };
    for (let y = 239; y > board.originY && found.runner < 0; --y) {
      for (let x = left; x < left + 18; ++x) {
        const runner = runnerAt(pixels, x, y);
        if (runner >= 0) {
          found = { runner, y };
          break;
        }
      }
    }
    result.push(found);
  }
  return result;
}

export function allArrived(result) {
  return result.length > 0 && result.every((arrival) => arrival.runner >= 0 && arrival.y === result[0].y);
}

// The line the program gives for a finished board, from the arrivals the
// screen shows: player k's runner arrived under pole m.
export function resultText(result) {
  const poleOf = [];
  result.forEach((arrival, pole) => { poleOf[arrival.runner] = pole; });
  return `Tavilo, ${result.length} players: ${poleOf.map((pole, player) => `${player + 1} \u2192 ${pole + 1}`).join(', ')}`;
}

// The runners whose ball heads show above their poles.
export function poleHeads(pixels, board) {
  const heads = [];
  for (let pole = 0; pole < 8; ++pole) {
    const left = board.originX + 30 * pole - 4;
    let seen = false;
    for (let y = board.originY - 20; y < board.originY + 4 && !seen; ++y) {
      for (let x = Math.max(0, left); x < Math.min(WIDTH, left + 18) && !seen; ++x) {
        seen = runnerAt(pixels, x, y) === pole;
      }
    }
    if (seen) heads.push(pole);
  }
  return heads;
}

export const PICTURE_NAME = /^Tavilo \d{4}-\d\d-\d\d \d\d-\d\d-\d\d\.png$/;
