// Keys, mouse buttons, drags and the wheel, handed to the program
// (web/program.js) as the browser reports them; touch is web/touch.js.
// Keys with Ctrl, Alt or Meta are the browser's; keys reach the program only
// from the view, or where no other control of the page has the focus; over
// an open menu they are the menu's, and Escape closes only the menu.
'use strict';
// `page`: {canvas, matrices, view, program, menu, fullScreen, toBuffer}, from web/page.js.
function velmoraInput(page) {
  const { canvas, matrices, menu, program } = page;
  let buttons = 0; // the buttons held since they were pressed on the view
  let swallowMouseUp = false;
  let pointer = [0, 0]; // where the pointer was last seen over the view, in window pixels
  const onView = (event) => (pointer = page.toBuffer(event.clientX, event.clientY));

  // A control of the page other than the view has the focus: keys are its own.
  const otherControlFocused = () => {
    const focused = document.activeElement;
    return focused !== null && focused !== canvas && focused !== document.body && focused !== document.documentElement;
  };

  window.addEventListener('keydown', (event) => {
    if (program.ended() || event.ctrlKey || event.altKey || event.metaKey) return;
    if (event.key === 'Escape' && page.fullScreen()) return; // the browser's way out of full screen, only that
    if (menu.isOpen()) {
      if (event.key === 'Escape' || menu.hasKeys()) {
        event.preventDefault();
        if (event.key === 'Escape') menu.close(true);
        else menu.key(event);
        return;
      }
    } else if (otherControlFocused()) {
      return;
    }
    // The program takes it if its toolkit would report it (web/page_seam.cpp's table).
    if (program.key(event.key, pointer)) event.preventDefault();
  }, true);

  window.addEventListener('mousedown', (event) => {
    if (program.ended()) return;
    if (menu.isOpen()) {
      if (menu.isControl(event.target)) return; // the button closes it itself
      menu.close(true); // a click beside the menu only closes it
      swallowMouseUp = true;
      event.preventDefault();
      return;
    }
    // The right button opens the menu over the matrices too; the left one
    // selects their text there.
    if (event.button === 2 && (event.target === canvas || matrices.contains(event.target))) {
      event.preventDefault();
      canvas.focus({ preventScroll: true });
      menu.open(event.clientX, event.clientY);
      swallowMouseUp = true;
      return;
    }
    // The middle button drags over them too.
    const onTheView = event.target === canvas || (event.button === 1 && matrices.contains(event.target));
    if (!onTheView || event.button > 2) return;
    event.preventDefault(); // no text selection or paste while dragging
    canvas.focus({ preventScroll: true });
    buttons |= 1 << event.button;
    program.mouse(event.button, true, onView(event), event);
  }, true);

  window.addEventListener('mouseup', (event) => {
    if (program.ended()) return;
    if (swallowMouseUp) {
      swallowMouseUp = false;
      return;
    }
    if ((buttons & (1 << event.button)) === 0) return;
    buttons &= ~(1 << event.button);
    program.mouse(event.button, false, onView(event), event);
  }, true);

  window.addEventListener('mousemove', (event) => {
    if (event.target === canvas) onView(event);
    if (program.ended() || buttons === 0 || menu.isOpen()) return;
    program.motion(onView(event));
  }, true);

  // A wheel event of a mouse is one notch, over the matrices too; a
  // touchpad's small steps add up to one. Listened for on the whole window:
  // WebKit scrolls the page by itself, without asking, for a wheel over a
  // part of it with no listener of its own.
  const kPixelsANotch = 50;
  let wheelSum = 0;
  window.addEventListener('wheel', (event) => {
    if (!page.view.contains(event.target)) return; // elsewhere the wheel scrolls the page
    event.preventDefault();
    if (program.ended() || menu.isOpen() || event.deltaY === 0) return;
    let towards = Math.sign(event.deltaY);
    if (event.deltaMode === 0 && Math.abs(event.deltaY) < kPixelsANotch) {
      wheelSum += event.deltaY;
      towards = Math.trunc(wheelSum / kPixelsANotch);
      wheelSum -= towards * kPixelsANotch;
    }
    if (towards !== 0) program.wheel(-towards, onView(event), event);
  }, { capture: true, passive: false });

  matrices.addEventListener('contextmenu', (event) => event.preventDefault());
  canvas.addEventListener('contextmenu', (event) => {
    event.preventDefault(); // the program's own menu, not the browser's
    if (menu.isOpen()) return;
    // From the keyboard's menu key (a right click opened it already): at the view's middle.
    const box = canvas.getBoundingClientRect();
    const fromPointer = event.clientX > 0 || event.clientY > 0;
    menu.open(fromPointer ? event.clientX : box.left + box.width / 2,
      fromPointer ? event.clientY : box.top + box.height / 2, fromPointer ? -1 : 0);
  });
}
