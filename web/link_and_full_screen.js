// The view handed on and shown big: a link to the view in the page's address
// ("#view=", the text app/view_link.h describes, or "#target=" for the same
// view as an exercise's target), which the program is started with, and the
// view filling the screen. Both are rows of the program's menu;
// the page does what the program asks (its hooks, web/program.js).
'use strict';
const kLinkOptions = { '#view=': '--view', '#target=': '--target' };
const linkPrefixOf = (hash) => Object.keys(kLinkOptions).find((prefix) => hash.startsWith(prefix));

// The program's command line: the link's view, or its targets
// (#target=TEXT&target=TEXT... for a set), if the address has one. Their
// text goes to the program only, which says whether each is a view.
function velmoraStartArguments() {
  const prefix = linkPrefixOf(location.hash);
  if (!prefix) return [];
  const texts = prefix === '#target=' ? location.hash.slice(prefix.length).split('&target=') : [location.hash.slice(prefix.length)];
  return texts.flatMap((text) => {
    try {
      return [kLinkOptions[prefix], decodeURIComponent(text)];
    } catch (error) {
      return [kLinkOptions[prefix], '']; // not even text: the program refuses it
    }
  });
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
  // `count` targets of a set, joined by "&target=".
  function link(text, asTarget, count) {
    history.replaceState(null, '', (asTarget ? '#target=' : '#view=') + text);
    const said = page.element('linked');
    const what = count > 1 ? `this set of ${count} views as exercises` : `this view${asTarget ? ' as an exercise' : ''}`;
    said.hidden = false;
    said.textContent = `The address now links to ${what}.`;
    if (navigator.clipboard && window.isSecureContext) {
      navigator.clipboard.writeText(location.href).then(() => {
        said.textContent = `The address, now on the clipboard, links to ${what}.`;
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
    // `which`: "the view", or "target 3 of 5" of a set, none of which starts.
    linkRejected(which) {
      const bad = page.element('bad-link');
      if (which !== 'the view') bad.textContent = `In this link ${which} was not understood: Velmora starts at its usual view.`;
      bad.hidden = false;
    },
    fullScreen,
    isFullScreen: fullScreenNow,
  };
}
