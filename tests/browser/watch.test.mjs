// render --watch in headless Chromium: the open page reloads when a
// description changes, and loads its sidecar and nothing else, even when
// the page's name holds characters that mean something in a URL.
//
// node watch.test.mjs SCENARIO_BUILDER
// CHROMIUM names the browser (default /usr/bin/chromium).
import { test, after } from 'node:test';
import assert from 'node:assert/strict';
import { spawn, execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import puppeteer from 'puppeteer-core';

const program = path.resolve(process.argv[2] || 'scenario-builder');
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'sb-watch-'));
let browser, watch;

after(async () => {
  watch?.kill('SIGTERM');
  await browser?.close();
  fs.rmSync(work, { recursive: true, force: true });
});

function waitForFile(file, ms) {
  const end = Date.now() + ms;
  return new Promise((resolve, reject) => {
    const look = () => {
      if (fs.existsSync(file)) return resolve();
      if (Date.now() > end) return reject(new Error('no ' + file));
      setTimeout(look, 50);
    };
    look();
  });
}

// '#' would end the path of a relative URL and '%41' would read as 'A':
// the decoys are what such a name would load instead of the sidecar.
for (const id of ['E#%41', 'Linea#2']) {
  test(`a page named ${id}_1.html reloads on a change and runs no stranger's script`, async () => {
    const dir = fs.mkdtempSync(path.join(work, 'd-'));
    execFileSync(program, ['new', id, '1', '--dir', dir]);
    const decoy = 'window.sbDecoy = (window.sbDecoy || 0) + 1;\n';
    const decoys = [id.split('#')[0]];
    if (id.includes('%41')) decoys.push(id.replace('%41', 'A') + '_1.html.gen.js');
    for (const name of decoys) fs.writeFileSync(path.join(dir, name), decoy);
    const line = path.join(dir, `${id}_linea.txt`);
    watch = spawn(program, ['render', '--watch', '--line', line, '--train',
      path.join(dir, `${id}_1-.txt`)], { stdio: 'ignore' });
    const pagePath = path.join(dir, `${id}_1.html`);
    await waitForFile(pagePath + '.gen.js', 10000);

    browser ??= await puppeteer.launch({
      executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
      headless: true,
      args: ['--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage',
        '--allow-file-access-from-files'],
    });
    const page = await browser.newPage();
    const loaded = [];
    page.on('request', (r) => loaded.push(decodeURIComponent(new URL(r.url()).pathname)));
    await page.goto(pathToFileURL(pagePath).href, { waitUntil: 'load' });
    await new Promise((r) => setTimeout(r, 1000));
    assert.equal(await page.evaluate(() => window.sbDecoy), undefined);

    const reloaded = page.waitForNavigation({ timeout: 10000 });
    fs.appendFileSync(line, '-- changed\r\n');
    await reloaded;
    await new Promise((r) => setTimeout(r, 700));
    assert.equal(await page.evaluate(() => window.sbDecoy), undefined);
    const scripts = loaded.filter((p) => p !== pagePath);
    assert.ok(scripts.length > 0, 'the sidecar was never asked for');
    for (const p of scripts) assert.equal(p, pagePath + '.gen.js');
    watch.kill('SIGTERM');
    await page.close();
  });
}
