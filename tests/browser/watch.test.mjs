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

// A URL path as the bytes it names: '%xx' is one byte, whatever it spells.
function bytesOfPath(urlPath) {
  const out = [];
  for (let i = 0; i < urlPath.length; i++) {
    if (urlPath[i] === '%') {
      out.push(parseInt(urlPath.slice(i + 1, i + 3), 16));
      i += 2;
    } else {
      out.push(...Buffer.from(urlPath[i]));
    }
  }
  return Buffer.from(out);
}

// A file URL naming exactly the bytes of `file`.
function fileUrlOfBytes(file) {
  let s = 'file://';
  for (const b of file) {
    const c = String.fromCharCode(b);
    s += /[A-Za-z0-9\/._~-]/.test(c) ? c : '%' + b.toString(16).toUpperCase().padStart(2, '0');
  }
  return s;
}

// '#' would end the path of a relative URL and '%41' would read as 'A'; a
// byte that is not UTF-8 would read as U+FFFD: the decoys are what such a
// name would load instead of the sidecar.
const ids = [
  { id: Buffer.from('E#%41'), decoys: ['E', 'E#A_1.html.gen.js'] },
  { id: Buffer.from('Linea#2'), decoys: ['Linea'] },
  { id: Buffer.from([0x45, 0xff]), decoys: ['E\u{FFFD}_1.html.gen.js'] },
];
for (const { id, decoys } of ids) {
  test(`a page named ${JSON.stringify(id.toString('latin1'))}_1.html reloads on a change ` +
    "and runs no stranger's script", async () => {
    const dir = fs.mkdtempSync(path.join(work, 'd-'));
    execFileSync(program, ['new', 'X', '1', '--dir', dir]);
    // Names that a command line of Node's cannot carry: made by renaming.
    const named = (suffix) => Buffer.concat([Buffer.from(dir + '/'), id, Buffer.from(suffix)]);
    const line = named('_linea.txt');
    fs.renameSync(path.join(dir, 'X_linea.txt'), line);
    fs.renameSync(path.join(dir, 'X_1-.txt'), named('_1-.txt'));
    const decoy = 'window.sbDecoy = (window.sbDecoy || 0) + 1;\n';
    for (const name of decoys) fs.writeFileSync(path.join(dir, name), decoy);
    watch = spawn('/bin/sh', ['-c', 'exec "$0" render --watch --line *_linea.txt --train *_1-.txt',
      program], { cwd: dir, stdio: 'ignore' });
    const pagePath = named('_1.html');
    await waitForFile(named('_1.html.gen.js'), 10000);

    browser ??= await puppeteer.launch({
      executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
      headless: true,
      args: ['--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage',
        '--allow-file-access-from-files'],
    });
    const page = await browser.newPage();
    const loaded = [];
    page.on('request', (r) => loaded.push(bytesOfPath(new URL(r.url()).pathname)));
    await page.goto(fileUrlOfBytes(pagePath), { waitUntil: 'load' });
    await new Promise((r) => setTimeout(r, 1000));
    assert.equal(await page.evaluate(() => window.sbDecoy), undefined);

    const reloaded = page.waitForNavigation({ timeout: 10000 });
    fs.appendFileSync(line, '-- changed\r\n');
    await reloaded;
    await new Promise((r) => setTimeout(r, 700));
    assert.equal(await page.evaluate(() => window.sbDecoy), undefined);
    const scripts = loaded.filter((p) => !p.equals(pagePath));
    assert.ok(scripts.length > 0, 'the sidecar was never asked for');
    for (const p of scripts) assert.deepEqual(p, named('_1.html.gen.js'));
    watch.kill('SIGTERM');
    await page.close();
  });
}

test('a page whose compile gave warnings lists them above the picture', async () => {
  const dir = fs.mkdtempSync(path.join(work, 'w-'));
  execFileSync(program, ['new', 'W', '1', '--dir', dir]);
  const train = path.join(dir, 'W_1-.txt');
  fs.writeFileSync(train, fs.readFileSync(train, 'latin1')
    .replace('velocita,    2950,    160', 'velocita,    2950,    160,    5'), 'latin1');
  watch = spawn(program, ['render', '--watch', '--line', 'W_linea.txt', '--train', 'W_1-.txt'],
    { cwd: dir, stdio: 'ignore' });
  await waitForFile(path.join(dir, 'W_1.html.gen.js'), 10000);
  browser ??= await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage'],
  });
  const page = await browser.newPage();
  await page.goto('file://' + path.join(dir, 'W_1.html'), { waitUntil: 'load' });
  await page.waitForFunction(() => window.sbFirstFrame !== undefined, { timeout: 5000 });
  const shown = await page.$eval('#sb-warnings', (e) => e.textContent);
  assert.match(shown, /^W_1-\.txt:17:31: warning: expected 2 values for 'velocita', found more on its line: '5' is read as the next keyword \[-Wextra-values\]\n/);
  assert.equal(await page.$eval('.warnings summary', (e) => e.textContent), '1 warning');
  assert.equal(await page.evaluate(() => window.sbViewer.stations), 3);
  watch.kill('SIGTERM');
  await page.close();
});
