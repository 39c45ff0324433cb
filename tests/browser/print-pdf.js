// SPDX-License-Identifier: MIT
// Prints a document to PDF on a paper size of its own through Chromium's
// DevTools protocol, as a reader's print dialog would with every other
// setting left at the browser's default (margins, scale, no headers).
//
//   node print-pdf.js NODE_MODULES BROWSER URL PDF WIDTH_IN HEIGHT_IN
//
// NODE_MODULES is the folder where puppeteer-core is installed; BROWSER the
// Chromium to drive (headless, with a fresh profile of its own).
'use strict';
const fs = require('fs');
const {withPage, run} = require('./chromium');

run(async () => {
  const [modules, browserPath, url, pdf, width, height] = process.argv.slice(2);
  await withPage(modules, browserPath, url, [], async (page) => {
    // Only the paper changes: the protocol's defaults are the browser's own.
    const session = await page.createCDPSession();
    const {data} = await session.send('Page.printToPDF', {paperWidth: Number(width), paperHeight: Number(height)});
    fs.writeFileSync(pdf, Buffer.from(data, 'base64'));
  });
});
