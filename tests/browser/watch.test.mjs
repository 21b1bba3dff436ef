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

// A scenario whose author texts look like HTML: the line's identifier, two
// station names and a text board. "<!--<script>" in a script's text makes
// the HTML parser skip the end tag that follows, so a page that let it
// through would swallow its own script and show nothing. Its km posts jump
// back 1 km at 12000 m, so that 122+990 is at two places.
const HOSTILE = '<!--<script>';
function hostileScenario(dir) {
  execFileSync(program, ['new', HOSTILE, '1', '--dir', dir]);
  const line = path.join(dir, `${HOSTILE}_linea.txt`), train = path.join(dir, `${HOSTILE}_1-.txt`);
  fs.writeFileSync(line, fs.readFileSync(line, 'latin1')
    .replace('progressiva chilometrica due,    0,    0,    0', 'progressiva chilometrica due,    12000,    122000,    0')
    .replace('(Km 120+700)', '</script><!--<script>'), 'latin1');
  fs.writeFileSync(train, fs.readFileSync(train, 'latin1')
    .replace('RICCIONE', HOSTILE).replace('CATTOLICA', '</script>&amp;<b>'), 'latin1');
  const project = path.join(dir, 'scenario.toml');
  fs.writeFileSync(project, fs.readFileSync(project, 'utf8')
    .replace('RICCIONE', HOSTILE).replace('CATTOLICA', '</script>&amp;<b>'));
  return { line, train };
}
async function launch() {
  browser ??= await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage', '--allow-file-access-from-files'],
  });
  const page = await browser.newPage();
  page.problems = [];
  page.on('console', (m) => { if (m.type() === 'error') page.problems.push(m.text()); });
  page.on('pageerror', (e) => page.problems.push(String(e)));
  return page;
}
// The page drew its picture with the texts as written.
async function expectPicture(page) {
  await page.waitForFunction(() => window.sbFirstFrame !== undefined, { timeout: 5000 });
  assert.equal(await page.evaluate(() => window.sbViewer.stations), 3);
  const names = await page.evaluate(() => JSON.parse(document.getElementById('sb-data').textContent).stations.map((s) => s.name));
  assert.deepEqual(names, ['RIMINI', HOSTILE, '</script>&amp;<b>']);
  assert.match(await page.$eval('h1', (e) => e.textContent), /^<!--<script> \u2014 train 1$/);
  assert.ok(await page.$('#sb-strips'));
  assert.deepEqual(page.problems, []);
}

test('texts that look like HTML are shown as written, and a km post that is at two places offers both', async () => {
  const dir = fs.mkdtempSync(path.join(work, 'h-'));
  hostileScenario(dir);
  const html = path.join(dir, 'page.html');
  execFileSync(program, ['build', dir], { stdio: 'ignore' });
  execFileSync(program, ['render', dir, '--html', '-o', html]);
  const page = await launch();
  await page.goto('file://' + html, { waitUntil: 'load' });
  await expectPicture(page);
  const boards = await page.evaluate(() => Object.values(JSON.parse(document.getElementById('sb-data').textContent).boardTexts));
  assert.deepEqual(boards, ['</script><!--<script>']);

  // 122+990 is at 11990 m, before the jump, and at 12990 m after it.
  assert.deepEqual((await page.evaluate(() => window.sbViewer.places('122+990'))).places, [11990, 12990]);
  assert.deepEqual((await page.evaluate(() => window.sbViewer.places('123+500'))).places, [13500]);
  assert.deepEqual((await page.evaluate(() => window.sbViewer.places('km 111+000'))).places, [0]);
  await page.type('#sb-search', '122+990');
  await page.keyboard.press('Enter');
  const centre = () => page.evaluate(() => (window.sbViewer.view.start + window.sbViewer.view.end) / 2);
  await page.waitForFunction(() => document.querySelectorAll('#sb-message button').length === 2);
  assert.equal(await centre(), 11990);
  await page.click('#sb-message button:nth-of-type(2)');
  await page.waitForFunction(() => window.sbViewer.mark.metres === 12990);
  assert.equal(await centre(), 12990);
  assert.deepEqual(page.problems, []);
  await page.close();
});

test('in --watch a hostile page works, survives an error and its fix, and says when the watch stops', async () => {
  const dir = fs.mkdtempSync(path.join(work, 'hw-'));
  const { line, train } = hostileScenario(dir);
  watch = spawn(program, ['render', '--watch', '--line', line, '--train', train], { cwd: dir, stdio: 'ignore' });
  const pagePath = path.join(dir, `${HOSTILE}_1.html`), sidecar = pagePath + '.gen.js';
  await waitForFile(sidecar, 10000);
  const page = await launch();
  await page.goto('file://' + pagePath, { waitUntil: 'load' });
  await expectPicture(page);

  const good = fs.readFileSync(line, 'latin1');
  let reloaded = page.waitForNavigation({ timeout: 10000 });
  fs.writeFileSync(line, good.replace('lunghezza percorso', 'lunghezza <!--<script>'), 'latin1');
  await reloaded;
  await page.waitForSelector('#sb-diagnostics', { timeout: 5000 });
  reloaded = page.waitForNavigation({ timeout: 10000 });
  fs.writeFileSync(line, good + '-- fixed\r\n', 'latin1');
  await reloaded;
  await expectPicture(page);

  // Ctrl-C: the sidecar goes, the page stays and says that it is no longer followed.
  watch.kill('SIGINT');
  await new Promise((r) => watch.once('exit', r));
  assert.equal(fs.existsSync(sidecar), false);
  assert.equal(fs.existsSync(pagePath), true);
  await page.waitForFunction(() => !document.getElementById('sb-watch-stopped').hidden, { timeout: 5000 });
  assert.match(await page.$eval('#sb-watch-stopped', (e) => e.textContent), /^The watch has stopped/);
  await page.close();
});
