// The page around the web build: starts it, sizes its drawing to the screen's
// pixels, hands it the input the desktop program would get (touch through
// web/touch.js), shows its menu and its matrices as HTML, and says when it
// has ended, which a page cannot do by closing itself.
'use strict';
(function () {
  const canvas = document.getElementById('canvas');
  const matricesText = document.getElementById('matrices');
  const endedNotice = document.getElementById('ended');
  const mainMenu = document.getElementById('menu');
  const menuButton = document.getElementById('menu-button');
  const subMenu = document.createElement('div');
  subMenu.id = 'submenu';
  subMenu.className = 'submenu';
  subMenu.setAttribute('role', 'menu');
  subMenu.hidden = true;
  document.body.appendChild(subMenu);

  const state = {
    ended: false,
    frames: 0,
    model: null, // the program's menus: {attached, menus: [[{label, value, submenu}]]}
    menuOpenAt: null, // window pixel where the open menu was opened, or null
    menuFromButton: false, // the open menu was opened by the menu button
    pointerOnMenu: false,
    swallowMouseUp: false,
    wheelEvents: 0,
    buttons: 0, // the buttons held since they were pressed on the canvas
    text: null,
    waiters: [],
    captures: [],
  };

  // The program ends by throwing emscripten's ExitStatus out of its callback.
  const isEnd = (e) => e !== null && typeof e === 'object' && e.name === 'ExitStatus';

  function end() {
    if (state.ended) return;
    state.ended = true;
    closeMenu(false);
    Module._velmoraStop();
    endedNotice.hidden = false;
    document.getElementById('restart').focus();
  }

  // Runs a call into the program; its end is taken as the end, not as an error.
  function run(call) {
    if (state.ended) return;
    try {
      call();
    } catch (e) {
      if (!isEnd(e)) throw e;
      end();
    }
  }

  document.getElementById('restart').addEventListener('click', () => location.reload());

  // --- The menu, as HTML ---
  const menuOpen = () => state.menuOpenAt !== null;
  const rowsOf = (menu) => Array.from(menu.querySelectorAll('[role=menuitem]'));

  function fillMenu(element, id) {
    element.textContent = '';
    const items = (state.model && state.model.menus[id - 1]) || [];
    for (const item of items) {
      const row = document.createElement('div');
      row.setAttribute('role', 'menuitem');
      row.tabIndex = -1;
      row.textContent = item.label;
      if (item.submenu) {
        row.setAttribute('aria-haspopup', 'menu');
        row.setAttribute('aria-expanded', 'false');
        row.setAttribute('aria-controls', subMenu.id);
        row.dataset.submenu = String(item.submenu);
        row.addEventListener('mouseenter', () => openSubmenu(row, item.submenu, false));
        row.addEventListener('click', () => openSubmenu(row, item.submenu, false));
      } else {
        if (element === mainMenu) row.addEventListener('mouseenter', closeSubmenu);
        row.addEventListener('click', () => choose(id, item.value));
      }
      element.appendChild(row);
    }
  }

  function place(element, x, y) {
    element.style.left = '0px';
    element.style.top = '0px';
    const box = element.getBoundingClientRect();
    element.style.left = Math.max(0, Math.min(x, window.innerWidth - box.width)) + 'px';
    element.style.top = Math.max(0, Math.min(y, window.innerHeight - box.height)) + 'px';
  }

  // Opens the menu at a client position; `focusRow` focuses that row (-1 none).
  function openMenu(clientX, clientY, focusRow = -1, fromButton = false) {
    if (!state.model || !state.model.attached || menuOpen() || state.ended) return;
    touch.cancel();
    fillMenu(mainMenu, state.model.attached);
    mainMenu.hidden = false;
    place(mainMenu, clientX, clientY);
    state.menuOpenAt = toBuffer(clientX, clientY);
    state.menuFromButton = fromButton;
    menuButton.setAttribute('aria-expanded', 'true');
    run(() => Module._velmoraMenuStatus(1, state.menuOpenAt[0], state.menuOpenAt[1]));
    const rows = rowsOf(mainMenu);
    if (focusRow >= 0 && rows.length > 0) rows[Math.min(focusRow, rows.length - 1)].focus();
  }

  function openSubmenu(row, id, byKeyboard) {
    if (!subMenu.hidden && subMenu.dataset.menu === String(id)) {
      if (byKeyboard) rowsOf(subMenu)[0].focus();
      return;
    }
    fillMenu(subMenu, id);
    subMenu.dataset.menu = String(id);
    subMenu.setAttribute('aria-label', row.textContent);
    subMenu.hidden = false;
    row.setAttribute('aria-expanded', 'true');
    const box = row.getBoundingClientRect();
    place(subMenu, box.right, box.top - 3);
    if (byKeyboard) rowsOf(subMenu)[0].focus();
  }

  function closeSubmenu() {
    subMenu.hidden = true;
    delete subMenu.dataset.menu;
    for (const row of mainMenu.querySelectorAll('[aria-expanded=true]')) row.setAttribute('aria-expanded', 'false');
  }

  // Closes the menu; `tell` says so to the program, as the toolkit does. A
  // focus inside goes back to the menu button if it opened the menu, else to the view.
  function closeMenu(tell, toButton = state.menuFromButton) {
    if (!menuOpen()) return;
    const [x, y] = state.menuOpenAt;
    const hadFocus = mainMenu.contains(document.activeElement) || subMenu.contains(document.activeElement);
    closeSubmenu();
    mainMenu.hidden = true;
    state.menuOpenAt = null;
    state.pointerOnMenu = false;
    menuButton.setAttribute('aria-expanded', 'false');
    if (hadFocus && !state.ended) (toButton ? menuButton : canvas).focus({ preventScroll: true });
    if (tell) run(() => Module._velmoraMenuStatus(0, x, y));
  }

  function choose(id, value) {
    const [x, y] = state.menuOpenAt;
    closeMenu(false, false); // a chosen command acts on the view: the keys go there next
    run(() => Module._velmoraMenuChoice(id, value));
    run(() => Module._velmoraMenuStatus(0, x, y));
  }

  // The menu button, a WAI-ARIA menu button: a click, a tap, Enter or Space
  // opens the menu with its first row focused (Down too, Up with its last),
  // and closes it again; Escape gives the focus back to the button.
  function openFromButton(focusRow) {
    const box = menuButton.getBoundingClientRect();
    openMenu(box.left, box.bottom, focusRow, true);
  }
  menuButton.addEventListener('click', () => {
    if (menuOpen()) closeMenu(true);
    else openFromButton(0);
  });
  menuButton.addEventListener('keydown', (event) => {
    if (menuOpen() || (event.key !== 'ArrowDown' && event.key !== 'ArrowUp')) return;
    event.preventDefault();
    openFromButton(event.key === 'ArrowDown' ? 0 : Infinity);
  });

  for (const menu of [mainMenu, subMenu]) {
    menu.addEventListener('mouseenter', () => (state.pointerOnMenu = true));
    menu.addEventListener('mouseleave', () => (state.pointerOnMenu = false));
    menu.addEventListener('contextmenu', (event) => event.preventDefault());
  }

  // Keys while the menu has the focus or the pointer: it moves between its
  // rows, opens the submenu and chooses; every other key is ignored, as keys
  // over the desktop's menu are.
  function menuKey(event) {
    const inSub = subMenu.contains(document.activeElement);
    const menu = inSub ? subMenu : mainMenu;
    const rows = rowsOf(menu);
    const at = rows.indexOf(document.activeElement);
    switch (event.key) {
      case 'ArrowDown':
        rows[(at + 1) % rows.length].focus();
        break;
      case 'ArrowUp':
        rows[(at + rows.length - 1) % rows.length].focus();
        break;
      case 'Home':
        rows[0].focus();
        break;
      case 'End':
        rows[rows.length - 1].focus();
        break;
      case 'ArrowRight':
        if (at >= 0 && rows[at].dataset.submenu) openSubmenu(rows[at], Number(rows[at].dataset.submenu), true);
        break;
      case 'ArrowLeft':
        if (inSub) {
          const owner = mainMenu.querySelector('[aria-expanded=true]');
          closeSubmenu();
          if (owner) owner.focus();
        }
        break;
      case 'Enter':
      case ' ':
        if (at >= 0) rows[at].click();
        break;
      default:
        break;
    }
  }

  // --- Which events the program gets ---
  // Every window listener the program registers is wrapped: it gets the
  // events the desktop program would get, and its end ends the page's run.
  const keyEvents = new Set(['keydown', 'keyup', 'keypress']);
  const wheelEvents = new Set(['wheel', 'mousewheel', 'DOMMouseScroll']);

  // A control of the page other than the view has the focus: keys are its own.
  const otherControlFocused = () => {
    const focused = document.activeElement;
    return focused !== null && focused !== canvas && focused !== document.body && focused !== document.documentElement;
  };

  function admit(event) {
    if (state.ended) return false;
    const type = event.type;
    if (keyEvents.has(type)) {
      if (event.ctrlKey || event.altKey || event.metaKey) return false; // the browser's keys
      if (!menuOpen()) return !otherControlFocused();
      const onMenu = state.pointerOnMenu || mainMenu.contains(document.activeElement) ||
        subMenu.contains(document.activeElement);
      if (type === 'keydown' && event.key === 'Escape') {
        event.preventDefault();
        closeMenu(true);
        return false;
      }
      if (onMenu) {
        if (type === 'keydown') {
          event.preventDefault();
          menuKey(event);
        }
        return false;
      }
      return true; // over the view, keys work as always
    }
    // The pointer and touch are handled by the page's own listeners (below, and web/touch.js).
    if (type.startsWith('mouse') || type.startsWith('touch') || wheelEvents.has(type)) return false;
    return true;
  }

  const addListener = window.addEventListener;
  const removeListener = window.removeEventListener;
  const wrappers = new Map(); // listener -> Map(type -> wrapper)
  window.addEventListener = function (type, listener, options) {
    if (typeof listener !== 'function') return addListener.call(this, type, listener, options);
    const wrapper = function (event) {
      if (!admit(event)) return;
      run(() => listener.call(this, event));
    };
    if (!wrappers.has(listener)) wrappers.set(listener, new Map());
    wrappers.get(listener).set(type, wrapper);
    return addListener.call(this, type, wrapper, options);
  };
  window.removeEventListener = function (type, listener, options) {
    const wrapper = wrappers.has(listener) ? wrappers.get(listener).get(type) : undefined;
    return removeListener.call(this, type, wrapper || listener, options);
  };

  // --- The pointer: buttons, drags and the wheel, handed on as the desktop's toolkit does ---
  const GLUT_DOWN = 1;
  const GLUT_UP = 0;
  // Button `button` down or up, and a move with a button held, at window pixels [x, y].
  const mouse = (button, down, [x, y], modifiers = 0) =>
    run(() => Module._velmoraMouse(button, down ? GLUT_DOWN : GLUT_UP, x, y, modifiers));
  const motion = ([x, y]) => run(() => Module._velmoraMotion(x, y));
  // A client position as the program's window pixel: the drawing buffer's.
  function toBuffer(clientX, clientY) {
    const box = canvas.getBoundingClientRect();
    return [
      Math.trunc((clientX - box.left) * (canvas.width / box.width)),
      Math.trunc((clientY - box.top) * (canvas.height / box.height)),
    ];
  }
  const onCanvas = (event) => toBuffer(event.clientX, event.clientY);
  const held = (event) => (event.shiftKey ? 1 : 0) | (event.ctrlKey ? 2 : 0) | (event.altKey ? 4 : 0);
  const inMenu = (target) => mainMenu.contains(target) || subMenu.contains(target);
  const isMenuControl = (target) => inMenu(target) || menuButton.contains(target);

  addListener.call(window, 'mousedown', (event) => {
    if (state.ended) return;
    if (menuOpen()) {
      if (isMenuControl(event.target)) return; // the button closes it itself
      closeMenu(true); // a click beside the menu only closes it
      state.swallowMouseUp = true;
      event.preventDefault();
      return;
    }
    // The right button opens the menu over the matrices too; the left one
    // selects their text there.
    if (event.button === 2 && (event.target === canvas || matricesText.contains(event.target))) {
      event.preventDefault();
      canvas.focus({ preventScroll: true });
      openMenu(event.clientX, event.clientY);
      state.swallowMouseUp = true;
      return;
    }
    // The middle button drags over them too.
    const onView = event.target === canvas || (event.button === 1 && matricesText.contains(event.target));
    if (!onView || event.button > 2) return;
    event.preventDefault(); // no text selection or paste while dragging
    canvas.focus({ preventScroll: true });
    state.buttons |= 1 << event.button;
    mouse(event.button, true, onCanvas(event), held(event));
  }, true);

  addListener.call(window, 'mouseup', (event) => {
    if (state.ended) return;
    if (state.swallowMouseUp) {
      state.swallowMouseUp = false;
      return;
    }
    if ((state.buttons & (1 << event.button)) === 0) return;
    state.buttons &= ~(1 << event.button);
    mouse(event.button, false, onCanvas(event), held(event));
  }, true);

  addListener.call(window, 'mousemove', (event) => {
    if (state.ended || state.buttons === 0 || menuOpen()) return;
    motion(onCanvas(event));
  }, true);

  // A notch away from the user is button 3, towards button 4, each a press and
  // a release, over the matrices too. A wheel event of a mouse is one notch; a
  // touchpad's small steps add up to one.
  // Listened for on the whole document: WebKit scrolls the page by itself,
  // without asking, for a wheel over a part of it with no listener of its own.
  let wheelSum = 0;
  const view = document.getElementById('view');
  addListener.call(window, 'wheel', (event) => {
    if (!view.contains(event.target)) return; // elsewhere the wheel scrolls the page
    event.preventDefault();
    ++state.wheelEvents;
    if (state.ended || menuOpen() || event.deltaY === 0) return;
    let notches = Math.sign(event.deltaY);
    if (event.deltaMode === 0 && Math.abs(event.deltaY) < 50) {
      wheelSum += event.deltaY;
      notches = Math.trunc(wheelSum / 50);
      wheelSum -= notches * 50;
    }
    const at = onCanvas(event);
    for (let i = 0; i < Math.abs(notches); ++i) {
      const button = notches < 0 ? 3 : 4;
      mouse(button, true, at, held(event));
      mouse(button, false, at, held(event));
    }
  }, { capture: true, passive: false });

  matricesText.addEventListener('contextmenu', (event) => event.preventDefault());
  canvas.addEventListener('contextmenu', (event) => {
    event.preventDefault(); // the program's own menu, not the browser's
    if (!menuOpen()) {
      // From the keyboard's menu key (a right click opened it already): at the canvas's middle.
      const box = canvas.getBoundingClientRect();
      const fromPointer = event.clientX > 0 || event.clientY > 0;
      openMenu(fromPointer ? event.clientX : box.left + box.width / 2,
        fromPointer ? event.clientY : box.top + box.height / 2, fromPointer ? -1 : 0);
    }
  });

  // --- The drawing buffer: the view's CSS size in the screen's pixels ---
  // Told to the program as the desktop's toolkit tells it of a resized
  // window, so the viewport and the projection follow.
  function fitBuffer() {
    if (state.ended || typeof Module.setCanvasSize !== 'function') return;
    const box = canvas.getBoundingClientRect();
    const ratio = window.devicePixelRatio || 1;
    const width = Math.max(1, Math.round(box.width * ratio));
    const height = Math.max(1, Math.round(box.height * ratio));
    if (width !== canvas.width || height !== canvas.height) run(() => Module.setCanvasSize(width, height));
  }
  new ResizeObserver(fitBuffer).observe(canvas);
  // A new pixel ratio: browser zoom, another screen.
  (function watchRatio() {
    const query = matchMedia(`(resolution: ${window.devicePixelRatio || 1}dppx)`);
    query.addEventListener('change', () => {
      fitBuffer();
      watchRatio();
    }, { once: true });
  })();

  const touch = velmoraTouch({
    canvas,
    matrices: matricesText,
    mouse,
    motion,
    toBuffer,
    openMenu: (clientX, clientY) => openMenu(clientX, clientY),
    closeMenu: () => closeMenu(true),
    menuOpen,
    isMenuControl,
    ended: () => state.ended,
  });

  // --- Frames: the matrices as text, waits and pictures for whoever asks ---
  function showText() {
    const text = Module.UTF8ToString(Module._velmoraViewText());
    if (text === state.text) return;
    state.text = text;
    matricesText.textContent = '';
    for (const line of text.split('\n').slice(0, -1)) {
      const span = document.createElement('span');
      if (!line.startsWith(' ')) span.className = 'title';
      span.textContent = line + '\n';
      matricesText.appendChild(span);
    }
    matricesText.hidden = text === '';
  }

  function readPicture() {
    const gl = Module.ctx || canvas.getContext('webgl');
    const width = canvas.width;
    const height = canvas.height;
    const rgba = new Uint8Array(width * height * 4);
    gl.readPixels(0, 0, width, height, gl.RGBA, gl.UNSIGNED_BYTE, rgba);
    let binary = '';
    for (let y = height - 1; y >= 0; --y) {
      for (let x = 0; x < width; ++x) {
        const i = 4 * (y * width + x);
        binary += String.fromCharCode(rgba[i], rgba[i + 1], rgba[i + 2]);
      }
    }
    return { width, height, rgb: btoa(binary) };
  }

  function onFrame() {
    if (state.frames === 0) {
      state.firstFrameAt = performance.now();
      fitBuffer(); // the program made its window at the desktop's size
    }
    ++state.frames;
    showText();
    if (state.captures.length > 0) {
      const picture = readPicture();
      for (const resolve of state.captures.splice(0)) resolve(picture);
    }
    state.waiters = state.waiters.filter((w) => {
      if (state.frames < w.frames) return true;
      w.resolve(state.frames);
      return false;
    });
  }

  // For tests and the curious: frames drawn, a wait for more, the canvas's pixels.
  window.velmora = {
    frames: () => state.frames,
    firstFrameAt: () => state.firstFrameAt, // milliseconds from the navigation
    wheelEvents: () => state.wheelEvents,
    ended: () => state.ended,
    afterFrames: (count) => new Promise((resolve) => state.waiters.push({ frames: state.frames + count, resolve })),
    picture: () => new Promise((resolve) => state.captures.push(resolve)),
  };

  window.Module = {
    canvas,
    print: (text) => console.log(text),
    printErr: (text) => console.warn(text), // emscripten's notes, not errors of the page
    velmoraMenus: (json) => {
      state.model = JSON.parse(json);
    },
    velmoraFrame: onFrame,
    postRun: [
      () => {
        if (!Module.ctx) document.getElementById('unsupported').hidden = false;
      },
    ],
  };
  canvas.focus({ preventScroll: true });
})();
