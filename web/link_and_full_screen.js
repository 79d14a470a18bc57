// The view handed on and shown big: a link to the view in the page's address
// ("#view=", the text app/view_link.h describes, or "#target=" for the same
// view as an exercise's target), which the program is started with, and the
// view filling the screen. Both are rows of the program's menu;
// the page does what the program asks (its hooks, web/program.js).
'use strict';
const kLinkOptions = { '#view=': '--view', '#target=': '--target' };
const linkPrefixOf = (hash) => Object.keys(kLinkOptions).find((prefix) => hash.startsWith(prefix));

// The program's command line: the link's view or target, if the address has
// one. Its text goes to the program only, which says whether it is a view.
function velmoraStartArguments() {
  const prefix = linkPrefixOf(location.hash);
  if (!prefix) return [];
  try {
    return [kLinkOptions[prefix], decodeURIComponent(location.hash.slice(prefix.length))];
  } catch (error) {
    return [kLinkOptions[prefix], '']; // not even text: the program refuses it
  }
}

// `page`: {program, element}, from web/page.js. Returns the program's hooks
// for them, {link, linkRejected, fullScreen}, and isFullScreen.
function velmoraLinkAndFullScreen(page) {
  const { program } = page;
  const button = page.element('full-screen-button');

  // A link to a view given in the address of the open page: the page starts again at it.
  window.addEventListener('hashchange', () => {
    if (linkPrefixOf(location.hash)) location.reload();
  });

  // The link into the address, and onto the clipboard where the browser allows.
  function link(text, asTarget) {
    history.replaceState(null, '', (asTarget ? '#target=' : '#view=') + text);
    const said = page.element('linked');
    said.hidden = false;
    said.textContent = `The address now links to this view${asTarget ? ' as an exercise' : ''}.`;
    if (navigator.clipboard && window.isSecureContext) {
      navigator.clipboard.writeText(location.href).then(() => {
        said.textContent = `The address, now on the clipboard, links to this view${asTarget ? ' as an exercise' : ''}.`;
      }, () => {});
    }
  }

  // The whole page goes full screen, its view over the rest (web/page.css), so
  // that the menu, which lies outside the view, still opens over it. Whether
  // it is full screen is the document's alone: the menu's row asks the
  // program, which asks here (fullScreen, isFullScreen); the button asks the
  // document itself; the browser's Escape leaves it. Each change, whoever
  // made it, tells the program, whose row then says what it will do, and the
  // button follows.
  const root = document.documentElement;
  const fullScreenNow = () => document.fullscreenElement === root;
  function fullScreen(on) {
    if (on && !fullScreenNow() && root.requestFullscreen) root.requestFullscreen().catch(() => {});
    if (!on && fullScreenNow()) document.exitFullscreen().catch(() => {});
  }
  document.addEventListener('fullscreenchange', () => {
    program.fullScreenChanged();
    button.textContent = fullScreenNow() ? 'Leave full screen' : 'Full screen';
  });
  button.addEventListener('click', () => fullScreen(!fullScreenNow()));

  return {
    link,
    linkRejected: () => (page.element('bad-link').hidden = false),
    fullScreen,
    isFullScreen: fullScreenNow,
  };
}
