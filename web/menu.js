// The program's pop-up menu as HTML: its rows as the program's toolkit keeps
// them (web/glut_web.cpp), taken as it opens; opened by the right button, the
// keyboard's menu key, the Menu button or a long press, read by screen readers
// as a menu; a chosen row goes back to the program as the toolkit's menu callback.
'use strict';
// `page`: {canvas, menu, menuButton, program, toBuffer, cancelTouch}, from
// web/page.js. Returns {open, close, isOpen, key, hasKeys, isControl}.
function velmoraMenu(page) {
  const { canvas, menu: mainMenu, menuButton, program } = page;
  const subMenu = document.createElement('div');
  subMenu.id = 'submenu';
  subMenu.className = 'submenu';
  subMenu.setAttribute('role', 'menu');
  subMenu.hidden = true;
  document.body.appendChild(subMenu);

  let model = null; // {attached, menus: [[{label, value, submenu}]]}, as the open menu was opened
  let openAt = null; // the window pixel where the open menu was opened, or null
  let fromButton = false; // the open menu was opened by the menu button
  let pointerOn = false;

  const isOpen = () => openAt !== null;
  const rowsOf = (menu) => Array.from(menu.querySelectorAll('[role=menuitem]'));

  function fill(element, id) {
    element.textContent = '';
    const items = (model && model.menus[id - 1]) || [];
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
  function open(clientX, clientY, focusRow = -1, byButton = false) {
    if (isOpen() || program.ended()) return;
    model = program.menus();
    if (!model || !model.attached) return;
    page.cancelTouch();
    fill(mainMenu, model.attached);
    mainMenu.hidden = false;
    place(mainMenu, clientX, clientY);
    openAt = page.toBuffer(clientX, clientY);
    fromButton = byButton;
    menuButton.setAttribute('aria-expanded', 'true');
    program.menuStatus(true, openAt);
    const rows = rowsOf(mainMenu);
    if (focusRow >= 0 && rows.length > 0) rows[Math.min(focusRow, rows.length - 1)].focus();
  }

  function openSubmenu(row, id, byKeyboard) {
    if (!subMenu.hidden && subMenu.dataset.menu === String(id)) {
      if (byKeyboard) rowsOf(subMenu)[0].focus();
      return;
    }
    fill(subMenu, id);
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
  function close(tell, toButton = fromButton) {
    if (!isOpen()) return;
    const [x, y] = openAt;
    const hadFocus = mainMenu.contains(document.activeElement) || subMenu.contains(document.activeElement);
    closeSubmenu();
    mainMenu.hidden = true;
    openAt = null;
    pointerOn = false;
    menuButton.setAttribute('aria-expanded', 'false');
    if (hadFocus && !program.ended()) (toButton ? menuButton : canvas).focus({ preventScroll: true });
    if (tell) program.menuStatus(false, [x, y]);
  }

  function choose(id, value) {
    const [x, y] = openAt;
    close(false, false); // a chosen command acts on the view: the keys go there next
    program.menuChoice(id, value);
    program.menuStatus(false, [x, y]);
  }

  // The menu button, a WAI-ARIA menu button: a click, a tap, Enter or Space
  // opens the menu with its first row focused (Down too, Up with its last),
  // and closes it again; Escape gives the focus back to the button.
  function openFromButton(focusRow) {
    const box = menuButton.getBoundingClientRect();
    open(box.left, box.bottom, focusRow, true);
  }
  menuButton.addEventListener('click', () => {
    if (isOpen()) close(true);
    else openFromButton(0);
  });
  menuButton.addEventListener('keydown', (event) => {
    if (isOpen() || (event.key !== 'ArrowDown' && event.key !== 'ArrowUp')) return;
    event.preventDefault();
    openFromButton(event.key === 'ArrowDown' ? 0 : Infinity);
  });

  for (const menu of [mainMenu, subMenu]) {
    menu.addEventListener('mouseenter', () => (pointerOn = true));
    menu.addEventListener('mouseleave', () => (pointerOn = false));
    menu.addEventListener('contextmenu', (event) => event.preventDefault());
  }

  // A key while the menu has the focus or the pointer: it moves between its
  // rows, opens the submenu and chooses; every other key is ignored, as keys
  // over the desktop's menu are.
  function key(event) {
    const inSub = subMenu.contains(document.activeElement);
    const rows = rowsOf(inSub ? subMenu : mainMenu);
    const at = rows.indexOf(document.activeElement);
    switch (event.key) {
      case 'ArrowDown': rows[(at + 1) % rows.length].focus(); break;
      case 'ArrowUp': rows[(at + rows.length - 1) % rows.length].focus(); break;
      case 'Home': rows[0].focus(); break;
      case 'End': rows[rows.length - 1].focus(); break;
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

  const contains = (target) => mainMenu.contains(target) || subMenu.contains(target);
  return {
    open,
    close,
    isOpen,
    key,
    // The menu has the pointer or the focus: keys are its own.
    hasKeys: () => pointerOn || contains(document.activeElement),
    // The menu or its button: their own clicks and taps.
    isControl: (target) => contains(target) || menuButton.contains(target),
  };
}
