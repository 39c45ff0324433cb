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
const os = require('os');
const path = require('path');

async function main() {
  const [modules, browserPath, url, pdf, width, height] = process.argv.slice(2);
  const puppeteer = require(require.resolve('puppeteer-core', {paths: [modules]}));
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'orvprint-a4-'));
  let browser;
  try {
    browser = await puppeteer.launch({
      executablePath: browserPath,
      ignoreDefaultArgs: true,
      defaultViewport: null,
      timeout: 120000,
      protocolTimeout: 300000,
      args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
             '--disable-component-update', '--disable-sync', `--user-data-dir=${profile}`],
    });
    const page = await browser.newPage();
    await page.goto(url, {waitUntil: 'load'});
    await page.evaluate(() => document.fonts.ready);
    // Only the paper changes: the protocol's defaults are the browser's own.
    const session = await page.createCDPSession();
    const {data} = await session.send('Page.printToPDF', {paperWidth: Number(width), paperHeight: Number(height)});
    fs.writeFileSync(pdf, Buffer.from(data, 'base64'));
  } finally {
    if (browser) await browser.close();
    fs.rmSync(profile, {recursive: true, force: true});
  }
}

main().catch((error) => {
  console.error(error && error.stack ? error.stack : String(error));
  process.exit(1);
});
