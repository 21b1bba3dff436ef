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

// The km posts of the built-in line run on without a jump: the cell at
// 23400 m is km 134+400.
test('a search goes to the exact place and marks it; errors name cells only when a cell was asked for', async () => {
  const ancona = await page.evaluate(() =>
    JSON.parse(document.getElementById('sb-data').textContent).stations.find((s) => s.name === 'ANCONA').position);
  const cases = [
    ['134+430', 23430], ['km 134+430', 23430], ['KM 134 + 430', 23430], ['134.450', 23450],
    ['134,450', 23450], ['134.45', 23450], ['km 134,450', 23450], ['7,15 km', 7150], ['7.15 km', 7150],
    ['7150 m', 7150], ['7150', 7150], ['cell 1791', 89550], ['Cell 0', 0], ['ancona', ancona],
  ];
  for (const [text, metres] of cases) {
    const found = await page.evaluate((t) => window.sbViewer.places(t), text);
    assert.deepEqual(found.places, [metres], `${text}: ${JSON.stringify(found)}`);
  }
  await page.evaluate(() => window.sbViewer.search('134+430'));
  await frame();
  assert.equal(await centre(), 23430);
  assert.deepEqual(await page.evaluate(() => window.sbViewer.mark), { metres: 23430, name: 'km 134+430' });
  for (const [text, cellWord] of [['km 999+000', false], ['no such place', false], ['999999 m', false],
    ['cell 99999', true], ['', false]]) {
    const found = await page.evaluate((t) => window.sbViewer.places(t), text);
    assert.ok(found.error, text);
    assert.equal(/cell/i.test(found.error), cellWord, `${text}: ${found.error}`);
  }
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

  // A click on the plan's line moves the strips there; one far from it
  // (a corner of the plan) does nothing.
  const plan = await page.evaluate(() => JSON.parse(document.getElementById('sb-data').textContent).plan);
  const target = Math.floor(plan.x.length / 10) * plan.step;
  const onLine = await page.evaluate((m) => window.sbViewer.planPointOf(m), target);
  await page.mouse.click(onLine.x, onLine.y);
  await frame();
  assert.ok(Math.abs((await centre()) - target) <= 3000, `centre ${await centre()}, clicked ${target}`);
  const before = await page.evaluate(() => window.sbViewer.view);
  const box = await (await page.$('#sb-plan')).boundingBox();
  await page.mouse.click(box.x + 3, box.y + box.height - 3);
  await frame();
  assert.deepEqual(await page.evaluate(() => window.sbViewer.view), before);
});

test('the view is kept in the address while it moves, and a tooltip goes when the picture moves', async () => {
  await page.evaluate(() => window.sbViewer.setView(50000, 60000));
  await frame();
  const at = await page.evaluate(() => window.sbViewer.pointOf(55000, 'gradient'));
  await page.mouse.move(at.x, at.y);
  await page.mouse.down();
  await page.mouse.move(at.x - 150, at.y, { steps: 3 });
  await new Promise((r) => setTimeout(r, 400));
  // Still dragging: the address already follows.
  const v = await page.evaluate(() => window.sbViewer.view);
  const hash = await page.evaluate(() => location.hash);
  assert.equal(hash, `#view=${v.start.toFixed(0)},${v.end.toFixed(0)}`);
  assert.ok(v.start > 50000, JSON.stringify(v));
  await page.mouse.up();

  for (const move of [
    async () => page.mouse.wheel({ deltaY: -200 }),
    async () => page.setViewport({ width: 1300, height: 1050 }),
  ]) {
    const p = await page.evaluate(() => window.sbViewer.pointOf(window.sbViewer.view.start + 300, 'gradient'));
    await page.mouse.move(p.x, p.y);
    assert.equal(await page.$eval('#sb-tooltip', (e) => e.style.display), 'block');
    await move();
    await frame();
    assert.equal(await page.$eval('#sb-tooltip', (e) => e.style.display), 'none');
  }
  await page.setViewport({ width: 1400, height: 1050 });
  await frame();
});

test('zoom to fit shows the line from its first stopping zone to its end, not the track beyond', async () => {
  await page.evaluate(() => window.sbViewer.setView(1000, 2000));
  await page.click('#sb-fit');
  await frame();
  const v = await page.evaluate(() => window.sbViewer.view);
  const d = await page.evaluate(() => JSON.parse(document.getElementById('sb-data').textContent));
  const firstZone = Math.min(...d.stations.map((s) => s.start));
  assert.ok(firstZone < 0);
  assert.ok(v.start < firstZone && v.start > firstZone - 2000, JSON.stringify(v));
  assert.ok(v.end > d.lineLength && v.end < d.lineLength + 2000, JSON.stringify(v));
});

// Every label inside the plot, at the first and the last station and at a
// signal on the left edge; a station's leader crosses no name nearer the bar.
test('labels stay inside the plot and leaders cross no label', async () => {
  const d = await page.evaluate(() => JSON.parse(document.getElementById('sb-data').textContent));
  const signal = d.cells.kind.findIndex((k, i) => k === 1 && d.cells.km[i] === 113050);
  assert.ok(signal > 0, 'a signal at 113+050');
  const names = new Set(d.stations.map((s) => s.name));
  const last = d.stations.reduce((a, b) => (a.position > b.position ? a : b));
  for (const [from, to, wanted] of [
    [null, null, ['RIMINI']],
    [signal * 50, signal * 50 + 4000, ['113+050']],
    [last.position - 4000, last.position, [last.name]],
    [0, 5000, ['RIMINI']],
  ]) {
    if (from === null) await page.evaluate(() => window.sbViewer.fit());
    else await page.evaluate((a, b) => window.sbViewer.setView(a, b), from, to);
    await frame();
    const labels = await page.evaluate(() => window.sbViewer.labels);
    const plot = await page.evaluate(() => window.sbViewer.plot());
    const r = await (await page.$('#sb-strips')).boundingBox();
    for (const text of wanted) assert.ok(labels.some((l) => l.text === text), `${text} at ${from}`);
    for (const l of labels) {
      assert.ok(r.x + l.x - l.width / 2 >= plot.left - 0.5 && r.x + l.x + l.width / 2 <= plot.right + 0.5,
        `${l.text} at ${from}: ${l.x}`);
    }
    const stationLabels = labels.filter((l) => names.has(l.text));
    for (const l of stationLabels) {
      for (const k of stationLabels) {
        if (k.row < l.row) {
          assert.ok(l.anchor < k.x - k.width / 2 - 1 || l.anchor > k.x + k.width / 2 + 1,
            `the leader of ${l.text} crosses ${k.text}`);
        }
      }
    }
  }
});

test('the legend shows the symbols drawn, each visible, and what a hollow station dot means', async () => {
  // A symbol is visible when some pixel of it is neither blank nor white.
  const entries = await page.$$eval('#sb-legend > span', (spans) => spans.map((s) => {
    const c = s.querySelector('canvas');
    const px = c ? c.getContext('2d').getImageData(0, 0, c.width, c.height).data : [];
    let visible = false;
    for (let i = 0; i < px.length; i += 4) {
      if (px[i + 3] > 64 && (px[i] < 200 || px[i + 1] < 200 || px[i + 2] < 200)) visible = true;
    }
    return { text: s.textContent, visible };
  }));
  assert.ok(entries.length > 10);
  for (const e of entries) assert.ok(e.visible, `no visible symbol for "${e.text}"`);
  assert.ok(entries.some((e) => /start of the line/.test(e.text)));
  assert.ok(entries.some((e) => /hollow dot: station with no stop mark/.test(e.text)));
});

// A phone: 412 px wide, touch. Nothing wider than the screen, the plot
// takes most of it, titles fit, a tap names what is under it, and a
// vertical swipe is left to the page to scroll.
test('on a small touch screen the page fits, taps show tooltips and swipes scroll', async () => {
  const phone = await browser.newPage();
  const errors = [];
  phone.on('pageerror', (e) => errors.push(String(e)));
  await phone.setViewport({ width: 412, height: 900, isMobile: true, hasTouch: true, deviceScaleFactor: 1 });
  await phone.goto('file://' + pagePath, { waitUntil: 'load' });
  await phone.waitForFunction(() => window.sbFirstFrame !== undefined, { timeout: 5000 });
  assert.ok(await phone.evaluate(() => document.documentElement.scrollWidth) <= 412);
  const range = await (await phone.$('#sb-range')).boundingBox();
  assert.ok(range.x >= 0 && range.x + range.width <= 412, JSON.stringify(range));
  const plot = await phone.evaluate(() => window.sbViewer.plot());
  assert.ok(plot.right - plot.left >= 300, JSON.stringify(plot));
  const titles = await phone.evaluate(() => {
    const ctx = document.createElement('canvas').getContext('2d');
    ctx.font = 'bold 12px system-ui, -apple-system, "Segoe UI", Helvetica, Arial, sans-serif';
    return window.sbViewer.titles().map((t) => ({ t, w: ctx.measureText(t).width }));
  });
  for (const { t, w } of titles) assert.ok(w <= 412 - 8 - 8, `${t}: ${w}`);
  for (const id of ['#sb-strips', '#sb-plan']) {
    assert.equal(await phone.$eval(id, (e) => getComputedStyle(e).touchAction), 'pan-y');
  }
  const signal = await phone.evaluate(() => JSON.parse(document.getElementById('sb-data').textContent).cells.kind.indexOf(1));
  await phone.evaluate((m) => window.sbViewer.setView(m - 1000, m + 1000), signal * 50);
  await phone.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));
  const at = await phone.evaluate((m) => window.sbViewer.pointOf(m, 'signals'), signal * 50);
  await phone.evaluate((y) => window.scrollTo(0, y - 400), at.y + (await phone.evaluate(() => window.scrollY)));
  const tapAt = await phone.evaluate((m) => window.sbViewer.pointOf(m, 'signals'), signal * 50);
  await phone.touchscreen.tap(tapAt.x, tapAt.y);
  await phone.waitForFunction(() => document.getElementById('sb-tooltip').style.display === 'block', { timeout: 2000 });
  assert.match(await phone.$eval('#sb-tooltip', (e) => e.textContent), new RegExp(`^Signal, cell ${signal}\\n`));
  assert.deepEqual(errors, []);
  await phone.close();
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
