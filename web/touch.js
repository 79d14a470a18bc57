// Touch on the view, through Pointer Events: fingers (and pens) become the
// drags the desktop program knows. One finger drags as the left button does
// (orbit); two drag as the middle button does, at their midpoint (pan), and
// as they spread or close they give P or p steps; one finger held still for
// half a second opens the menu under it. Every finger's moves are gathered
// and handed on together, once per animation frame, just before it is drawn
// (web/frames.js): a browser reports each finger's move as an event of its
// own, and a midpoint handed on after each would step back and forth. A
// finger's path to the matrix: here, web/frames.js, web/program.js,
// web/page_seam.cpp, nav/mouse.cpp, nav/camera.cpp.
'use strict';
// `page`: {canvas, matrices, program, frames, menu, toBuffer}, from web/page.js.
// Returns {cancel}, which ends the gesture under way and ignores the fingers
// down until they are lifted.
function velmoraTouch(page) {
  const { program, frames, menu } = page;
  const kLongPressMs = 500;
  const kLongPressSlop = 10; // CSS px a finger held for the menu may wander
  const kMinSpread = 8; // CSS px: two fingers are never taken as closer than this
  const kMainButton = 0; // a MouseEvent's buttons: one finger drags as the main one,
  const kAuxiliaryButton = 1; // two as the auxiliary (middle) one

  const fingers = new Map(); // pointerId -> [clientX, clientY], in the order they came down
  const ignored = new Set(); // fingers that closed or opened the menu, until lifted
  let gesture = null; // {ids, button, at: buffer px handed on last, timer, start, spread, scale}

  const pointsOf = (ids) => ids.map((id) => fingers.get(id));
  const spreadOf = ([a, b]) => Math.max(kMinSpread, Math.hypot(a[0] - b[0], a[1] - b[1]));
  // The gesture's point in client px: its finger, or its two fingers' midpoint.
  const pointOf = (ids) => {
    const points = pointsOf(ids);
    if (points.length === 1) return points[0];
    return [(points[0][0] + points[1][0]) / 2, (points[0][1] + points[1][1]) / 2];
  };
  const stopTimer = () => {
    if (gesture && gesture.timer !== undefined) {
      clearTimeout(gesture.timer);
      gesture.timer = undefined;
    }
  };

  // The first two fingers down make the gesture; a fresh single finger may be a long press.
  function begin(fresh) {
    const ids = Array.from(fingers.keys()).slice(0, 2);
    if (ids.length === 0 || program.ended()) return;
    const point = pointOf(ids);
    gesture = { ids, button: ids.length === 1 ? kMainButton : kAuxiliaryButton, at: page.toBuffer(point[0], point[1]) };
    program.mouse(gesture.button, true, gesture.at);
    if (ids.length === 1 && fresh) {
      gesture.start = point;
      gesture.timer = setTimeout(longPress, kLongPressMs);
    } else if (ids.length === 2) {
      gesture.spread = spreadOf(pointsOf(ids));
      gesture.scale = 1;
    }
  }

  function end() {
    if (!gesture) return;
    stopTimer();
    program.mouse(gesture.button, false, gesture.at);
    gesture = null;
  }

  // What the fingers ask for now, gathered for the next frame (web/frames.js):
  // where the gesture's point is and, for two fingers, their spread against
  // the press's.
  function gatherMove() {
    if (!gesture || gesture.timer !== undefined || program.ended()) return;
    const point = pointOf(gesture.ids);
    const at = page.toBuffer(point[0], point[1]);
    const now = {};
    if (at[0] !== gesture.at[0] || at[1] !== gesture.at[1]) now.at = gesture.at = at;
    const scale = gesture.ids.length === 2 ? spreadOf(pointsOf(gesture.ids)) / gesture.spread : gesture.scale;
    if (scale !== gesture.scale) now.scale = gesture.scale = scale;
    if (now.at || now.scale !== undefined) frames.gather(now);
  }

  // A finger came or went: what moved before is taken first, then the
  // gesture starts again from where the fingers are, so the view never jumps.
  function change(how, fresh) {
    if (gesture) {
      stopTimer();
      gatherMove();
      frames.handOnGathered();
      end();
    }
    how();
    begin(fresh);
  }

  function longPress() {
    const [id] = gesture.ids;
    const [x, y] = fingers.get(id);
    gesture.timer = undefined;
    end(); // nothing was handed on while the finger was held: the drag ends where it began
    fingers.delete(id);
    ignored.add(id);
    menu.open(x, y);
  }

  const onView = (target) => target === page.canvas;

  document.addEventListener('pointerdown', (event) => {
    if (event.pointerType === 'mouse' || program.ended()) return;
    if (menu.isOpen()) {
      if (menu.isControl(event.target)) return; // rows and the menu button take their taps
      event.preventDefault();
      ignored.add(event.pointerId);
      menu.close(true); // a tap beside the menu only closes it
      return;
    }
    if (!onView(event.target)) return;
    event.preventDefault(); // no mouse events made up from the touch, no focus moved
    page.canvas.focus({ preventScroll: true });
    page.canvas.setPointerCapture(event.pointerId);
    change(() => fingers.set(event.pointerId, [event.clientX, event.clientY]), fingers.size === 0);
  }, true);

  document.addEventListener('pointermove', (event) => {
    if (!fingers.has(event.pointerId)) return;
    fingers.set(event.pointerId, [event.clientX, event.clientY]);
    if (gesture && gesture.timer !== undefined &&
      Math.hypot(event.clientX - gesture.start[0], event.clientY - gesture.start[1]) > kLongPressSlop) {
      stopTimer();
    }
    gatherMove();
  }, true);

  // A cancelled touch ends as a lifted one, where it was last seen.
  const lift = (event) => {
    if (ignored.delete(event.pointerId) || !fingers.has(event.pointerId)) return;
    if (event.type === 'pointerup') fingers.set(event.pointerId, [event.clientX, event.clientY]);
    change(() => fingers.delete(event.pointerId), false);
  };
  document.addEventListener('pointerup', lift, true);
  document.addEventListener('pointercancel', lift, true);

  // Touches on the view make no mouse events, clicks, scrolls or page zoom of their own.
  for (const type of ['touchstart', 'touchmove', 'touchend']) {
    document.addEventListener(type, (event) => {
      if (onView(event.target) && event.cancelable) event.preventDefault();
    }, { capture: true, passive: false });
  }

  return {
    cancel() {
      frames.gather(null);
      if (gesture) {
        stopTimer();
        end();
      }
      for (const id of fingers.keys()) ignored.add(id);
      fingers.clear();
    },
  };
}
