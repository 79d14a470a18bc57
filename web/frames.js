// The view's frames and its drawing buffer. A frame is drawn only when
// something that may change the picture has happened (input handed on, the
// menu, a new size, a restored context), in the next animation frame, never
// more than one an animation frame; at rest nothing is drawn. The buffer is
// the view's CSS size in the screen's pixels, told to the program as the
// desktop's toolkit tells it of a resized window.
'use strict';
// `page`: {canvas, matrices, program}, from web/page.js. Returns {ask,
// gather, handOnGathered, start, toBuffer, frames, nextFrame, picture}.
function velmoraFrames(page) {
  const { canvas, matrices, program } = page;
  let started = false; // the program has made its window and can draw
  let asked = false; // an animation frame is asked for
  let changed = false; // the picture may have changed since the last frame
  let frames = 0;
  let text = null;
  let gathered = {}; // the touch gesture's latest {at, scale} over the frame, handed on as it begins
  const waiters = []; // resolved after the asked-for frame
  const captures = []; // resolved with the next frame's pixels

  // Asks for a frame; `change` false asks only for the animation frame's
  // look at gathered input, which may or may not change the picture.
  function ask(change = true) {
    if (change) changed = true;
    if (asked || !started || program.ended()) return;
    asked = true;
    requestAnimationFrame(animationFrame);
  }

  function animationFrame() {
    handOnGathered(); // asks made here are for this frame
    asked = false;
    if (changed && !program.ended()) {
      changed = false;
      if (frames === 0) performance.mark('velmora-first-draw');
      program.draw();
      if (!program.ended()) onFrame();
    }
    for (const resolve of waiters.splice(0)) resolve(frames);
    for (const resolve of captures.splice(0)) resolve(null); // no frame was drawn: the program has ended
  }

  // The moves gathered since the last frame, as one step: the drag to where
  // the gesture's point is now and, for two fingers, how many times as far
  // apart they are as at its press, which the program makes P or p steps of.
  function handOnGathered() {
    const { at, scale } = gathered;
    gathered = {};
    if (at) program.motion(at);
    if (scale !== undefined) program.pinch(scale);
  }

  // The frame the program has just drawn: its text as the page's own, and its
  // pixels for whoever asked, read before the browser shows the buffer.
  function onFrame() {
    if (frames === 0) performance.mark('velmora-first-frame');
    ++frames;
    showText();
    if (captures.length > 0) {
      const picture = readPicture();
      for (const resolve of captures.splice(0)) resolve(picture);
    }
  }

  // The lines the program handed over, each styled by its kind (title,
  // value, task or count), the box as wide as the widest line can be.
  function showText() {
    const now = program.viewText();
    const key = JSON.stringify(now);
    if (key === text) return;
    text = key;
    matrices.textContent = '';
    for (const line of now.lines) {
      const span = document.createElement('span');
      span.className = line.kind;
      span.textContent = line.text + '\n';
      matrices.appendChild(span);
    }
    matrices.style.setProperty('--columns', now.columns);
    matrices.hidden = now.lines.length === 0;
  }

  function readPicture() {
    const gl = program.context;
    const { width, height } = canvas;
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

  // The buffer: the view's CSS size times the pixel ratio, rounded. `always`
  // tells the program the size even if the buffer has it already (at start).
  function fit(always = false) {
    if (!started || program.ended()) return;
    const box = canvas.getBoundingClientRect();
    const ratio = window.devicePixelRatio || 1;
    const width = Math.max(1, Math.round(box.width * ratio));
    const height = Math.max(1, Math.round(box.height * ratio));
    if (!always && width === canvas.width && height === canvas.height) return;
    canvas.width = width;
    canvas.height = height;
    program.reshape(width, height);
  }
  new ResizeObserver(() => fit()).observe(canvas);
  // A new pixel ratio: browser zoom, another screen.
  (function watchRatio() {
    matchMedia(`(resolution: ${window.devicePixelRatio || 1}dppx)`).addEventListener('change', () => {
      fit();
      watchRatio();
    }, { once: true });
  })();
  canvas.addEventListener('webglcontextrestored', () => ask());

  // A client position as the program's window pixel: the drawing buffer's.
  function toBuffer(clientX, clientY) {
    const box = canvas.getBoundingClientRect();
    return [
      Math.trunc((clientX - box.left) * (canvas.width / box.width)),
      Math.trunc((clientY - box.top) * (canvas.height / box.height)),
    ];
  }

  return {
    ask,
    // The gesture's latest {at, scale}, handed on in the next animation frame
    // before its drawing, or at once by handOnGathered; null forgets it.
    gather(now) {
      gathered = now === null ? {} : { ...gathered, ...now };
      if (now !== null) ask(false);
    },
    handOnGathered,
    // The program has made its window: the buffer's size, then the first frame.
    start() {
      started = true;
      fit(true);
    },
    toBuffer,
    frames: () => frames,
    // After the frame asked for by what has happened so far, or now if none is.
    nextFrame: () => new Promise((resolve) => (asked ? waiters.push(resolve) : resolve(frames))),
    // The picture drawn again, for whoever asks: {width, height, rgb: base64 rows from the top}.
    picture: () => new Promise((resolve) => {
      captures.push(resolve);
      ask();
    }),
  };
}
