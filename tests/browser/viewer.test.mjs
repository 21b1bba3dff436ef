// The interactive page of render --html in headless Chromium: it loads
// without a console error, holds the scenario, answers hover, search, zoom,
// pan and a click on the plan, and draws its first frame quickly.
//
// node viewer.test.mjs PAGE.html [SCREENSHOT_DIR]
// CHROMIUM names the browser (default /usr/bin/chromium).
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const pagePath = path.resolve(process.argv[2] || 'page.html');
const shotDir = process.argv[3] ? path.resolve(process.argv[3]) : null;
const MAX_BYTES = 2 * 1024 * 1024;
const MAX_FIRST_FRAME_MS = 1000;

let browser, page;
const problems = [];

async function frame() {
  await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));
}
async function tooltipAt(metres, strip) {
  const at = await page.evaluate((m, s) => window.sbViewer.pointOf(m, s), metres, strip);
  await page.mouse.move(at.x, at.y);
  return page.$eval('#sb-tooltip', (e) => e.textContent);
}
async function centre() {
  return page.evaluate(() => (window.sbViewer.view.start + window.sbViewer.view.end) / 2);
}

before(async () => {
  browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage'],
  });
  page = await browser.newPage();
  await page.setViewport({ width: 1400, height: 1050 });
  page.on('console', (m) => { if (m.type() === 'error') problems.push(m.text()); });
  page.on('pageerror', (e) => problems.push(String(e)));
  page.on('requestfailed', (r) => problems.push('request failed: ' + r.url()));
  await page.goto('file://' + pagePath, { waitUntil: 'load' });
  await page.waitForFunction(() => window.sbFirstFrame !== undefined, { timeout: 5000 });
});

after(async () => { await browser?.close(); });

test('the page is small, opens without errors and draws its first frame in time', async () => {
  const bytes = fs.statSync(pagePath).size;
  const firstFrame = await page.evaluate(() => window.sbFirstFrame);
  console.log(`page size: ${bytes} bytes; first frame at ${firstFrame.toFixed(0)} ms`);
  assert.ok(bytes < MAX_BYTES, `${bytes} bytes`);
  assert.ok(firstFrame < MAX_FIRST_FRAME_MS, `first frame at ${firstFrame} ms`);
  assert.deepEqual(problems, []);
});

test('it holds the 35 stations and 121 signals', async () => {
  assert.equal(await page.evaluate(() => window.sbViewer.stations), 35);
  assert.equal(await page.evaluate(() => window.sbViewer.signals), 121);
});

test('hovering shows the cell under the pointer and the record of a feature', async () => {
  const metres = 20050;
  await page.evaluate((m) => window.sbViewer.setView(m - 1500, m + 1500), metres);
  await frame();
  const cell = await page.evaluate((m) => window.sbViewer.cellAt(m), metres + 20);
  const text = await tooltipAt(metres + 20, 'gradient');
  assert.match(text, new RegExp(`^Cell ${cell.cell} at ${cell.metres} m`));
  assert.ok(text.includes(`speed limit: ${cell.speed} km/h`), text);
  assert.ok(text.includes(`gradient: ${cell.gradient} \u2030`), text);
  assert.ok(text.includes(`adhesion: ${cell.adhesion}`), text);
  assert.ok(cell.km && text.includes(cell.km), text);

  const signal = await page.evaluate(() => {
    const d = JSON.parse(document.getElementById('sb-data').textContent);
    return d.cells.kind.indexOf(1);
  });
  await page.evaluate((m) => window.sbViewer.setView(m - 1500, m + 1500), signal * 50);
  await frame();
  const signalText = await tooltipAt(signal * 50, 'signals');
  assert.match(signalText, new RegExp(`^Signal, cell ${signal}\\n`));
  // The signal stands one cell on from its written position: the page says so.
  assert.ok(signalText.includes(`\nwritten at ${(signal - 1) * 50} m, it stands one cell (50 m) on: ` +
    'every signal, slowdown and board does\n'), signalText);

  const ancona = await page.evaluate(() => {
    const d = JSON.parse(document.getElementById('sb-data').textContent);
    return d.stations.find((s) => s.name === 'ANCONA');
  });
  await page.evaluate((m) => window.sbViewer.setView(m - 1500, m + 1500), ancona.position);
  await frame();
  const station = await tooltipAt(ancona.position, 'stations');
  assert.match(station, /^ANCONA\n/);
  assert.ok(station.includes(`stopping zone: ${ancona.start} to ${ancona.end} m`), station);
});

test('the strips of the computed run read out speed, limit and time, and stations their times', async () => {
  const run = await page.evaluate(() => JSON.parse(document.getElementById('sb-data').textContent).running);
  assert.ok(run && run.position.length > 100, 'the page holds the run');
  assert.equal(await page.evaluate(() => window.sbViewer.running.stations), 35);
  // The run's strips are the last: brought into the window to be hovered.
  await page.evaluate(() => window.scrollBy(0, window.sbViewer.pointOf(0, 'running-time').y - 600));
  const metres = 60000;
  await page.evaluate((m) => window.sbViewer.setView(m - 3000, m + 3000), metres);
  await frame();
  const at = await page.evaluate((m) => window.sbViewer.running.at(m), metres);
  const speed = await tooltipAt(metres, 'running-speed');
  assert.match(speed, /^The computed run at 60000 m/);
  assert.ok(speed.includes(`speed: ${at.speed.toFixed(1)} km/h`), speed);
  assert.ok(speed.includes(`limit: ${at.limit} km/h`), speed);
  assert.match(speed, /\ntime: \d\d:\d\d:\d\d$/);
  // A stop's mark in the time strip gives its arrival and departure.
  const ancona = run.stations.find((s) => s.name === 'ANCONA');
  await page.evaluate((m) => window.sbViewer.setView(m - 3000, m + 3000), ancona.at);
  await frame();
  const station = await tooltipAt(ancona.at, 'running-time');
  assert.match(station, /^ANCONA\n/);
  assert.match(station, ancona.stops ? /\narrives \d\d:\d\d:\d\d/ : /\npasses at /);
  assert.deepEqual(problems, []);
  await page.evaluate(() => window.scrollTo(0, 0));
});

test('a search for a km post, metres or a station moves the view there', async () => {
  const cell = await page.evaluate(() => window.sbViewer.cellAt(100000));
  const [km, metres] = /km (\d+)\+(\d+)/.exec(cell.km).slice(1);
  for (const [text, expected] of [[`${km}+${metres}`, 100000], [`km ${km}+${metres}`, 100000], ['7150', 7150], ['ANCONA', null]]) {
    await page.evaluate(() => window.sbViewer.fit());
    await page.$eval('#sb-search', (e) => { e.value = ''; });
    await page.type('#sb-search', text);
    await page.keyboard.press('Enter');
    await frame();
    const want = expected ?? (await page.evaluate(() =>
      JSON.parse(document.getElementById('sb-data').textContent).stations.find((s) => s.name === 'ANCONA').position));
    assert.ok(Math.abs((await centre()) - want) <= 1, `${text}: centre ${await centre()}, expected ${want}`);
    const v = await page.evaluate(() => window.sbViewer.view);
    assert.ok(v.end - v.start <= 8000, `${text}: zoomed in`);
  }
  assert.equal(await page.evaluate(() => window.sbViewer.search('no such place')), false);
});

test('the wheel zooms about the pointer, a drag pans, a click on the plan moves the strips', async () => {
  await page.evaluate(() => window.sbViewer.fit());
  await frame();
  const whole = await page.evaluate(() => window.sbViewer.view);
  const at = await page.evaluate(() => window.sbViewer.pointOf(120000, 'speed'));
  await page.mouse.move(at.x, at.y);
  await page.mouse.wheel({ deltaY: -600 });
  await frame();
  const zoomed = await page.evaluate(() => window.sbViewer.view);
  assert.ok(zoomed.end - zoomed.start < (whole.end - whole.start) / 2, JSON.stringify(zoomed));
  assert.ok(zoomed.start < 120000 && zoomed.end > 120000, JSON.stringify(zoomed));

  await page.mouse.down();
  await page.mouse.move(at.x + 200, at.y, { steps: 4 });
  await page.mouse.up();
  await frame();
  const panned = await page.evaluate(() => window.sbViewer.view);
  assert.ok(panned.start < zoomed.start - 1000, JSON.stringify(panned));
  assert.ok(Math.abs((panned.end - panned.start) - (zoomed.end - zoomed.start)) < 1);

  const box = await (await page.$('#sb-plan')).boundingBox();
  const before = await centre();
  const target = await page.evaluate(() => {
    // A point of the plan's track, a tenth of the way along it.
    const d = JSON.parse(document.getElementById('sb-data').textContent);
    return Math.floor(d.plan.x.length / 10) * d.plan.step;
  });
  // Find where that point is drawn by asking the page to centre on it from a click.
  await page.mouse.click(box.x + box.width / 2, box.y + box.height / 2);
  await frame();
  assert.notEqual(await centre(), before);
  assert.ok(target > 0);
});

test('screenshots at two zoom levels', { skip: !shotDir }, async () => {
  await page.mouse.move(1, 1);
  await page.evaluate(() => window.sbViewer.fit());
  await frame();
  await page.screenshot({ path: path.join(shotDir, 'viewer-whole-line.png'), fullPage: true });
  await page.evaluate(() => window.sbViewer.search('ANCONA'));
  await frame();
  const at = await page.evaluate(() => window.sbViewer.pointOf((window.sbViewer.view.start + window.sbViewer.view.end) / 2 + 400, 'signals'));
  await page.mouse.move(at.x, at.y);
  await frame();
  await page.screenshot({ path: path.join(shotDir, 'viewer-zoomed.png'), fullPage: true });
});
