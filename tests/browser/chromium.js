// SPDX-License-Identifier: MIT
// Opens one page in headless Chromium through puppeteer-core, with a fresh
// profile of its own that is removed afterwards, and the same switches the
// shell tests give the browser: no sandbox (the tests may run as root), and
// nothing that would reach the network or change the browser while it runs.
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');

/// Loads `url` (its fonts too) in the Chromium at `browserPath`, with
/// puppeteer-core taken from `modules`, calls `use(page)` and returns what
/// it returns. `args` are further switches, such as a window size.
async function withPage(modules, browserPath, url, args, use) {
  const puppeteer = require(require.resolve('puppeteer-core', {paths: [modules]}));
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'orvprint-chromium-'));
  let browser;
  try {
    browser = await puppeteer.launch({
      executablePath: browserPath,
      ignoreDefaultArgs: true,
      defaultViewport: null,
      timeout: 120000,
      protocolTimeout: 300000,
      args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
             '--disable-component-update', '--disable-sync', `--user-data-dir=${profile}`, ...args],
    });
    const page = await browser.newPage();
    await page.goto(url, {waitUntil: 'load'});
    await page.evaluate(() => document.fonts.ready);
    return await use(page);
  } finally {
    if (browser) await browser.close();
    fs.rmSync(profile, {recursive: true, force: true});
  }
}

/// Runs `main` and ends the process with a message and exit code 1 if it
/// fails.
function run(main) {
  main().catch((error) => {
    console.error(error && error.stack ? error.stack : String(error));
    process.exit(1);
  });
}

module.exports = {withPage, run};
