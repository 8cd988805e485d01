// The page around the program: it shows the 240 x 320 screen on a canvas,
// turns pointer and key events into the program's input, makes sure only one
// tab of the browser profile runs the program, and offers to start it again
// once it has ended. The program keeps its settings in localStorage itself.
'use strict';

(() => {
  // The screen's size, which the site's build writes in from screen_size.h.
  const WIDTH = @SCREEN_WIDTH@;
  const HEIGHT = @SCREEN_HEIGHT@;

  // Every text the page shows or gives a screen reader, in one place
  // (page/texts.json, a record a language); % stands for a file name or a
  // reason. The program's own words (its screens, the names of the
  // screen-reader layer's buttons, what the live region announces) come
  // from the program, in the same language; these are the page's. The site's
  // build writes English's in here, and each other language's goes to a file
  // of its own (texts-LANG-HASH.json, named in TEXT_FILES) that only a page in
  // that language fetches.
  const TEXT = @ENGLISH_TEXTS@;
  const TEXT_FILES = @TEXT_FILES@;
  // The game's name, the same in every language.
  const NAME = 'Tavilo';
  // The Japanese, Korean and Chinese glyphs, fetched by the program only for
  // those languages (make_site.mjs puts the file's name here).
  const GLYPHS = 'cjk_glyphs.bin';
  const CJK = ['ja', 'ko', 'zh-Hans', 'zh-Hant'];

  // The language of the page and of the program: the page's ?lang= when
  // given, else the first of the browser's languages that the program
  // speaks, else English. A tag is read as the program reads one
  // (runtime/language.cpp): a region takes its language's texts (pt-PT
  // Brazilian, es-MX Spanish), Chinese is Traditional by its script or in
  // Taiwan, Hong Kong and Macao, and a malformed tag is no language.
  function languageOf(tag) {
    const parts = String(tag).split(/[.@]/)[0].split(/[-_]/);
    if (!parts.every((part) => /^[A-Za-z0-9]{1,8}$/.test(part)) || !/^[A-Za-z]{2,3}$/.test(parts[0])) {
      return null;
    }
    const primary = parts[0].toLowerCase();
    const rest = parts.slice(1).map((part) => part.toLowerCase());
    if (primary === 'zh') {
      const script = rest.find((part) => part === 'hant' || part === 'hans');
      if (script) {
        return script === 'hant' ? 'zh-Hant' : 'zh-Hans';
      }
      return rest.some((part) => ['tw', 'hk', 'mo'].includes(part)) ? 'zh-Hant' : 'zh-Hans';
    }
    return { en: 'en', ja: 'ja', ko: 'ko', es: 'es', pt: 'pt-BR', fr: 'fr', de: 'de' }[primary] || null;
  }
  function chooseLanguage() {
    let tags = [];
    try {
      const asked = new URLSearchParams(location.search).get('lang');
      tags = asked ? [asked] : Array.from(navigator.languages || [navigator.language]);
    } catch (error) {
      tags = [];
    }
    for (const tag of tags) {
      const language = languageOf(tag);
      if (language) {
        return language;
      }
    }
    return 'en';
  }
  const LANGUAGE = chooseLanguage();
  const fill = (text, value) => text.replace('%', () => value);
  document.documentElement.lang = LANGUAGE;
  // The program asks the page (runtime/system_web.cpp), so that both speak one language.
  window.tavilo.language = LANGUAGE;

  // The language's own texts in place of English's, before the program
  // starts; where the file cannot be had (offline before this language was
  // ever used here) the page stays in English. The offline worker's copy
  // comes first, so that an offline page that never kept the file asks no
  // network for it, as the program does for the glyphs.
  async function loadTexts() {
    const file = TEXT_FILES[LANGUAGE];
    if (!file) {
      return;
    }
    try {
      let response = self.caches ? await caches.match(file).catch(() => undefined) : undefined;
      if (!response) {
        if (navigator.onLine === false) {
          return;
        }
        response = await fetch(file);
      }
      if (!response.ok) {
        throw new Error(`${response.status} ${response.statusText}`);
      }
      const texts = await response.json();
      for (const key of Object.keys(TEXT)) {
        if (typeof texts[key] === 'string') {
          TEXT[key] = texts[key];
        }
      }
    } catch (error) {
      console.warn(`The page's ${LANGUAGE} texts are not available:`, error);
    }
  }

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

  // The Share button, the note that says what sharing did, and where in the
  // surround they stand (set by fit).
  const shareButton = document.getElementById('share');
  const note = document.getElementById('note');
  const SHARE_GAP = 12;
  let sharing = false;
  let shareAnchor = null;

  // The WebAssembly is compiled once (index.html starts that before
  // anything else); every run of the program is a fresh instance of it,
  // with fresh memory.
  const wasmModule = window.tavilo.wasm;

  // ---- Screen ------------------------------------------------------------

  // Largest whole number of device pixels per screen pixel that fits, at
  // least one, with the canvas placed on whole device pixels so that the
  // nearest-neighbour scaling stays crisp. The Share button goes into the
  // surround where there is room for it (beside the canvas, else below it,
  // as on a phone held upright), moving the canvas off centre if it must but
  // never making it smaller, and is left out where there is no room at all.
  function fit() {
    const ratio = window.devicePixelRatio || 1;
    const viewWidth = document.documentElement.clientWidth * ratio;
    const viewHeight = document.documentElement.clientHeight * ratio;
    const scale = Math.max(1, Math.floor(Math.min(viewWidth / WIDTH, viewHeight / HEIGHT)));
    const width = WIDTH * scale;
    const height = HEIGHT * scale;
    let left = Math.max(0, Math.floor((viewWidth - width) / 2));
    let top = Math.max(0, Math.floor((viewHeight - height) / 2));
    let place = null;
    if (sharing) {
      shareButton.hidden = false;
      const gap = SHARE_GAP * ratio;
      const buttonWidth = shareButton.offsetWidth * ratio;
      const buttonHeight = shareButton.offsetHeight * ratio;
      if (viewWidth - left - width >= buttonWidth + 2 * gap) {
        place = 'beside';
      } else if (viewHeight - top - height >= buttonHeight + 2 * gap) {
        place = 'below';
      } else if (viewWidth - width >= buttonWidth + 2 * gap) {
        place = 'beside';
        left = Math.floor((viewWidth - width - buttonWidth - gap) / 2);
      } else if (viewHeight - height >= buttonHeight + 2 * gap) {
        place = 'below';
        top = Math.floor((viewHeight - height - buttonHeight - gap) / 2);
      }
      shareButton.hidden = place === null;
      shareAnchor = place && {
        place,
        // Beside: level with the menu bar; below: centred under the canvas.
        x: place === 'beside' ? (left + width + gap) / ratio : viewWidth / 2 / ratio,
        y: place === 'beside' ? (top + height) / ratio : (top + height + gap) / ratio,
        room: place === 'beside' ? (viewWidth - left - width - 2 * gap) / ratio : (viewWidth - 2 * gap) / ratio,
      };
      if (shareAnchor) {
        placeShareButton();
      }
      if (!note.hidden) {
        shareButton.style.visibility = placeNote() ? 'hidden' : '';
      }
    }
    canvas.style.width = `${width / ratio}px`;
    canvas.style.height = `${height / ratio}px`;
    canvas.style.left = `${left / ratio}px`;
    canvas.style.top = `${top / ratio}px`;
    canvas.dataset.scale = String(scale);
  }

  // Beside the canvas the button's bottom is level with the canvas's, and
  // the note stands above the button, growing upwards. Below the canvas the
  // button is centred, and the note stands under it where there is room,
  // else in its place for its moment.
  function placeShareButton() {
    const { place, x, y, room } = shareAnchor;
    Object.assign(shareButton.style, place === 'beside'
      ? { left: `${x}px`, top: '', bottom: `${document.documentElement.clientHeight - y}px`, transform: '', maxWidth: `${room}px` }
      : { left: `${x}px`, top: `${y}px`, bottom: '', transform: 'translateX(-50%)', maxWidth: `${room}px` });
  }

  // Whether the note covers the button.
  function placeNote() {
    const style = note.style;
    const viewHeight = document.documentElement.clientHeight;
    if (!shareAnchor) {
      // No room anywhere: the note shows at the top for its moment.
      Object.assign(style, { left: '50%', top: `${SHARE_GAP}px`, bottom: '', transform: 'translateX(-50%)', maxWidth: '90vw' });
      return false;
    }
    const { place, x, y, room } = shareAnchor;
    const buttonHeight = shareButton.offsetHeight;
    if (place === 'beside') {
      Object.assign(style, { left: `${x}px`, top: '', bottom: `${viewHeight - y + buttonHeight + SHARE_GAP / 2}px`, transform: '', maxWidth: `${room}px` });
      return false;
    }
    const under = y + buttonHeight + SHARE_GAP / 2;
    const covers = viewHeight - under < note.offsetHeight + SHARE_GAP / 2;
    Object.assign(style, { left: `${x}px`, top: `${covers ? y : under}px`, bottom: '', transform: 'translateX(-50%)', maxWidth: `${room}px` });
    return covers;
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
      glyphs: GLYPHS,
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
      shared(text, name) {
        state.shared = { text, name };
      },
      status(heap, text, length) {
        showStatus(decoder.decode(heap.subarray(text, text + length)));
      },
      ended() {
        run = null;
        showShare(false);
        state.wake = null;
        clearTimeout(state.timer);
        state.finished(state.endReason);
      },
    };
    createTavilo({
      host,
      preRun: [(module) => {
        state.module = module;
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

  // Virtual-key codes of the platform for the keys the program can use, as
  // Windows gives them: letters by what they type (the key that types "a"
  // on AZERTY is A), digits by their place in the top row (AZERTY types "&"
  // there without Shift), the keypad's keys whatever Num Lock says.
  const KEYS = {
    Enter: 0x0d, NumpadEnter: 0x0d, Escape: 0x1b, Backspace: 0x08, Space: 0x20,
    ArrowLeft: 0x25, ArrowUp: 0x26, ArrowRight: 0x27, ArrowDown: 0x28,
    Slash: 0xbf, Minus: 0xbd, Equal: 0xbb,
    NumpadAdd: 0x6b, NumpadSubtract: 0x6d, NumpadMultiply: 0x6a, NumpadDivide: 0x6f,
  };
  // Shift, Ctrl and the left Alt (the right one is AltGr on many layouts),
  // by what the key is: WebKitGTK gives the Meta key the left Alt's place.
  const MODIFIERS = { Shift: 0x10, Control: 0x11, Alt: 0x12 };
  const VK = { shift: 0x10, control: 0x11, alt: 0x12, f10: 0x79 };

  function virtualKey(event) {
    if (Object.hasOwn(MODIFIERS, event.key)) {
      return event.key === 'Alt' && event.code !== 'AltLeft' ? 0 : MODIFIERS[event.key];
    }
    if (/^Key[A-Z]$/.test(event.code)) {
      return /^[a-z]$/i.test(event.key) ? event.key.toUpperCase().charCodeAt(0) : event.code.charCodeAt(3);
    }
    if (/^Digit[0-9]$/.test(event.code)) return event.code.charCodeAt(5);
    if (/^Numpad[0-9]$/.test(event.code)) return 0x60 + Number(event.code.slice(6));
    if (/^F([1-9]|1[0-2])$/.test(event.code)) return 0x6f + Number(event.code.slice(1));
    return KEYS[event.code] || 0;
  }

  // Shift and Ctrl held when the page loses the keyboard never come up
  // here; they are let go then, or the program would take every later N for
  // Ctrl+N. Alt is left alone: its release would read as Alt pressed alone,
  // which opens the menu bar.
  const held = new Set();

  function key(event, kind) {
    if (shareKey(event, kind)) {
      return;
    }
    const vk = virtualKey(event);
    // Keys held with Cmd (Meta) are the system's and the browser's.
    if (!run || vk === 0 || !panel.hidden || (event.metaKey && kind === EVENT.keyDown)) {
      return;
    }
    // Tab is the browser's, to reach the page's buttons; Enter and Space
    // on one of them press it.
    if (event.code === 'Tab' || (event.target instanceof HTMLButtonElement && (vk === 0x0d || vk === 0x20))) {
      return;
    }
    // Alt combinations belong to the program (Alt+/ is About), and so do F10
    // and Alt alone (the menu bar); plain keys only where the program can
    // use them.
    event.preventDefault();
    if (vk === VK.shift || vk === VK.control) {
      if (kind === EVENT.keyDown) held.add(vk); else held.delete(vk);
    }
    const character = event.key.length === 1 ? event.key.charCodeAt(0) : 0;
    post([kind, 0, 0, vk, kind === EVENT.keyDown ? character : 0, event.altKey ? 1 : 0]);
  }
  document.addEventListener('keydown', (event) => key(event, EVENT.keyDown));
  document.addEventListener('keyup', (event) => key(event, EVENT.keyUp));
  window.addEventListener('blur', () => {
    for (const vk of held) {
      post([EVENT.keyUp, 0, 0, vk, 0, 0]);
    }
    held.clear();
  });

  // ---- The screen-reader layer -------------------------------------------

  // Real buttons beside the canvas, each doing what its key does, and a
  // polite live region. What they say comes from the program's status (see
  // DescribeStatus), which the program hands over after a frame whenever it
  // changed: the canvas's name says what the screen shows, the news goes to
  // the live region, and the buttons follow the dialog that is open.
  const access = document.getElementById('access');
  const news = document.getElementById('news');
  const playerKeys = document.getElementById('player-keys');
  const groups = {
    none: document.getElementById('game-keys'),
    option: document.getElementById('option-keys'),
    about: document.getElementById('about-keys'),
  };
  const decoder = new TextDecoder();

  // The page's own words on its elements, once the language's have come.
  const textsShown = loadTexts().then(() => {
    shareButton.title = TEXT.shareHint;
    shareButton.lastChild.textContent = TEXT.share;
    groups.none.setAttribute('aria-label', TEXT.gameGroup);
    groups.option.setAttribute('aria-label', TEXT.countGroup);
    groups.about.setAttribute('aria-label', TEXT.aboutGroup);
    document.getElementById('keys').textContent = TEXT.keys;
  });

  // The keys a button stands for, as "key" or "alt+key": letters and digits
  // as themselves, and a few named keys.
  const NAMED = { left: [0x25, 0], right: [0x27, 0], enter: [0x0d, 13], esc: [0x1b, 27], f4: [0x73, 0], '/': [0xbf, 47] };
  function pressKeys(keys) {
    const alt = keys.startsWith('alt+');
    const name = alt ? keys.slice(4) : keys;
    const [vk, character] = NAMED[name] || [name.toUpperCase().charCodeAt(0), name.charCodeAt(0)];
    post([EVENT.keyDown, 0, 0, vk, character, alt ? 1 : 0]);
    post([EVENT.keyUp, 0, 0, vk, 0, alt ? 1 : 0]);
  }
  access.addEventListener('click', (event) => {
    const button = event.target.closest('button[data-keys]');
    if (button) {
      pressKeys(button.dataset.keys);
    }
  });

  let shownNews = '0';
  let shownDialog = 'none';
  let opener = null;  // the button that opened the dialog, to come back to

  function announce(text) {
    // The same words twice in a row must still be heard: a no-break space
    // makes the second text differ.
    news.textContent = text === news.textContent ? `${text}\u00a0` : text;
  }

  // The buttons' names in the program's language, in the order of their
  // data-word; the fifth names the player buttons, % standing for k.
  let words = null;
  let startPlayer = 'Start player %';

  function nameButtons(list) {
    if (list.length < 11 || list.join('\t') === words) {
      return;
    }
    words = list.join('\t');
    for (const button of access.querySelectorAll('[data-word]')) {
      button.textContent = list[Number(button.dataset.word)];
    }
    startPlayer = list[5];
    for (const button of playerKeys.children) {
      button.textContent = startPlayer.replace('%', button.dataset.keys);
    }
  }

  function showPlayers(count) {
    while (playerKeys.children.length > count) {
      playerKeys.lastElementChild.remove();
    }
    while (playerKeys.children.length < count) {
      const button = document.createElement('button');
      const k = playerKeys.children.length + 1;
      button.type = 'button';
      button.dataset.keys = String(k);
      button.textContent = startPlayer.replace('%', String(k));
      playerKeys.append(button);
    }
  }

  function showDialog(dialog) {
    const name = groups[dialog] ? dialog : 'none';
    if (name === shownDialog) {
      return;
    }
    const hadFocus = access.contains(document.activeElement);
    const from = document.activeElement;
    for (const [key, group] of Object.entries(groups)) {
      group.hidden = key !== name;
    }
    shownDialog = name;
    // A player on the buttons follows the dialog in and comes back out to
    // the button that opened it.
    if (hadFocus && name !== 'none') {
      opener = groups.none.contains(from) ? from : opener;
      groups[name].querySelector('button').focus();
    } else if (hadFocus && opener) {
      opener.focus();
      opener = null;
    }
  }

  function showStatus(text) {
    const fields = {};
    for (const line of text.split('\n')) {
      const tab = line.indexOf('\t');
      if (tab > 0) {
        fields[line.slice(0, tab)] = line.slice(tab + 1);
      }
    }
    canvas.setAttribute('aria-label', fields.screen || NAME);
    nameButtons((fields.buttons || '').split('\t'));
    const tab = (fields.news || '').indexOf('\t');
    const number = tab < 0 ? fields.news || '0' : fields.news.slice(0, tab);
    if (number !== shownNews) {
      shownNews = number;
      announce(tab < 0 ? '' : fields.news.slice(tab + 1));
    }
    showPlayers(Number(fields.players) || 0);
    showDialog(fields.dialog);
  }

  function resetAccess() {
    shownNews = '0';
    news.textContent = '';
    showPlayers(0);
    showDialog('none');
    canvas.setAttribute('aria-label', NAME);
  }

  // ---- Sharing the draw ----------------------------------------------------

  // The board area of the screen (above the menu bar) scaled 3 x 3 with
  // nearest-neighbour sampling, as every host saves it: the canvas holds the
  // program's pixels exactly, as it put them there.
  const BOARD_HEIGHT = HEIGHT - @MENU_BAR_HEIGHT@;
  const PICTURE_SCALE = 3;

  function boardPicture() {
    const from = context.getImageData(0, 0, WIDTH, BOARD_HEIGHT).data;
    const picture = document.createElement('canvas');
    picture.width = WIDTH * PICTURE_SCALE;
    picture.height = BOARD_HEIGHT * PICTURE_SCALE;
    const pictureContext = picture.getContext('2d');
    const image = pictureContext.createImageData(picture.width, picture.height);
    const to = new Uint32Array(image.data.buffer);
    const pixels = new Uint32Array(from.buffer, from.byteOffset, WIDTH * BOARD_HEIGHT);
    for (let y = 0; y < picture.height; ++y) {
      const row = ((y / PICTURE_SCALE) | 0) * WIDTH;
      for (let x = 0; x < picture.width; ++x) {
        to[y * picture.width + x] = pixels[row + ((x / PICTURE_SCALE) | 0)];
      }
    }
    pictureContext.putImageData(image, 0, 0);
    // Made at once rather than with toBlob: a share sheet opens only while
    // the tap that asked for it is fresh, which Safari counts strictly.
    const data = picture.toDataURL('image/png');
    if (!data.startsWith('data:image/png;base64,')) {
      return null;
    }
    const bytes = atob(data.slice(data.indexOf(',') + 1));
    const png = new Uint8Array(bytes.length);
    for (let i = 0; i < bytes.length; ++i) {
      png[i] = bytes.charCodeAt(i);
    }
    return new Blob([png], { type: 'image/png' });
  }

  // The draw as a line of text, the picture's file name and, when asked
  // for, the picture (a PNG Blob, null when the browser could not make one);
  // null when no program runs. The text and name come from the program
  // between two of its turns.
  function takeShared(withPicture) {
    if (!run || !run.module || !run.module._TaviloShare) {
      return null;
    }
    run.shared = null;
    run.module._TaviloShare();
    const shared = run.shared;
    run.shared = null;
    if (!shared) {
      return null;
    }
    return { ...shared, png: withPicture ? boardPicture() : null };
  }

  const NOTE_MS = 4000;
  let noteTimer = 0;

  // A short note in the button's place for a few seconds, read out by screen
  // readers as it appears.
  function showNote(text) {
    clearTimeout(noteTimer);
    note.textContent = text;
    note.hidden = false;
    shareButton.style.visibility = placeNote() ? 'hidden' : '';
    noteTimer = setTimeout(() => {
      note.hidden = true;
      shareButton.style.visibility = '';
    }, NOTE_MS);
  }

  function download(shared) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(shared.png);
    link.download = shared.name;
    document.body.append(link);
    link.click();
    link.remove();
    // The browser has taken the data once the click returns; the address is
    // freed later, as some browsers read it after the click.
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  }

  // True when the text is on the clipboard. Pages served over plain HTTP
  // from another machine have no clipboard.
  async function copyText(text) {
    if (!navigator.clipboard || !window.isSecureContext) {
      return false;
    }
    try {
      await navigator.clipboard.writeText(text);
      return true;
    } catch (error) {
      return false;
    }
  }

  // The result with its picture; null when there is none, with a note when
  // the browser could not make the picture.
  function takeWithPicture() {
    const shared = takeShared(true);
    if (shared && !shared.png) {
      showNote(TEXT.noPicture);
      return null;
    }
    return shared;
  }

  // Ctrl+S (Cmd+S on a Mac): the picture as a download.
  function savePicture() {
    const shared = takeWithPicture();
    if (!shared) {
      return;
    }
    download(shared);
    showNote(fill(TEXT.downloaded, shared.name));
  }

  // Ctrl+C (Cmd+C): the text on the clipboard.
  async function copyResult() {
    const shared = takeShared(false);
    if (!shared) {
      return;
    }
    showNote(await copyText(shared.text) ? TEXT.copied : TEXT.noClipboard);
  }

  // The button: the system's share sheet with the picture and the text where
  // the browser offers one for files (phones), else the picture downloaded
  // and the text copied.
  async function shareResult() {
    const shared = takeWithPicture();
    if (!shared) {
      return;
    }
    const file = new File([shared.png], shared.name, { type: 'image/png' });
    if (navigator.canShare && navigator.canShare({ files: [file] })) {
      try {
        await navigator.share({ files: [file], text: shared.text, title: NAME });
      } catch (error) {
        if (error.name !== 'AbortError') {
          showNote(fill(TEXT.notShared, error.message));
        }
      }
      return;
    }
    download(shared);
    showNote(await copyText(shared.text) ? TEXT.downloadedCopied : TEXT.downloadedOnly);
  }
  shareButton.addEventListener('click', () => {
    shareResult();
    canvas.focus({ preventScroll: true });
  });

  // Ctrl or Cmd with S or C, and no other modifier: the page's, never the
  // program's. The letter is the one the layout gives the key, or the key's
  // place on a layout without Latin letters. Handled at the press; the
  // release of a key taken so is dropped too, whatever is held by then.
  const takenKeys = new Set();
  function shareKey(event, kind) {
    if (kind === EVENT.keyUp && takenKeys.delete(event.code)) {
      event.preventDefault();
      return true;
    }
    const letter = /^[a-z]$/i.test(event.key) ? event.key.toLowerCase() : event.code.replace(/^Key/, '').toLowerCase();
    if (kind !== EVENT.keyDown || !(event.ctrlKey || event.metaKey) || event.altKey || event.shiftKey ||
        (letter !== 's' && letter !== 'c') || !run || !panel.hidden) {
      return false;
    }
    event.preventDefault();
    takenKeys.add(event.code);
    if (!event.repeat) {
      if (letter === 's') {
        savePicture();
      } else {
        copyResult();
      }
    }
    return true;
  }

  function showShare(on) {
    sharing = on;
    if (!on) {
      shareButton.hidden = true;
      note.hidden = true;
    }
    fit();
  }

  // ---- What the page shows around the program ----------------------------

  function showPanel(text, label, onClick) {
    canvas.hidden = true;
    showShare(false);
    access.hidden = true;
    message.textContent = text;
    action.textContent = label;
    action.onclick = onClick;
    panel.hidden = false;
    action.focus();
  }

  function showScreen() {
    panel.hidden = true;
    canvas.hidden = false;
    showShare(true);
    access.hidden = false;
    resetAccess();
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
      showPanel(TEXT.otherTab, TEXT.playHere, playHere);
      return;
    }
    showScreen();
    const reason = await startProgram();
    if (reason === 'taken') {
      showPanel(TEXT.otherTab, TEXT.playHere, playHere);
    } else if (reason === 'exit') {
      showPanel(TEXT.ended, TEXT.startAgain, () => claim());
    }
  }

  function claim() {
    prepared = prepared || prepareProgram();
    if (!locks) {
      return holdLockAndRun(true);
    }
    return locks.request(LOCK_NAME, { ifAvailable: true }, holdLockAndRun);
  }

  // The page's first claim: the lock index.html asked for. The program is
  // made ready at once; it starts, or the panel shows, once the page has
  // its texts.
  async function firstClaim() {
    prepared = prepareProgram();
    await textsShown;
    if (!window.tavilo.firstLock) {
      return claim();
    }
    const { lock, release } = await window.tavilo.firstLock;
    return holdLockAndRun(lock).finally(release);
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
        .then(keepLanguageFiles)
        .catch((error) => console.warn('Offline use is not available:', error));
    }
  }

  // The files only this page's language uses (its texts, the glyphs) are
  // kept by the worker too, so that the language is there offline: on a
  // first visit they came before the worker did.
  function keepLanguageFiles() {
    const files = [TEXT_FILES[LANGUAGE], CJK.includes(LANGUAGE) && GLYPHS].filter(Boolean);
    if (files.length > 0) {
      navigator.serviceWorker.ready.then((registration) => registration.active.postMessage({ keep: files }));
    }
  }


  firstClaim();
})();
