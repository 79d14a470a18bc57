// Writes the web build's page: web/index.html with the page's style and
// scripts (in the order of kScripts: each defines what the next ones use,
// and page.js puts them together), the project's icon (data/velmora.png, made from data/velmora.xpm)
// and the README's tables of keys, the mouse and touch put in.
//   node web/make_page.js SOURCE_DIR VERSION OUT.html
'use strict';
const fs = require('fs');
const path = require('path');

const [root, version, out] = process.argv.slice(2);
const read = (file, encoding = 'utf8') => fs.readFileSync(path.join(root, file), encoding);

const escape = (text) => text.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;');
// A cell of a README table: text with `code` spans.
const cell = (text) => escape(text).replace(/`([^`]+)`/g, '<code>$1</code>');

// The first table after a heading of the README, as HTML.
function tableAfter(readme, heading) {
  const lines = readme.split('\n');
  const at = lines.indexOf(heading);
  if (at < 0) throw new Error(`README.md has no heading "${heading}"`);
  let first = at + 1;
  while (first < lines.length && !lines[first].startsWith('|')) ++first;
  const rows = [];
  for (let i = first; i < lines.length && lines[i].startsWith('|'); ++i) {
    rows.push(lines[i].trim().replace(/^\||\|$/g, '').split('|').map((c) => c.trim()));
  }
  if (rows.length < 3) throw new Error(`README.md has no table after "${heading}"`);
  const head = rows[0].map((c) => `<th scope="col">${cell(c)}</th>`).join('');
  const body = rows.slice(2).map((r) => `<tr>${r.map((c) => `<td>${cell(c)}</td>`).join('')}</tr>`).join('\n');
  return `<table>\n<thead><tr>${head}</tr></thead>\n<tbody>\n${body}\n</tbody>\n</table>`;
}

const kScripts = ['web/program.js', 'web/frames.js', 'web/menu.js', 'web/link_and_full_screen.js', 'web/input.js', 'web/touch.js',
  'web/page.js'];
const readme = read('README.md');
const parts = {
  VERSION: version,
  ICON: 'data:image/png;base64,' + read('data/velmora.png', null).toString('base64'),
  STYLE: read('web/page.css'),
  SCRIPT: kScripts.map((file) => read(file)).join('\n'),
  KEYS: tableAfter(readme, '## Keys'),
  MOUSE: tableAfter(readme, '## Mouse'),
  TOUCH: tableAfter(readme, '## Touch'),
};
const page = read('web/index.html').replace(/\{\{([A-Z]+)\}\}/g, (whole, name) => {
  if (!(name in parts)) throw new Error(`web/index.html: unknown part ${whole}`);
  return parts[name];
});
fs.writeFileSync(out, page);
