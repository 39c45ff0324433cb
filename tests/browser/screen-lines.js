// SPDX-License-Identifier: MIT
// Measures a document's printed lines as a screen shows them: the glyph
// boxes of each line's text, which span the font's ascent and descent, so
// that a line whose accents or descenders reach into its neighbour's shows.
//
//   node screen-lines.js NODE_MODULES BROWSER URL WIDTH_PX HEIGHT_PX
//
// Writes "height H", the document's height, then one line per printed line
// that holds text, in order: "TOP BOTTOM TEXT", the top and bottom of the
// line's glyph boxes in CSS pixels from the top of the page and its first
// characters. The window is WIDTH_PX x HEIGHT_PX at the default zoom.
'use strict';
const {withPage, run} = require('./chromium');

// Runs in the page. A line of the text is a run of it up to a line end, in
// one block: the preformatted body, or a page bar. Its glyph boxes are the
// client rectangles of a Range over its characters in each text node.
function measure() {
  const lines = [];
  let line = null;
  let block = null;
  const blockOf = (node) => {
    let element = node.parentElement;
    while (element !== document.body && getComputedStyle(element).display === 'inline') element = element.parentElement;
    return element;
  };
  const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
  for (let node = walker.nextNode(); node; node = walker.nextNode()) {
    const text = node.data;
    if (blockOf(node) !== block) {
      block = blockOf(node);
      line = null;
    }
    for (let start = 0; start <= text.length;) {
      let end = text.indexOf('\n', start);
      if (end < 0) end = text.length;
      if (end > start) {
        const range = document.createRange();
        range.setStart(node, start);
        range.setEnd(node, end);
        for (const box of range.getClientRects()) {
          if (!line) lines.push(line = {top: Infinity, bottom: -Infinity, text: ''});
          line.top = Math.min(line.top, box.top + window.scrollY);
          line.bottom = Math.max(line.bottom, box.bottom + window.scrollY);
        }
        if (line && line.text.length < 40) line.text += text.slice(start, end);
      }
      if (end < text.length) line = null;  // a line end: what follows is the next line
      start = end + 1;
    }
  }
  return {height: document.documentElement.scrollHeight, lines};
}

run(async () => {
  const [modules, browserPath, url, width, height] = process.argv.slice(2);
  const found = await withPage(modules, browserPath, url, [`--window-size=${width},${height}`, '--hide-scrollbars'],
                               (page) => page.evaluate(measure));
  const out = [`height ${found.height}`];
  for (const line of found.lines) out.push(`${line.top} ${line.bottom} ${line.text.replace(/\s+/g, ' ').trim() || '(blanks)'}`);
  process.stdout.write(out.join('\n') + '\n');
});
