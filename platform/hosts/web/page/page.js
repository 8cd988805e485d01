// The page around the program: it shows the 240 x 320 screen on a canvas,
// turns pointer and key events into the program's input, makes sure only one
// tab of the browser profile runs the program, and offers to start it again
// once it has ended. The program keeps its settings in localStorage itself.
'use strict';

(() => {
  const WIDTH = 240;
  const HEIGHT = 320;

  // Event codes shared with web_host.cpp.
  const EVENT = { penDown: 0, penMove: 1, penUp: 2, keyDown: 3, keyUp: 4, close: 5 };

  // The Web Lock held by the tab that runs the program (index.html asks for
  // it too). Pages served over plain HTTP from another machine have no Web
  // Locks; there every tab runs a program of its own.
  const LOCK_NAME = 'tavilo-program';
  const locks = navigator.locks;

  const canvas = document.getElementById('screen');
  const panel = document.getElementById('panel');
  const message = document.getElementById('message');
  const action = document.getElementById('action');
  // The screen is small and is copied from the program's memory whenever it
  // changes: a canvas kept in main memory (willReadFrequently) takes that
  // as a plain copy, where one kept on the graphics card uploads every time
  // and costs the first frame its set-up.
  const context = canvas.getContext('2d', { alpha: false, willReadFrequently: true });

  // The WebAssembly is compiled once (index.html starts that before
  // anything else); every run of the program is a fresh instance of it,
  // with fresh memory.
  const wasmModule = window.tavilo.wasm;

  // ---- Screen ------------------------------------------------------------

  // Largest whole number of device pixels per screen pixel that fits, at
  // least one, with the canvas placed on whole device pixels so that the
  // nearest-neighbour scaling stays crisp.
  function fit() {
    const ratio = window.devicePixelRatio || 1;
    const viewWidth = document.documentElement.clientWidth * ratio;
    const viewHeight = document.documentElement.clientHeight * ratio;
    const scale = Math.max(1, Math.floor(Math.min(viewWidth / WIDTH, viewHeight / HEIGHT)));
    const left = Math.max(0, Math.floor((viewWidth - WIDTH * scale) / 2));
    const top = Math.max(0, Math.floor((viewHeight - HEIGHT * scale) / 2));
    canvas.style.width = `${(WIDTH * scale) / ratio}px`;
    canvas.style.height = `${(HEIGHT * scale) / ratio}px`;
    canvas.style.left = `${left / ratio}px`;
    canvas.style.top = `${top / ratio}px`;
    canvas.dataset.scale = String(scale);
  }
  window.addEventListener('resize', fit);
  // A change of devicePixelRatio (browser zoom, a window moved to another
  // monitor) fires no resize everywhere; a media query on the ratio does.
  function watchRatio() {
    const query = matchMedia(`(resolution: ${window.devicePixelRatio}dppx)`);
    query.addEventListener('change', () => { fit(); watchRatio(); }, { once: true });
  }
  watchRatio();
  fit();

  let firstFrame = true;

  // Puts the changed rectangle of the program's RGBA screen, which lives in
  // the program's memory, on the canvas. The view is made afresh each time:
  // the memory's buffer is replaced whenever it grows.
  function present(heap, rgba, left, top, right, bottom) {
    const image = new ImageData(new Uint8ClampedArray(heap.buffer, rgba, WIDTH * HEIGHT * 4), WIDTH, HEIGHT);
    context.putImageData(image, 0, 0, left, top, right - left, bottom - top);
    if (firstFrame) {
      firstFrame = false;
      performance.mark('tavilo-first-frame');
      registerServiceWorker();
    }
  }

  // The page's own icon is already the program's icon; the program's copy
  // replaces it once the browser is idle, so that drawing and encoding it
  // never delays the first frame.
  function setIcon(pixels, mask, width, height) {
    const whenIdle = window.requestIdleCallback || ((work) => setTimeout(work, 200));
    whenIdle(() => {
      const icon = document.createElement('canvas');
      icon.width = width;
      icon.height = height;
      const iconContext = icon.getContext('2d');
      const image = iconContext.createImageData(width, height);
      for (let i = 0; i < width * height; ++i) {
        const pixel = pixels[i];
        image.data[i * 4] = (pixel >>> 16) & 0xff;
        image.data[i * 4 + 1] = (pixel >>> 8) & 0xff;
        image.data[i * 4 + 2] = pixel & 0xff;
        image.data[i * 4 + 3] = mask[i] ? 255 : 0;
      }
      iconContext.putImageData(image, 0, 0);
      const link = document.querySelector('link[rel="icon"]');
      if (link) {
        link.href = icon.toDataURL('image/png');
      }
    });
  }

  // ---- The running program ----------------------------------------------

  // At most one program runs in a page. `run` describes it while it does.
  let run = null;

  // The next program is made ready (compiled, instantiated, its runtime set
  // up) while the page still waits for the lock, and is held just before
  // main until this tab may run it. Its settings are read only then, once
  // any other tab has written its own.
  let prepared = null;

  function prepareProgram() {
    const state = {
      events: [],
      wake: null,
      timer: 0,
      go: false,
      release: null,
      endReason: 'exit',
    };
    state.done = new Promise((resolve) => { state.finished = resolve; });
    const host = {
      present,
      sleep(timeoutMs, wakeUp) {
        state.wake = wakeUp;
        if (state.events.length > 0) {
          resume(state);
        } else if (timeoutMs >= 0) {
          state.timer = setTimeout(() => resume(state), timeoutMs);
        }
      },
      takeEvent(heap, fields) {
        const event = state.events.shift();
        if (!event) {
          return 0;
        }
        heap.set(event, fields >>> 2);
        return 1;
      },
      setIcon(heapWords, heapBytes, pixels, mask, width, height) {
        // Copies now: the program's memory may have changed by the time the
        // icon is drawn.
        const count = width * height;
        setIcon(heapWords.slice(pixels >>> 2, (pixels >>> 2) + count), heapBytes.slice(mask, mask + count), width, height);
      },
      ended() {
        run = null;
        state.wake = null;
        clearTimeout(state.timer);
        state.finished(state.endReason);
      },
    };
    createTavilo({
      host,
      preRun: [(module) => {
        module.addRunDependency('tavilo-lock');
        state.release = () => module.removeRunDependency('tavilo-lock');
        if (state.go) {
          state.release();
        }
      }],
      instantiateWasm(imports, receive) {
        wasmModule
          .then((compiled) => WebAssembly.instantiate(compiled, imports).then((instance) => receive(instance, compiled)))
          .catch((error) => console.error('Tavilo could not start:', error));
        return {};
      },
      print: (text) => console.log(text),
      printErr: (text) => console.error(text),
    });
    return state;
  }

  // Runs a prepared program; resolves with the reason it ended.
  function startProgram() {
    const state = prepared || prepareProgram();
    prepared = null;
    run = state;
    state.go = true;
    if (state.release) {
      state.release();
    }
    return state.done;
  }

  // Runs the program until it waits again. The program may end in here.
  function resume(state) {
    const wakeUp = state.wake;
    if (!wakeUp) {
      return;
    }
    state.wake = null;
    clearTimeout(state.timer);
    wakeUp();
  }

  function post(event) {
    if (!run) {
      return;
    }
    run.events.push(Int32Array.from(event));
    resume(run);
  }

  // Ends the program as its own Exit does, so that it saves its settings.
  function closeProgram(reason) {
    if (!run) {
      return;
    }
    run.endReason = reason;
    post([EVENT.close, 0, 0, 0, 0, 0]);
  }

  // ---- Input -------------------------------------------------------------

  let activePointer = null;

  function screenPoint(event) {
    const box = canvas.getBoundingClientRect();
    const x = Math.floor(((event.clientX - box.left) * WIDTH) / box.width);
    const y = Math.floor(((event.clientY - box.top) * HEIGHT) / box.height);
    return [Math.min(WIDTH - 1, Math.max(0, x)), Math.min(HEIGHT - 1, Math.max(0, y))];
  }

  canvas.addEventListener('pointerdown', (event) => {
    event.preventDefault();
    canvas.focus({ preventScroll: true });
    if (activePointer !== null || (event.pointerType === 'mouse' && event.button !== 0)) {
      return;
    }
    activePointer = event.pointerId;
    canvas.setPointerCapture(event.pointerId);
    post([EVENT.penDown, ...screenPoint(event), 0, 0, 0]);
  });
  canvas.addEventListener('pointermove', (event) => {
    if (event.pointerId !== activePointer) {
      return;
    }
    event.preventDefault();
    post([EVENT.penMove, ...screenPoint(event), 0, 0, 0]);
  });
  function penUp(event) {
    if (event.pointerId !== activePointer) {
      return;
    }
    activePointer = null;
    post([EVENT.penUp, ...screenPoint(event), 0, 0, 0]);
  }
  canvas.addEventListener('pointerup', penUp);
  canvas.addEventListener('pointercancel', penUp);
  canvas.addEventListener('contextmenu', (event) => event.preventDefault());
  // Touch events still scroll or zoom some browsers despite touch-action.
  canvas.addEventListener('touchstart', (event) => event.preventDefault(), { passive: false });

  // Virtual-key codes of the platform for the keys the program can use.
  function virtualKey(event) {
    if (/^Key[A-Z]$/.test(event.code)) return event.code.charCodeAt(3);
    if (/^Digit[0-9]$/.test(event.code)) return event.code.charCodeAt(5);
    if (/^F([1-9]|1[0-2])$/.test(event.code)) return 0x6f + Number(event.code.slice(1));
    const keys = {
      Enter: 0x0d, NumpadEnter: 0x0d, Escape: 0x1b, Tab: 0x09, Backspace: 0x08, Space: 0x20,
      ArrowLeft: 0x25, ArrowUp: 0x26, ArrowRight: 0x27, ArrowDown: 0x28,
      Slash: 0xbf, NumpadDivide: 0x6f,
    };
    return keys[event.code] || 0;
  }

  function key(event, kind) {
    const vk = virtualKey(event);
    if (!run || vk === 0 || !panel.hidden) {
      return;
    }
    // Alt combinations belong to the program (Alt+/ is About); plain keys
    // only where the program can use them.
    event.preventDefault();
    const character = event.key.length === 1 ? event.key.charCodeAt(0) : 0;
    post([kind, 0, 0, vk, kind === EVENT.keyDown ? character : 0, event.altKey ? 1 : 0]);
  }
  document.addEventListener('keydown', (event) => key(event, EVENT.keyDown));
  document.addEventListener('keyup', (event) => key(event, EVENT.keyUp));

  // ---- What the page shows around the program ----------------------------

  function showPanel(text, label, onClick) {
    canvas.hidden = true;
    message.textContent = text;
    action.textContent = label;
    action.onclick = onClick;
    panel.hidden = false;
    action.focus();
  }

  function showScreen() {
    panel.hidden = true;
    canvas.hidden = false;
    fit();
  }

  // ---- One program per browser profile ----------------------------------

  // The tab that runs the program holds a Web Lock for as long as it does.
  // Another tab offers to take over: it asks over a BroadcastChannel, the
  // running tab closes its program as Exit does (so the count is saved),
  // which releases the lock, and the lock then starts the program here.
  const channel = new BroadcastChannel('tavilo');
  channel.addEventListener('message', (event) => {
    if (event.data === 'take-over' && run) {
      closeProgram('taken');
    }
  });

  async function holdLockAndRun(lock) {
    if (!lock) {
      showPanel('Tavilo is open in another tab.', 'Play here', playHere);
      return;
    }
    showScreen();
    const reason = await startProgram();
    if (reason === 'taken') {
      showPanel('Tavilo is open in another tab.', 'Play here', playHere);
    } else if (reason === 'exit') {
      showPanel('Tavilo has ended.', 'Start again', () => claim());
    }
  }

  function claim() {
    prepared = prepared || prepareProgram();
    if (!locks) {
      return holdLockAndRun(true);
    }
    return locks.request(LOCK_NAME, { ifAvailable: true }, holdLockAndRun);
  }

  // The page's first claim: the lock index.html asked for.
  function firstClaim() {
    if (!window.tavilo.firstLock) {
      return claim();
    }
    prepared = prepareProgram();
    return window.tavilo.firstLock.then(({ lock, release }) => holdLockAndRun(lock).finally(release));
  }

  function playHere() {
    action.disabled = true;
    channel.postMessage('take-over');
    locks.request(LOCK_NAME, holdLockAndRun).finally(() => { action.disabled = false; });
  }

  // Closing or reloading the tab is Exit for the settings: the program is
  // closed here and now, synchronously, so the chosen count is written
  // before the page goes away.
  let closedByPageHide = false;
  window.addEventListener('pagehide', () => {
    if (run) {
      closedByPageHide = true;
      closeProgram('pagehide');
    }
  });
  window.addEventListener('pageshow', (event) => {
    if (event.persisted && closedByPageHide) {
      closedByPageHide = false;
      claim();
    }
  });

  // ---- Offline -------------------------------------------------------------

  // The worker's own script is always fetched past the HTTP cache, so that
  // a host's caching headers cannot hide a new build from it (sw.js).
  function registerServiceWorker() {
    if ('serviceWorker' in navigator && window.isSecureContext) {
      navigator.serviceWorker.register('sw.js', { updateViaCache: 'none' })
        .catch((error) => console.warn('Offline use is not available:', error));
    }
  }

  firstClaim();
})();
