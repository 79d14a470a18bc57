// The view handed on and shown big: a link to the view in the page's address
// ("#view=", the text app/view_link.h describes), which the program is started
// with, and the view filling the screen. Both are rows of the program's menu;
// the page does what the program asks (its hooks, web/program.js).
'use strict';
const kViewLinkPrefix = '#view=';

// The program's command line: the link's view, if the address has one. Its
// text goes to the program only, which says whether it is a view.
function velmoraStartArguments() {
  if (!location.hash.startsWith(kViewLinkPrefix)) return [];
  try {
    return ['--view', decodeURIComponent(location.hash.slice(kViewLinkPrefix.length))];
  } catch (error) {
    return ['--view', '']; // not even text: the program refuses it
  }
}

// `page`: {program, element}, from web/page.js. Returns the program's hooks
// for them, {link, linkRejected, fullScreen}, and isFullScreen.
function velmoraLinkAndFullScreen(page) {
  const { program } = page;
  const button = page.element('full-screen-button');

  // A link to a view given in the address of the open page: the page starts again at it.
  window.addEventListener('hashchange', () => {
    if (location.hash.startsWith(kViewLinkPrefix)) location.reload();
  });

  // The link into the address, and onto the clipboard where the browser allows.
  function link(text) {
    history.replaceState(null, '', kViewLinkPrefix + text);
    const said = page.element('linked');
    said.hidden = false;
    if (navigator.clipboard && window.isSecureContext) {
      navigator.clipboard.writeText(location.href).then(() => {
        said.textContent = 'The address, now on the clipboard, links to this view.';
      }, () => {});
    }
  }

  // The whole page goes full screen, its view over the rest (web/page.css), so
  // that the menu, which lies outside the view, still opens over it.
  const root = document.documentElement;
  const fullScreenNow = () => document.fullscreenElement === root;
  function fullScreen(on) {
    if (on && !fullScreenNow() && root.requestFullscreen) root.requestFullscreen().catch(left);
    if (!on && fullScreenNow()) document.exitFullscreen().catch(() => {});
  }
  // The browser's own way out (Escape), or a refusal: the program's row follows.
  function left() {
    if (!fullScreenNow()) program.fullScreenLeft();
    button.textContent = fullScreenNow() ? 'Leave full screen' : 'Full screen';
  }
  document.addEventListener('fullscreenchange', left);
  button.addEventListener('click', () => program.fullScreenButton());

  return {
    link,
    linkRejected: () => (page.element('bad-link').hidden = false),
    fullScreen,
    isFullScreen: fullScreenNow,
  };
}
