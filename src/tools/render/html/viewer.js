// The interactive page of a compiled scenario: the plan and the strips of
// the picture on one axis that zooms and pans, drawn on canvases from the
// JSON the page holds. Written for current browsers, without libraries.
(function () {
  'use strict';

  const D = JSON.parse(document.getElementById('sb-data').textContent);
  const WATCH = JSON.parse(document.getElementById('sb-watch').textContent);

  function el(tag, attrs, text) {
    const e = document.createElement(tag);
    for (const k in attrs || {}) e.setAttribute(k, attrs[k]);
    if (text !== undefined) e.textContent = text;
    return e;
  }

  // ---- reloading while render --watch rewrites the page ----
  function viewFromHash() {
    const m = /view=(-?[\d.]+),(-?[\d.]+)/.exec(location.hash);
    return m ? { start: +m[1], end: +m[2] } : null;
  }
  let currentView = null;
  if (WATCH) {
    window.sbGeneration = function (n) {
      if (n === WATCH.generation) return;
      if (currentView) {
        history.replaceState(null, '', '#view=' + currentView.start.toFixed(0) + ',' +
          currentView.end.toFixed(0));
      }
      location.reload();
    };
    // The sidecar's URL comes percent-encoded byte by byte: resolved
    // against the page's own address, it names the file beside the page and
    // no other, whatever the name holds.
    const sidecarUrl = new URL(WATCH.sidecarUrl, location.href);
    // The watch removes the sidecar when it ends: a few misses in a row
    // (not one, which a rewrite under way may cause) mean it has stopped.
    // Polling goes on, so that a watch started again is followed.
    const stopped = el('div', { id: 'sb-watch-stopped', role: 'status' },
      'The watch has stopped: this page no longer follows the descriptions. ' +
      'Start render --watch again to follow them.');
    stopped.hidden = true;
    document.body.prepend(stopped);
    let misses = 0;
    setInterval(function () {
      const s = document.createElement('script');
      sidecarUrl.search = '?' + Date.now();
      s.src = sidecarUrl.href;
      s.onload = function () { s.remove(); misses = 0; stopped.hidden = true; };
      s.onerror = function () { s.remove(); if (++misses >= 4) stopped.hidden = false; };
      document.head.appendChild(s);
    }, 300);
  }

  if (D.diagnostics) {
    document.title = D.title;
    const box = el('div', { class: 'diagnostics' });
    box.appendChild(el('h1', {}, D.title));
    box.appendChild(el('p', {}, 'The descriptions do not compile; the picture comes back when they do.'));
    const list = el('pre', { id: 'sb-diagnostics' });
    list.textContent = D.diagnostics.join('\n');
    box.appendChild(list);
    document.body.appendChild(box);
    window.sbViewer = { diagnostics: D.diagnostics.slice() };
    window.sbFirstFrame = performance.now();
    return;
  }

  // ---- look ----
  const COL = {
    track: '#3b3b3b', overrun: '#9a9a9a', station: '#1f5fbf', signal: '#d62728',
    slowdown: '#f28e2b', speedLimit: '#2a9d3a', speedPoint: '#0b5d4b', routePoint: '#7fb8a8',
    gradient: '#8c6d31', mountain: '#8e6bbf', speedBoard: '#59656f', textBoard: '#d0509a',
    grid: '#e3e3e3', axis: '#777777', text: '#222222', muted: '#6b6b6b', view: '#1f5fbf',
    jump: '#b3261e', computedSpeed: '#3949ab', runningTime: '#00838f'
  };
  const FONT = '11px system-ui, -apple-system, "Segoe UI", Helvetica, Arial, sans-serif';
  const BOLD = 'bold 12px system-ui, -apple-system, "Segoe UI", Helvetica, Arial, sans-serif';
  // The column left of the plot holds the y-axis labels; on a narrow
  // screen it shrinks to them, and the room goes to the plot.
  const RIGHT = 22, TITLE = 18;
  let LEFT = 132;
  function narrow() { return stripCanvas.clientWidth < 640; }
  const KIND = {
    0: 'none', 1: 'signal', 2: 'slowdown end', 3: 'slowdown start', 4: 'slowdown warning',
    5: 'before-warning mark', 6: 'maximum-speed board', 10: 'stop mark', 11: 'mountain mark',
    12: 'speed point', 13: 'speed point without value', 14: 'text board'
  };

  // ---- the data ----
  const cells = D.cells;
  const n = cells.kind.length;
  const CL = D.cellLength;
  const axisEnd = Math.max((n - 1) * CL, 1000);
  const filled = n > 3 ? n - 3 : n;  // the tails never fill the last three cells
  function runs(column, limit) {
    const out = [];
    for (let i = 0; i < limit; ++i) {
      const v = column[i];
      const last = out[out.length - 1];
      if (last && last.value === v) last.to = i + 1; else out.push({ from: i, to: i + 1, value: v });
    }
    return out;
  }
  const gradientRuns = runs(cells.gradient, filled);
  const speedRuns = runs(cells.speed, filled);
  const terrainRuns = runs(cells.terrain, n).filter(function (r) { return r.value !== 0; });
  const byKind = {};
  for (let i = 0; i < n; ++i) {
    const k = cells.kind[i];
    if (k !== 0) (byKind[k] = byKind[k] || []).push(i);
  }
  function ofKind(k) { return byKind[k] || []; }
  const signalCells = ofKind(1);
  const speedPointCells = ofKind(12).concat(ofKind(13)).sort(function (a, b) { return a - b; });
  const boardCells = ofKind(6).concat(ofKind(14)).sort(function (a, b) { return a - b; });
  const stations = D.stations.slice().sort(function (a, b) { return a.position - b.position; });
  // The computed run: its curve cut down to the points a straight line
  // between them would miss, the limit as steps, the stations' times.
  const RUN = D.running;
  // The last index of the sorted `xs` at or before `x` (0 before the first).
  function indexAt(xs, x) {
    let lo = 0, hi = xs.length - 1;
    while (lo < hi) {
      const mid = (lo + hi + 1) >> 1;
      if (xs[mid] <= x) lo = mid; else hi = mid - 1;
    }
    return lo;
  }
  // Speed (km/h), limit (km/h) and time of day (s) at `metres`, between
  // the curve's points; at a stop, the time it arrives.
  function runningAt(metres) {
    const p = RUN.position;
    const m = Math.max(p[0], Math.min(p[p.length - 1], metres));
    let i = indexAt(p, m);
    while (i > 0 && p[i - 1] === p[i]) --i;
    const j = Math.min(i + 1, p.length - 1);
    const f = p[j] > p[i] ? (m - p[i]) / (p[j] - p[i]) : 0;
    return {
      metres: m,
      speed: RUN.speed[i] + (RUN.speed[j] - RUN.speed[i]) * f,
      time: RUN.time[i] + (RUN.time[j] - RUN.time[i]) * f,
      limit: RUN.limit[indexAt(RUN.limitFrom, m)]
    };
  }

  // The km post of a place, piece by piece of the progressions, as the
  // compiler counts them; and back, where a post may be at two places.
  const PIECES = D.kmPieces && D.kmPieces.length ? D.kmPieces : [[0, 0]];
  function kmAt(metres) {
    let i = 0;
    while (i + 1 < PIECES.length && PIECES[i + 1][0] <= metres) ++i;
    return PIECES[i][1] + metres - PIECES[i][0];
  }
  function placesOfKm(value, from, to) {
    const out = [];
    for (let i = 0; i < PIECES.length; ++i) {
      const at = PIECES[i][0] + (value - PIECES[i][1]);
      if (i > 0 && at < PIECES[i][0]) continue;
      if (i + 1 < PIECES.length && at >= PIECES[i + 1][0]) continue;
      if (at >= from && at <= to) out.push(at);
    }
    return out;
  }

  // ---- words ----
  function post(metres) {
    const a = Math.abs(metres);
    return (metres < 0 ? '-' : '') + Math.floor(a / 1000) + '+' + String(a % 1000).padStart(3, '0');
  }
  function kmAlong(metres) { return (metres / 1000).toFixed(3).replace(/\.?0+$/, '') + ' km'; }
  function where(metres) {
    return metres + ' m (' + kmAlong(metres) + ')' + (D.hasKmPosts ? ', km ' + post(kmAt(metres)) : '');
  }
  function clock(seconds) {
    const h = Math.floor(seconds / 3600), m = Math.floor(seconds / 60) % 60, s = seconds % 60;
    return [h, m, s].map(function (v) { return String(v).padStart(2, '0'); }).join(':');
  }
  // "15:07:32" from seconds of day, counted on past midnight.
  function clockOf(seconds) { return clock(Math.round(seconds)); }
  function runningText(metres) {
    const r = runningAt(metres);
    return ['The computed run at ' + where(Math.round(r.metres)), 'speed: ' + r.speed.toFixed(1) + ' km/h',
      'limit: ' + r.limit + ' km/h', 'time: ' + clockOf(r.time)].join('\n');
  }
  function runStationText(st) {
    const lines = [st.name, 'at ' + where(st.position)];
    if (!st.stops) lines.push('passes at ' + clockOf(st.time));
    else lines.push('arrives ' + clockOf(st.time) + (st.departure !== null ? ', leaves ' + clockOf(st.departure) : ''));
    if (st.scheduled !== null) lines.push('scheduled: ' + clock(st.scheduled));
    return lines.join('\n');
  }
  function isRoutePoint(cell) {
    return cells.kind[cell] === 12 && cells.v1[cell] === D.routePointSpeed;
  }

  function cellAt(metres) {
    const i = Math.max(0, Math.min(n - 1, Math.floor(metres / CL)));
    return {
      cell: i, metres: i * CL, km: D.hasKmPosts ? 'km ' + post(cells.km[i]) : null,
      kind: KIND[cells.kind[i]] || String(cells.kind[i]), kindCode: cells.kind[i],
      values: [cells.v1[i], cells.v2[i], cells.v3[i], cells.v4[i]],
      signalTime: cells.time[i], approachCode: cells.approach[i], terrain: cells.terrain[i],
      speed: cells.speed[i], gradient: cells.gradient[i], adhesion: cells.adhesion[i]
    };
  }
  function cellText(i) {
    const c = cellAt(i * CL);
    const lines = ['Cell ' + c.cell + ' at ' + where(c.metres), 'kind: ' + c.kind + ' (' + c.kindCode + ')'];
    if (c.values.some(function (v) { return v !== 0; })) lines.push('values: ' + c.values.join(', '));
    if (c.signalTime) lines.push('signal time: ' + c.signalTime);
    if (c.approachCode) lines.push('approach code: ' + c.approachCode);
    lines.push('speed limit: ' + c.speed + ' km/h', 'gradient: ' + c.gradient + ' \u2030',
      'adhesion: ' + c.adhesion, 'terrain type: ' + c.terrain);
    return lines.join('\n');
  }
  function stationText(s) {
    return [s.name, 'station slot ' + s.slot + ', kind ' + s.kind + (s.stops ? ' (stop mark)' : ' (no stop mark)'),
      'position: ' + where(s.position), 'stopping zone: ' + s.start + ' to ' + s.end + ' m',
      s.seconds ? 'time: ' + clock(s.seconds) : 'no scheduled time'].join('\n');
  }
  // Signals, slowdowns and boards stand on the cell after the one their
  // written position falls in: an author who wrote 1000 m finds them at
  // 1050 m and should be told why.
  function oneCellOn(cell) {
    return 'written at ' + (cell - 1) * CL + ' m, it stands one cell (' + CL + ' m) on: ' +
      'every signal, slowdown and board does';
  }
  function pointText(i) {
    const k = cells.kind[i];
    if (k === 1) {
      return ['Signal, cell ' + i, 'at ' + where(i * CL), oneCellOn(i),
        'values: ' + [cells.v1[i], cells.v2[i], cells.v3[i], cells.v4[i]].join(', '),
        'signal time: ' + cells.time[i]].join('\n');
    }
    if (k === 12 || k === 13) {
      const head = k === 13 ? 'Speed point without value' : 'Speed point ' + cells.v1[i] + ' km/h';
      const who = isRoutePoint(i) ? 'the value route completion gives the points it adds before signals and slowdowns'
        : 'written in the train description';
      return [head + ', cell ' + i, 'at ' + where(i * CL), who].join('\n');
    }
    if (k === 6) {
      return ['Maximum-speed board, cell ' + i, 'at ' + where(i * CL), oneCellOn(i),
        'values: ' + cells.v1[i] + ', ' + cells.v2[i] + ', ' + cells.v3[i] + ', stripes ' + cells.v4[i]].join('\n');
    }
    if (k === 14) return ['Text board, cell ' + i, 'at ' + where(i * CL), oneCellOn(i), '"' + (D.boardTexts[i] || '') + '"'].join('\n');
    if (k === 4) return ['Slowdown warning, cell ' + i, 'at ' + where(i * CL), 'speed: ' + cells.v1[i] + ' km/h'].join('\n');
    return cellText(i);
  }

  // ---- page ----
  const header = el('header');
  header.appendChild(el('h1', {}, D.line + ' \u2014 train ' + D.train));
  header.appendChild(el('span', { class: 'facts' }, kmAlong(D.lineLength) + ' of line, ' + D.stations.length +
    ' stations, ' + D.signals + ' signals, ' + D.slowdowns.length + ' slowdowns'));
  const controls = el('div', { class: 'controls' });
  const search = el('input', { id: 'sb-search', type: 'search', placeholder: 'km 134+450, 7150 m or a station' });
  const go = el('button', { id: 'sb-go' }, 'Go');
  const fit = el('button', { id: 'sb-fit', title: 'Show the whole line' }, 'Zoom to fit');
  const range = el('span', { id: 'sb-range' });
  controls.append(search, go, fit, range);
  header.appendChild(controls);
  const message = el('div', { id: 'sb-message' });
  const planBox = el('div', { class: 'canvas-box' });
  const planCanvas = el('canvas', { id: 'sb-plan' });
  planBox.appendChild(planCanvas);
  const stripBox = el('div', { class: 'canvas-box' });
  const stripCanvas = el('canvas', { id: 'sb-strips' });
  stripBox.appendChild(stripCanvas);
  const tooltip = el('div', { id: 'sb-tooltip' });
  const legend = el('div', { class: 'legend', id: 'sb-legend' });
  // Each entry shows the symbol as the page draws it.
  // Shapes as SVG would name them, drawn on a small canvas.
  function symbol(shapes) {
    const dpr = window.devicePixelRatio || 1;
    const c = el('canvas', { width: Math.round(24 * dpr), height: Math.round(14 * dpr), 'aria-hidden': 'true' });
    c.style.width = '24px';
    c.style.height = '14px';
    const ctx = c.getContext('2d');
    ctx.scale(dpr, dpr);
    for (const [tag, a] of shapes) {
      ctx.beginPath();
      if (tag === 'line') { ctx.moveTo(a.x1, a.y1); ctx.lineTo(a.x2, a.y2); }
      if (tag === 'rect') ctx.rect(a.x, a.y, a.width, a.height);
      if (tag === 'circle') ctx.arc(a.cx, a.cy, a.r, 0, 2 * Math.PI);
      if (tag === 'path') {
        for (const [, op, x, y] of a.d.matchAll(/([MLZ])\s*([-\d.]*)\s*([-\d.]*)/g)) {
          if (op === 'M') ctx.moveTo(+x, +y); else if (op === 'L') ctx.lineTo(+x, +y); else ctx.closePath();
        }
      }
      if (a.fill && a.fill !== 'none') { ctx.fillStyle = a.fill; ctx.fill(); }
      if (a.stroke) {
        ctx.setLineDash(a['stroke-dasharray'] && a['stroke-dasharray'] !== 'none' ? a['stroke-dasharray'].split(' ').map(Number) : []);
        ctx.strokeStyle = a.stroke; ctx.lineWidth = a['stroke-width'] || 1; ctx.stroke();
      }
    }
    return c;
  }
  const stroke = function (colour, width, dash) {
    return { stroke: colour, 'stroke-width': width, fill: 'none', 'stroke-dasharray': dash || 'none' };
  };
  const across = function (colour, width, dash) { return ['line', Object.assign({ x1: 1, y1: 7, x2: 23, y2: 7 }, stroke(colour, width, dash))]; };
  const upright = function (colour, width, dash) { return ['line', Object.assign({ x1: 12, y1: 1, x2: 12, y2: 13 }, stroke(colour, width, dash))]; };
  const diamond = function (r, attrs) { return ['path', Object.assign({ d: 'M12 ' + (7 - r) + 'L' + (12 + r) + ' 7L12 ' + (7 + r) + 'L' + (12 - r) + ' 7Z' }, attrs)]; };
  const dot = function (r, filled, colour) { return ['circle', { cx: 12, cy: 7, r: r, fill: filled ? colour : '#fff', stroke: colour, 'stroke-width': 1.2 }]; };
  [[[['rect', { x: 1, y: 2, width: 22, height: 10, fill: 'rgba(255,176,0,0.75)' }], across(COL.track, 2.2)], 'the line (plan) and the stretch the strips show'],
    [[['circle', { cx: 12, cy: 7, r: 5, fill: '#fff', stroke: COL.track, 'stroke-width': 2 }]], 'start of the line (plan)'],
    [[['rect', { x: 7.5, y: 2.5, width: 9, height: 9, fill: COL.track }]], 'end of the line (plan)'],
    [[across(COL.overrun, 1.5, '4 3')], 'after the end of the line'],
    [[['rect', { x: 1, y: 3, width: 22, height: 8, fill: 'rgba(31,95,191,0.35)' }], dot(3, true, COL.station)], 'station with a stop mark, its stopping zone'],
    [[dot(3, false, COL.station)], 'hollow dot: station with no stop mark'],
    [[upright(COL.signal, 1.6)], 'signal'],
    [[['rect', { x: 1, y: 2, width: 22, height: 10, fill: COL.slowdown }]], 'slowdown, start to end'],
    [[['path', { d: 'M12 1L18 12L6 12Z', fill: '#fff', stroke: COL.slowdown, 'stroke-width': 1.5 }]], 'slowdown warning'],
    [[upright(COL.slowdown, 1)], 'before-warning mark'],
    [[across(COL.speedLimit, 1.8)], 'speed limit'],
    [[diamond(4, { fill: COL.speedPoint })], 'speed point written by the author'],
    [[diamond(4, { fill: '#fff', stroke: COL.routePoint, 'stroke-width': 1.3 })], 'speed point of ' + D.routePointSpeed + ' km/h (as route completion adds them)'],
    [[['rect', { x: 1, y: 3, width: 22, height: 8, fill: 'rgba(140,109,49,0.35)', stroke: COL.gradient, 'stroke-width': 0.8 }]], 'gradient (\u2030)'],
    [[['rect', { x: 1, y: 2, width: 22, height: 10, fill: 'rgba(142,107,191,0.55)' }]], 'mountain section (terrain type)'],
    [[upright(COL.mountain, 1)], 'mountain mark'],
    [[['rect', { x: 9, y: 4, width: 6, height: 6, fill: COL.speedBoard }]], 'maximum-speed board'],
    [[diamond(5, { fill: COL.textBoard })], 'text board'],
    [[upright(COL.jump, 1, '2 3')], 'km posts jump (a new progression)']].concat(RUN ? [
    [[across(COL.speedLimit, 1.4, '5 2'), ['line', Object.assign({ x1: 1, y1: 12, x2: 23, y2: 2 }, stroke(COL.computedSpeed, 1.6))]], 'the limit obeyed, the computed speed'],
    [[['line', Object.assign({ x1: 1, y1: 12, x2: 23, y2: 2 }, stroke(COL.runningTime, 1.6))], dot(3.2, true, COL.runningTime)], 'computed time of day, a stop'],
    [[dot(2.4, false, COL.runningTime)], 'hollow dot: a station passed']] : []).forEach(function (e) {
    const item = el('span');
    item.append(symbol(e[0]), document.createTextNode(e[1]));
    legend.appendChild(item);
  });
  document.body.append(header);
  // The compile's warnings, as compile prints them: the picture is drawn,
  // but it may not be what was meant.
  const warnings = D.warnings || [];
  if (warnings.length) {
    const box = el('details', { class: 'diagnostics warnings', open: '' });
    box.appendChild(el('summary', {}, warnings.length === 1 ? '1 warning' : warnings.length + ' warnings'));
    const list = el('pre', { id: 'sb-warnings' });
    list.textContent = warnings.join('\n');
    box.appendChild(list);
    document.body.appendChild(box);
  }
  const runningNote = el('p', { class: 'note', id: 'sb-running-note' }, D.runningNote || '');
  document.body.append(message, planBox, stripBox, runningNote, legend, tooltip);

  // ---- the view: metres start to end along the line ----
  const MIN_SPAN = 400;
  // The whole line: from the first stopping zone (which may begin before
  // 0 m) to the end of the line, not the track beyond it, with a few
  // pixels to spare so that the marks at the ends are not cut.
  const fitFrom = stations.reduce(function (m, st) { return Math.min(m, st.start); }, 0);
  const fitTo = D.lineLength > 0 ? D.lineLength : axisEnd;
  function fitView() {
    const w = Math.max(50, stripCanvas.clientWidth - (narrow() ? 58 : 132) - RIGHT);
    const pad = (fitTo - fitFrom) * 10 / w;
    return { start: fitFrom - pad, end: fitTo + pad };
  }
  const view = viewFromHash() || fitView();
  currentView = view;
  function clampView() {
    let span = Math.max(MIN_SPAN, Math.min(view.end - view.start, axisEnd * 1.2));
    let start = view.start;
    start = Math.max(-axisEnd * 0.1, Math.min(start, axisEnd * 1.1 - span));
    view.start = start;
    view.end = start + span;
  }
  clampView();
  // The address keeps the view, for a link or a reload; written at most a
  // few times a second while the view moves.
  let hashTimer = null;
  function noteView() {
    if (hashTimer !== null) return;
    hashTimer = setTimeout(function () {
      hashTimer = null;
      history.replaceState(null, '', '#view=' + view.start.toFixed(0) + ',' + view.end.toFixed(0));
    }, 200);
  }
  function setView(start, end) {
    view.start = start;
    view.end = end;
    clampView();
    noteView();
    schedule();
  }
  function centreOn(metres) {
    const span = Math.min(view.end - view.start, 8000);
    setView(metres - span / 2, metres + span / 2);
  }

  // ---- drawing helpers ----
  function prepare(canvas, height) {
    const dpr = window.devicePixelRatio || 1;
    const width = canvas.clientWidth;
    canvas.style.height = height + 'px';
    if (canvas.width !== Math.round(width * dpr) || canvas.height !== Math.round(height * dpr)) {
      canvas.width = Math.round(width * dpr);
      canvas.height = Math.round(height * dpr);
    }
    const ctx = canvas.getContext('2d');
    ctx.setTransform(dpr, 0, 0, dpr, 0, 0);
    ctx.clearRect(0, 0, width, height);
    ctx.font = FONT;
    return { ctx: ctx, width: width, height: height };
  }
  function niceStep(raw) {
    const p = Math.pow(10, Math.floor(Math.log10(raw)));
    for (const f of [1, 2, 5, 10]) if (f * p >= raw) return f * p;
    return 10 * p;
  }
  let plotW = 1;
  function X(m) { return LEFT + (m - view.start) / (view.end - view.start) * plotW; }
  function M(x) { return view.start + (x - LEFT) / plotW * (view.end - view.start); }
  function visibleCells() {
    return [Math.max(0, Math.floor(view.start / CL) - 1), Math.min(n - 1, Math.ceil(view.end / CL) + 1)];
  }
  // Keeps labels apart and inside the plot: each is centred on its anchor
  // `x`, slid in from the plot's edges, in the first of `rows` rows where
  // it clears the one before it. With `leaders`, a label in a row runs a
  // leader down through the rows nearer its mark (row 0): no label there
  // may cover it. A label that finds no row, or whose anchor is out of
  // the plot, is left out. Each comes back with `x` where it is drawn and
  // `anchor`.
  function placeLabels(ctx, labels, rows, leaders) {
    const ends = new Array(rows).fill(-Infinity);
    const out = [];
    const lo = LEFT + 2, hi = LEFT + plotW - 2;
    labels.sort(function (a, b) { return a.x - b.x; });
    for (const l of labels) {
      if (l.x < LEFT || l.x > LEFT + plotW) continue;
      const w = ctx.measureText(l.text).width;
      if (w > hi - lo) continue;
      const x = Math.max(lo + w / 2, Math.min(hi - w / 2, l.x));
      const x0 = x - w / 2;
      for (let r = 0; r < rows; ++r) {
        if (x0 <= ends[r] + 5) continue;
        if (leaders && ends.slice(0, r).some(function (e) { return l.x <= e + 2; })) continue;
        ends[r] = x0 + w;
        if (leaders) for (let q = 0; q < r; ++q) ends[q] = Math.max(ends[q], l.x);
        out.push({ x: x, anchor: l.x, text: l.text, row: r, item: l.item, width: w });
        break;
      }
    }
    placed.push.apply(placed, out);
    return out;
  }

  // ---- the strips ----
  const STATION_ROWS = 4;
  const strips = [
    { id: 'gradient', title: 'Gradient (\u2030)', h: 90, draw: drawGradient },
    { id: 'speed', title: 'Speed limit (km/h) and speed points', h: 110, draw: drawSpeed },
    { id: 'slowdowns', title: 'Slowdowns (warning, before-warning marks, start to end)', h: 48, draw: drawSlowdowns },
    { id: 'signals', title: 'Signals', h: 44, draw: drawSignals },
    { id: 'stations', title: 'Stations and stopping zones', h: 24 + STATION_ROWS * 14, draw: drawStations },
    { id: 'mountains', title: 'Mountain sections (terrain type) and mountain marks', h: 32, draw: drawMountains },
    { id: 'boards', title: 'Boards (maximum-speed indicators and text boards)', h: 44, draw: drawBoards }
  ];
  if (RUN) {
    strips.push(
      { id: 'running-speed', title: 'Running speed (km/h): the limit obeyed and the computed speed', h: 110, draw: drawRunningSpeed },
      { id: 'running-time', title: 'Running time (time of day): stops and stations passed', h: 130, draw: drawRunningTime });
  }
  const AXIS_H = 46;
  let stripsHeight = 0;
  (function layout() {
    let y = 4;
    for (const s of strips) {
      s.top = y + TITLE;
      y = s.top + s.h + 6;
    }
    stripsHeight = y + AXIS_H;
  })();
  const hits = [];  // point features drawn this frame, for the hover
  const placed = [];  // the labels drawn this frame

  function drawGradient(ctx, s) {
    let most = 5;
    for (const r of gradientRuns) most = Math.max(most, Math.abs(r.value));
    const range = niceStep(most), mid = s.top + s.h / 2;
    const Y = function (v) { return mid - v / range * (s.h / 2 - 6); };
    yLabel(ctx, Y(range), '+' + range + ' \u2030');
    yLabel(ctx, mid, '0');
    yLabel(ctx, Y(-range), '-' + range + ' \u2030');
    line(ctx, LEFT, mid, LEFT + plotW, mid, COL.axis, 0.7);
    ctx.fillStyle = 'rgba(140,109,49,0.35)';
    ctx.strokeStyle = COL.gradient;
    ctx.lineWidth = 0.8;
    for (const r of gradientRuns) {
      const x0 = X(r.from * CL), x1 = X(r.to * CL);
      if (x1 < LEFT || x0 > LEFT + plotW) continue;
      ctx.fillRect(x0, Math.min(mid, Y(r.value)), x1 - x0, Math.abs(Y(r.value) - mid));
      ctx.strokeRect(x0, Math.min(mid, Y(r.value)), x1 - x0, Math.abs(Y(r.value) - mid));
    }
  }
  function drawSpeed(ctx, s) {
    let most = 40;
    for (const r of speedRuns) most = Math.max(most, r.value);
    for (const c of speedPointCells) if (cells.kind[c] === 12) most = Math.max(most, cells.v1[c]);
    const step = niceStep(most / 4);
    const top = Math.ceil(most / step) * step;
    const Y = function (v) { return s.top + s.h - 4 - Math.max(0, Math.min(v, top)) / top * (s.h - 12); };
    for (let v = 0; v <= top; v += step) {
      yLabel(ctx, Y(v), String(v));
      line(ctx, LEFT, Y(v), LEFT + plotW, Y(v), COL.grid, 0.7);
    }
    ctx.beginPath();
    let first = true;
    for (const r of speedRuns) {
      const x0 = X(r.from * CL), x1 = X(r.to * CL), y = Y(r.value);
      if (first) ctx.moveTo(x0, y); else ctx.lineTo(x0, y);
      ctx.lineTo(x1, y);
      first = false;
    }
    ctx.strokeStyle = COL.speedLimit;
    ctx.lineWidth = 1.8;
    ctx.stroke();
    for (const c of speedPointCells) {
      const x = X(c * CL);
      if (x < LEFT - 5 || x > LEFT + plotW + 5) continue;
      const y = cells.kind[c] === 12 ? Y(cells.v1[c]) : Y(0);
      ctx.beginPath();
      ctx.moveTo(x, y - 4); ctx.lineTo(x + 3.5, y); ctx.lineTo(x, y + 4); ctx.lineTo(x - 3.5, y); ctx.closePath();
      if (isRoutePoint(c)) {
        ctx.fillStyle = '#ffffff'; ctx.fill();
        ctx.strokeStyle = COL.routePoint; ctx.lineWidth = 1.3; ctx.stroke();
      } else {
        ctx.fillStyle = COL.speedPoint; ctx.fill();
      }
      hits.push({ strip: 'speed', x: x, cell: c });
    }
  }
  function drawSlowdowns(ctx, s) {
    const bar = s.top + 26;
    const labels = [];
    for (const sd of D.slowdowns) {
      const x0 = X(sd.start * CL), x1 = Math.max(X(sd.end * CL), x0 + 3);
      if (x1 < LEFT || x0 > LEFT + plotW) continue;
      ctx.fillStyle = COL.slowdown;
      ctx.fillRect(x0, bar - 5, x1 - x0, 10);
      labels.push({ x: (x0 + x1) / 2, text: String(sd.speed) });
      hits.push({ strip: 'slowdowns', x: x0, x1: x1, slowdown: sd });
    }
    for (const c of ofKind(4)) {
      const x = X(c * CL);
      ctx.beginPath();
      ctx.moveTo(x, bar - 7); ctx.lineTo(x + 6, bar + 5); ctx.lineTo(x - 6, bar + 5); ctx.closePath();
      ctx.fillStyle = '#fff'; ctx.fill();
      ctx.strokeStyle = COL.slowdown; ctx.lineWidth = 1.5; ctx.stroke();
      hits.push({ strip: 'slowdowns', x: x, cell: c });
    }
    for (const c of ofKind(5)) line(ctx, X(c * CL), bar - 4, X(c * CL), bar + 4, COL.slowdown, 1);
    ctx.fillStyle = COL.text;
    ctx.textAlign = 'center';
    for (const l of placeLabels(ctx, labels, 1)) ctx.fillText(l.text, l.x, bar - 9);
    ctx.textAlign = 'left';
  }
  function drawSignals(ctx, s) {
    const labels = [];
    const [a, b] = visibleCells();
    for (const c of signalCells) {
      if (c < a || c > b) continue;
      const x = X(c * CL);
      line(ctx, x, s.top + 18, x, s.top + s.h - 4, COL.signal, 1.6);
      hits.push({ strip: 'signals', x: x, cell: c });
      labels.push({ x: x, text: D.hasKmPosts ? post(kmAt(c * CL)) : kmAlong(c * CL) });
    }
    ctx.fillStyle = COL.signal;
    ctx.textAlign = 'center';
    for (const l of placeLabels(ctx, labels, 1)) ctx.fillText(l.text, l.x, s.top + 12);
    ctx.textAlign = 'left';
  }
  function drawStations(ctx, s) {
    const bar = s.top + s.h - 10;
    const labels = [];
    for (const st of stations) {
      const z0 = X(st.start), z1 = Math.max(X(st.end), z0 + 2), x = X(st.position);
      if (z1 < LEFT - 200 || z0 > LEFT + plotW + 200) continue;
      ctx.fillStyle = 'rgba(31,95,191,0.35)';
      ctx.fillRect(z0, bar - 4, z1 - z0, 8);
      ctx.beginPath();
      ctx.arc(x, bar, 3, 0, 2 * Math.PI);
      ctx.fillStyle = st.stops ? COL.station : '#fff'; ctx.fill();
      ctx.strokeStyle = COL.station; ctx.lineWidth = 1.2; ctx.stroke();
      hits.push({ strip: 'stations', x: x, station: st });
      labels.push({ x: x, text: st.name, item: st });
    }
    ctx.fillStyle = COL.station;
    ctx.textAlign = 'center';
    for (const l of placeLabels(ctx, labels, STATION_ROWS, true)) {
      const y = bar - 10 - l.row * 14;
      line(ctx, l.anchor, y + 2, l.anchor, bar - 4, COL.station, 0.6);
      ctx.fillText(l.text, l.x, y);
    }
    ctx.textAlign = 'left';
  }
  function drawMountains(ctx, s) {
    const mid = s.top + s.h / 2;
    for (const r of terrainRuns) {
      const x0 = X(r.from * CL), x1 = Math.max(X(r.to * CL), x0 + 2);
      if (x1 < LEFT || x0 > LEFT + plotW) continue;
      ctx.fillStyle = 'rgba(142,107,191,0.55)';
      ctx.fillRect(x0, mid - 6, x1 - x0, 12);
      const label = 'type ' + r.value;
      if (ctx.measureText(label).width + 4 < x1 - x0) {
        ctx.fillStyle = '#fff'; ctx.textAlign = 'center';
        ctx.fillText(label, (Math.max(x0, LEFT) + Math.min(x1, LEFT + plotW)) / 2, mid + 4);
        ctx.textAlign = 'left';
      }
    }
    for (const c of ofKind(11)) line(ctx, X(c * CL), mid - 10, X(c * CL), mid - 6, COL.mountain, 1);
  }
  function drawBoards(ctx, s) {
    const mark = s.top + s.h - 12;
    const labels = [];
    for (const c of boardCells) {
      const x = X(c * CL);
      if (x < LEFT - 5 || x > LEFT + plotW + 5) continue;
      if (cells.kind[c] === 6) {
        ctx.fillStyle = COL.speedBoard;
        ctx.fillRect(x - 3, mark - 3, 6, 6);
      } else {
        ctx.beginPath();
        ctx.moveTo(x, mark - 5); ctx.lineTo(x + 5, mark); ctx.lineTo(x, mark + 5); ctx.lineTo(x - 5, mark); ctx.closePath();
        ctx.fillStyle = COL.textBoard; ctx.fill();
        if (D.boardTexts[c]) labels.push({ x: x, text: D.boardTexts[c] });
      }
      hits.push({ strip: 'boards', x: x, cell: c });
    }
    ctx.fillStyle = COL.textBoard;
    ctx.textAlign = 'center';
    for (const l of placeLabels(ctx, labels, 1)) ctx.fillText(l.text, l.x, mark - 9);
    ctx.textAlign = 'left';
  }
  // The curve's points in view, one beyond each side.
  function visibleRun() {
    return [Math.max(0, indexAt(RUN.position, view.start) - 1),
      Math.min(RUN.position.length - 1, indexAt(RUN.position, view.end) + 1)];
  }
  function polyline(ctx, xs, ys, from, to, colour, width) {
    ctx.beginPath();
    for (let i = from; i <= to; ++i) {
      if (i === from) ctx.moveTo(xs(i), ys(i)); else ctx.lineTo(xs(i), ys(i));
    }
    ctx.strokeStyle = colour; ctx.lineWidth = width; ctx.lineJoin = 'round';
    ctx.stroke();
  }
  // The speed axis reaches the highest speed of the run, in whole steps.
  const runScale = (function () {
    if (!RUN) return null;
    let most = 40;
    for (const v of RUN.speed.concat(RUN.limit)) most = Math.max(most, v);
    const step = niceStep(most / 4);
    return { top: Math.ceil(most / step) * step, step: step };
  })();
  function drawRunningSpeed(ctx, s) {
    const top = runScale.top, step = runScale.step;
    const Y = function (v) { return s.top + s.h - 4 - Math.max(0, Math.min(v, top)) / top * (s.h - 12); };
    for (let v = 0; v <= top; v += step) {
      yLabel(ctx, Y(v), String(v));
      line(ctx, LEFT, Y(v), LEFT + plotW, Y(v), COL.grid, 0.7);
    }
    const end = RUN.position[RUN.position.length - 1];
    ctx.beginPath();
    for (let i = 0; i < RUN.limitFrom.length; ++i) {
      const x0 = X(RUN.limitFrom[i]), x1 = X(i + 1 < RUN.limitFrom.length ? RUN.limitFrom[i + 1] : end);
      if (i === 0) ctx.moveTo(x0, Y(RUN.limit[i])); else ctx.lineTo(x0, Y(RUN.limit[i]));
      ctx.lineTo(x1, Y(RUN.limit[i]));
    }
    ctx.setLineDash([5, 2]);
    ctx.strokeStyle = COL.speedLimit; ctx.lineWidth = 1.4;
    ctx.stroke();
    ctx.setLineDash([]);
    const [a, b] = visibleRun();
    polyline(ctx, function (i) { return X(RUN.position[i]); }, function (i) { return Y(RUN.speed[i]); }, a, b,
      COL.computedSpeed, 1.6);
  }
  // The time axis spans the times of the stretch in view, so that a
  // zoom shows the minutes a few hundred metres take.
  function drawRunningTime(ctx, s) {
    const p = RUN.position;
    const t0 = runningAt(Math.max(view.start, p[0])).time;
    let t1 = runningAt(Math.min(view.end, p[p.length - 1])).time;
    // A stop in view: its departure too.
    const [a, b] = visibleRun();
    for (let i = a; i <= b; ++i) if (p[i] >= view.start && p[i] <= view.end) t1 = Math.max(t1, RUN.time[i]);
    const span = Math.max(t1 - t0, 10);
    const Y = function (t) { return s.top + s.h - 6 - (t - t0) / span * (s.h - 14); };
    let step = 1;
    for (const c of [1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1200, 1800, 3600, 7200, 10800, 21600]) {
      step = c;
      if (span / c <= 6) break;
    }
    for (let t = Math.ceil(t0 / step) * step; t <= t0 + span + 0.5; t += step) {
      // The axis shows a clock, past midnight too; the readouts count on.
      const label = clockOf(t % 86400);
      yLabel(ctx, Y(t), step < 60 ? label : label.slice(0, -3));
      line(ctx, LEFT, Y(t), LEFT + plotW, Y(t), COL.grid, 0.7);
    }
    polyline(ctx, function (i) { return X(p[i]); }, function (i) { return Y(RUN.time[i]); }, a, b, COL.runningTime, 1.6);
    for (const st of RUN.stations) {
      const x = X(st.at);
      if (x < LEFT - 5 || x > LEFT + plotW + 5) continue;
      ctx.beginPath();
      ctx.arc(x, Y(st.time), st.stops ? 3.2 : 2.4, 0, 2 * Math.PI);
      ctx.fillStyle = st.stops ? COL.runningTime : '#fff'; ctx.fill();
      ctx.strokeStyle = COL.runningTime; ctx.lineWidth = 1.2; ctx.stroke();
      hits.push({ strip: 'running-time', x: x, runStation: st });
    }
  }
  function line(ctx, x0, y0, x1, y1, colour, width) {
    ctx.beginPath();
    ctx.moveTo(x0, y0); ctx.lineTo(x1, y1);
    ctx.strokeStyle = colour; ctx.lineWidth = width;
    ctx.stroke();
  }
  // Drawn once the strip's clip is lifted: they stand left of the plot.
  const yLabels = [];
  function yLabel(ctx, y, text) { yLabels.push([y, text]); }
  function flushYLabels(ctx) {
    ctx.fillStyle = COL.axis;
    ctx.textAlign = 'right';
    for (const [y, text] of yLabels.splice(0)) ctx.fillText(text, LEFT - 6, y + 3.5);
    ctx.textAlign = 'left';
  }

  // Ticks about 90 px apart at any zoom; labels with as many decimals as
  // the step needs.
  function drawAxis(ctx, top, bottom) {
    const span = view.end - view.start;
    const step = niceStep(span * 90 / plotW);
    const digits = Math.max(0, -Math.floor(Math.log10(step / 1000) + 1e-9));
    const first = Math.ceil(Math.max(view.start, 0) / step) * step;
    const last = Math.min(view.end, axisEnd);
    ctx.textAlign = 'center';
    for (let m = first; m <= last + 0.5; m += step) {
      const x = X(m);
      line(ctx, x, top, x, bottom, COL.grid, 1);
      line(ctx, x, bottom, x, bottom + 5, COL.axis, 1);
      ctx.fillStyle = COL.axis;
      ctx.fillText((m / 1000).toFixed(digits), x, bottom + 16);
      if (D.hasKmPosts) {
        ctx.fillStyle = '#a0a0a0';
        ctx.fillText(post(kmAt(m)), x, bottom + 30);
      }
    }
    line(ctx, LEFT, bottom, LEFT + plotW, bottom, COL.axis, 1);
    ctx.textAlign = 'right';
    ctx.fillStyle = COL.axis;
    const keyX = narrow() ? LEFT - 8 : LEFT - 30;
    ctx.fillText(narrow() ? 'km' : 'km along the line', keyX, bottom + 16);
    if (D.hasKmPosts) { ctx.fillStyle = '#a0a0a0'; ctx.fillText(narrow() ? 'post' : 'km post', keyX, bottom + 30); }
    ctx.textAlign = 'left';
    if (D.lineLength > 0) {
      const x = X(D.lineLength);
      if (x >= LEFT && x <= LEFT + plotW) {
        ctx.setLineDash([5, 4]);
        line(ctx, x, top, x, bottom, COL.overrun, 1);
        ctx.setLineDash([]);
        ctx.fillStyle = COL.muted; ctx.textAlign = 'right';
        ctx.fillText('end of the line', x - 4, top + 10);
        ctx.textAlign = 'left';
      }
    }
    for (const j of D.kmJumps) {
      const x = X(j.position);
      if (x < LEFT || x > LEFT + plotW) continue;
      ctx.setLineDash([2, 3]);
      line(ctx, x, top, x, bottom + 36, COL.jump, 1);
      ctx.setLineDash([]);
      ctx.fillStyle = COL.jump;
      ctx.fillText(post(j.from) + ' \u2192 ' + post(j.to), x + 3, bottom + 42);
    }
  }

  // A title too wide for the canvas loses its explanation in brackets or
  // after the colon, then letters.
  function fitTitle(ctx, title, room) {
    if (ctx.measureText(title).width <= room) return title;
    let t = title.replace(/ \(.*\)/, '').replace(/:.*/, '');
    while (t.length > 1 && ctx.measureText(t).width > room) t = t.slice(0, -2) + '\u2026';
    return t;
  }
  function drawStrips() {
    const p = prepare(stripCanvas, stripsHeight);
    const ctx = p.ctx;
    LEFT = narrow() ? 58 : 132;
    plotW = Math.max(50, p.width - LEFT - RIGHT);
    hits.length = 0;
    placed.length = 0;
    const bottom = stripsHeight - AXIS_H;
    drawAxis(ctx, strips[0].top, bottom);
    for (const s of strips) {
      ctx.font = BOLD; ctx.fillStyle = COL.text;
      const title = fitTitle(ctx, s.title, p.width - 8);
      s.shownTitle = title;
      ctx.fillText(title, Math.min(LEFT, Math.max(4, p.width - 4 - ctx.measureText(title).width)), s.top - 5);
      ctx.font = FONT;
      ctx.strokeStyle = COL.grid; ctx.lineWidth = 1;
      ctx.strokeRect(LEFT, s.top, plotW, s.h);
      ctx.save();
      ctx.beginPath();
      ctx.rect(LEFT, s.top - 2, plotW, s.h + 4);
      ctx.clip();
      s.draw(ctx, s);
      ctx.restore();
      flushYLabels(ctx);
    }
    drawMark(ctx, strips[0].top, stripsHeight - AXIS_H);
    range.textContent = kmAlong(Math.round(view.start)) + ' \u2013 ' + kmAlong(Math.round(view.end)) +
      (D.hasKmPosts ? '' : '');
  }

  // ---- the plan ----
  const plan = D.plan;
  let planPlace = null;
  function drawPlan() {
    const p = prepare(planCanvas, 300);
    const ctx = p.ctx;
    if (!plan) {
      ctx.fillStyle = COL.muted;
      ctx.fillText('No plan: the scenario was compiled without its profile file.', 12, 24);
      return;
    }
    if (!planPlace || planPlace.width !== p.width) {
      let x0 = Infinity, x1 = -Infinity, y0 = Infinity, y1 = -Infinity;
      for (let i = 0; i < plan.x.length; ++i) {
        x0 = Math.min(x0, plan.x[i]); x1 = Math.max(x1, plan.x[i]);
        y0 = Math.min(y0, plan.y[i]); y1 = Math.max(y1, plan.y[i]);
      }
      const pad = 22;
      const scale = Math.min((p.width - 2 * pad) / Math.max(1, x1 - x0), (p.height - 2 * pad) / Math.max(1, y1 - y0));
      const ox = (p.width - (x1 - x0) * scale) / 2 - x0 * scale;
      const oy = (p.height + (y1 - y0) * scale) / 2 + y0 * scale;
      planPlace = { width: p.width, scale: scale, ox: ox, oy: oy };
    }
    const P = function (i) { return [planPlace.ox + plan.x[i] * planPlace.scale, planPlace.oy - plan.y[i] * planPlace.scale]; };
    const lineEnd = Math.min(plan.x.length - 1, Math.floor(D.lineLength / plan.step));
    function path(from, to, colour, width, dash) {
      if (to <= from) return;
      ctx.beginPath();
      for (let i = from; i <= to; ++i) { const q = P(i); if (i === from) ctx.moveTo(q[0], q[1]); else ctx.lineTo(q[0], q[1]); }
      ctx.strokeStyle = colour; ctx.lineWidth = width; ctx.setLineDash(dash || []); ctx.lineJoin = 'round';
      ctx.stroke();
      ctx.setLineDash([]);
    }
    const a = Math.max(0, Math.floor(view.start / plan.step)), b = Math.min(plan.x.length - 1, Math.ceil(view.end / plan.step));
    path(a, Math.max(b, Math.min(a + 1, plan.x.length - 1)), 'rgba(255,176,0,0.75)', 10);
    path(0, lineEnd > 0 ? lineEnd : plan.x.length - 1, COL.track, 2.2);
    path(lineEnd, plan.x.length - 1, COL.overrun, 1.5, [4, 3]);
    if (view.start > 0 || view.end < axisEnd) {
      const q = P(Math.min(plan.x.length - 1, Math.max(0, Math.round((view.start + view.end) / 2 / plan.step))));
      ctx.beginPath(); ctx.arc(q[0], q[1], 14, 0, 2 * Math.PI);
      ctx.strokeStyle = 'rgba(230,140,0,0.9)'; ctx.lineWidth = 2; ctx.stroke();
    }
    for (const st of stations) {
      const q = P(Math.min(plan.x.length - 1, Math.round(st.position / plan.step)));
      ctx.beginPath(); ctx.arc(q[0], q[1], 3, 0, 2 * Math.PI);
      ctx.fillStyle = st.stops ? COL.station : '#fff'; ctx.fill();
      ctx.strokeStyle = COL.station; ctx.lineWidth = 1.2; ctx.stroke();
    }
    const s0 = P(0), s1 = P(Math.max(0, lineEnd));
    ctx.beginPath(); ctx.arc(s0[0], s0[1], 5, 0, 2 * Math.PI);
    ctx.fillStyle = '#fff'; ctx.fill(); ctx.strokeStyle = COL.track; ctx.lineWidth = 2; ctx.stroke();
    ctx.fillStyle = COL.track; ctx.fillRect(s1[0] - 4.5, s1[1] - 4.5, 9, 9);
    ctx.fillStyle = COL.muted;
    const hint = 'Click the line on the plan to move the strips there; the amber stretch is what they show.';
    ctx.fillText(ctx.measureText(hint).width < p.width - 20 ? hint : 'Tap the line to move the strips there.', 10, 16);
  }
  const PLAN_PICK = 12;  // px: a click or hover farther from the line picks nothing
  // The metre of the plan point nearest to (x, y) on the canvas, with its distance.
  function planMetre(x, y) {
    let best = -1, bestD = Infinity;
    for (let i = 0; i < plan.x.length; ++i) {
      const dx = planPlace.ox + plan.x[i] * planPlace.scale - x, dy = planPlace.oy - plan.y[i] * planPlace.scale - y;
      const d = dx * dx + dy * dy;
      if (d < bestD) { bestD = d; best = i; }
    }
    return { metres: best * plan.step, distance: Math.sqrt(bestD) };
  }

  // ---- frames ----
  let pending = false;
  let firstDrawn = false;
  function draw() {
    pending = false;
    drawPlan();
    drawStrips();
    if (!firstDrawn) {
      firstDrawn = true;
      window.sbFirstFrame = performance.now();
    }
  }
  function schedule() {
    if (!pending) { pending = true; requestAnimationFrame(draw); }
  }
  // A tooltip left over would describe what has moved from under it.
  window.addEventListener('resize', function () { showTooltip(null); schedule(); });

  // ---- hover ----
  function hoverText(x, y) {
    if (x < LEFT - 8 || x > LEFT + plotW + 8) return null;
    const strip = strips.find(function (s) { return y >= s.top - 2 && y <= s.top + s.h + 2; });
    if (!strip) return null;
    let best = null, bestD = 7;
    for (const h of hits) {
      if (h.strip !== strip.id) continue;
      const d = h.x1 !== undefined ? (x >= h.x && x <= h.x1 ? 0 : Math.min(Math.abs(x - h.x), Math.abs(x - h.x1))) : Math.abs(x - h.x);
      if (d < bestD) { bestD = d; best = h; }
    }
    if (best && best.station) return stationText(best.station);
    if (best && best.runStation) return runStationText(best.runStation);
    if (strip.id === 'running-speed' || strip.id === 'running-time') return runningText(M(x));
    if (best && best.slowdown) {
      const sd = best.slowdown;
      return ['Slowdown ' + sd.speed + ' km/h', 'from cell ' + sd.start + ', ' + where(sd.start * CL),
        'to cell ' + sd.end + ', ' + where(sd.end * CL), oneCellOn(sd.start)].join('\n');
    }
    if (best) return pointText(best.cell);
    return cellText(Math.max(0, Math.min(n - 1, Math.floor(M(x) / CL))));
  }
  function showTooltip(text, clientX, clientY) {
    if (!text) { tooltip.style.display = 'none'; return; }
    tooltip.textContent = text;
    tooltip.style.display = 'block';
    const w = tooltip.offsetWidth, h = tooltip.offsetHeight;
    tooltip.style.left = Math.max(4, Math.min(clientX + 14, window.innerWidth - w - 4)) + 'px';
    tooltip.style.top = Math.max(4, Math.min(clientY + 14, window.innerHeight - h - 4)) + 'px';
  }

  // ---- zoom, pan, pinch ----
  function zoomAbout(x, factor) {
    const m = M(x);
    setView(m - (m - view.start) * factor, m + (view.end - m) * factor);
  }
  stripCanvas.addEventListener('wheel', function (e) {
    e.preventDefault();
    showTooltip(null);
    const r = stripCanvas.getBoundingClientRect();
    const dy = e.deltaMode === 1 ? e.deltaY * 30 : e.deltaY;
    zoomAbout(e.clientX - r.left, Math.exp(dy * 0.0015));
  }, { passive: false });
  const pointers = new Map();
  let drag = null, pinch = null;
  // A tap or a long press (a touch that barely moves) shows what a mouse
  // would show by hovering there.
  let touchStart = null;
  stripCanvas.addEventListener('pointerdown', function (e) {
    if (e.pointerType !== 'mouse') touchStart = pointers.size === 0 ? { x: e.clientX, y: e.clientY } : null;
    stripCanvas.setPointerCapture(e.pointerId);
    pointers.set(e.pointerId, e.clientX);
    if (pointers.size === 1) {
      drag = { x: e.clientX, start: view.start, end: view.end };
      stripCanvas.classList.add('dragging');
    } else if (pointers.size === 2) {
      const xs = Array.from(pointers.values());
      pinch = { distance: Math.abs(xs[0] - xs[1]) || 1, start: view.start, end: view.end, mid: (xs[0] + xs[1]) / 2 };
      drag = null;
    }
  });
  stripCanvas.addEventListener('pointermove', function (e) {
    const r = stripCanvas.getBoundingClientRect();
    if (pointers.has(e.pointerId)) pointers.set(e.pointerId, e.clientX);
    if (pinch && pointers.size === 2) {
      const xs = Array.from(pointers.values());
      const factor = pinch.distance / (Math.abs(xs[0] - xs[1]) || 1);
      const mid = pinch.mid - r.left;
      const m = pinch.start + (mid - LEFT) / plotW * (pinch.end - pinch.start);
      setView(m - (m - pinch.start) * factor, m + (pinch.end - m) * factor);
      return;
    }
    if (drag) {
      const dm = (e.clientX - drag.x) / plotW * (drag.end - drag.start);
      setView(drag.start - dm, drag.end - dm);
      if (Math.abs(e.clientX - drag.x) >= 8) showTooltip(null);
      return;
    }
    showTooltip(hoverText(e.clientX - r.left, e.clientY - r.top), e.clientX, e.clientY);
  });
  function release(e) {
    if (e.type === 'pointerup' && touchStart && pointers.size === 1 &&
        Math.hypot(e.clientX - touchStart.x, e.clientY - touchStart.y) < 8) {
      const r = stripCanvas.getBoundingClientRect();
      showTooltip(hoverText(e.clientX - r.left, e.clientY - r.top), e.clientX, e.clientY);
    }
    touchStart = null;
    pointers.delete(e.pointerId);
    if (pointers.size < 2) pinch = null;
    if (pointers.size === 0) { drag = null; stripCanvas.classList.remove('dragging'); }
  }
  stripCanvas.addEventListener('pointerup', release);
  stripCanvas.addEventListener('pointercancel', release);
  stripCanvas.addEventListener('pointerleave', function (e) { if (e.pointerType === 'mouse') showTooltip(null); });
  // A touch elsewhere on the page puts a tapped tooltip away.
  document.addEventListener('pointerdown', function (e) { if (e.target !== stripCanvas) showTooltip(null); });
  fit.addEventListener('click', function () { clearMessage(); const f = fitView(); setView(f.start, f.end); });

  planCanvas.addEventListener('click', function (e) {
    if (!plan || !planPlace) return;
    const r = planCanvas.getBoundingClientRect();
    const hit = planMetre(e.clientX - r.left, e.clientY - r.top);
    if (hit.distance <= PLAN_PICK) centreOn(hit.metres);
  });
  planCanvas.addEventListener('mousemove', function (e) {
    if (!plan || !planPlace) return;
    const r = planCanvas.getBoundingClientRect();
    const hit = planMetre(e.clientX - r.left, e.clientY - r.top);
    if (hit.distance > PLAN_PICK) { showTooltip(null); return; }
    let near = null;
    for (const st of stations) {
      if (Math.abs(st.position - hit.metres) <= 3 * plan.step + 200 && (!near || Math.abs(st.position - hit.metres) < Math.abs(near.position - hit.metres))) near = st;
    }
    showTooltip(near ? stationText(near) : 'The line at ' + where(hit.metres), e.clientX, e.clientY);
  });
  planCanvas.addEventListener('mouseleave', function () { showTooltip(null); });

  // ---- search ----
  // What was typed, read: a km post ("134+450", "km 134+450", "134.450",
  // "134,450"), a distance along the line ("7150", "7150 m", "7.15 km",
  // "7,15 km"), a cell ("cell 1791") or else a station's name.
  function parseQuery(text) {
    const t = text.trim().replace(/\s+/g, ' ');
    let m;
    if (!t) return { empty: true };
    if ((m = /^(?:km ?)?(-)?(\d+) ?\+ ?(\d{1,3})$/i.exec(t))) {
      return { km: (m[1] ? -1 : 1) * (+m[2] * 1000 + +m[3]) };
    }
    if ((m = /^(?:km ?)?(-)?(\d+)[.,](\d{1,3})$/i.exec(t))) {
      return { km: (m[1] ? -1 : 1) * (+m[2] * 1000 + +m[3].padEnd(3, '0')) };
    }
    if ((m = /^(\d+(?:[.,]\d+)?) ?km$/i.exec(t))) return { metres: Math.round(+m[1].replace(',', '.') * 1000) };
    if ((m = /^(\d+(?:[.,]\d+)?) ?m?$/i.exec(t))) return { metres: Math.round(+m[1].replace(',', '.')) };
    if ((m = /^cell ?(\d+)$/i.exec(t))) return { cell: +m[1] };
    return { station: t };
  }
  const HOW = 'give a km post (134+450), a distance along the line (7150 m, 7.15 km) or a station';
  // The places a query names, in order, with what to call them, or an error.
  function resolve(text) {
    const q = parseQuery(text);
    if (q.empty) return { error: 'Nothing to look for: ' + HOW + '.' };
    if (q.km !== undefined) {
      const name = 'km ' + post(q.km);
      const at = placesOfKm(q.km, fitFrom, axisEnd);
      if (!at.length) {
        return { error: name + ' is not on this line: its posts run from km ' + post(kmAt(0)) + ' to km ' +
          post(kmAt(fitTo)) + (D.kmJumps.length ? ', jumping where the progressions change' : '') + '.' };
      }
      return { places: at, name: name };
    }
    if (q.metres !== undefined) {
      if (q.metres > axisEnd) {
        return { error: q.metres + ' m is beyond the line, which ends at ' + kmAlong(fitTo) +
          ' (the track beyond it at ' + kmAlong(axisEnd) + ').' };
      }
      return { places: [q.metres], name: q.metres + ' m' };
    }
    if (q.cell !== undefined) {
      if (q.cell >= n) return { error: 'Cell ' + q.cell + ' is not on this line: its cells are 0 to ' + (n - 1) + '.' };
      return { places: [q.cell * CL], name: 'cell ' + q.cell };
    }
    const u = q.station.toUpperCase();
    const st = stations.find(function (s) { return s.name.toUpperCase() === u; }) ||
      stations.find(function (s) { return s.name.toUpperCase().startsWith(u); }) ||
      stations.find(function (s) { return s.name.toUpperCase().includes(u); });
    if (!st) return { error: 'Nothing found for \u201c' + text.trim() + '\u201d: ' + HOW + '.' };
    return { places: [st.position], name: st.name };
  }
  // The place found, marked on the strips until the next search.
  let mark = null;
  function clearMessage() { message.textContent = ''; message.className = ''; }
  function goTo(metres, name) {
    mark = { metres: metres, name: name };
    centreOn(metres);
  }
  function runSearch(text) {
    const found = resolve(text);
    clearMessage();
    if (found.error) {
      message.textContent = found.error;
      mark = null;
      schedule();
      return false;
    }
    goTo(found.places[0], found.name);
    if (found.places.length > 1) {
      // Where the km posts jump back a post is at more than one place.
      message.className = 'choice';
      message.append(found.name + ' is at ' + found.places.length + ' places:');
      found.places.forEach(function (metres, i) {
        const b = el('button', { type: 'button', 'data-metres': String(metres) }, where(metres));
        b.addEventListener('click', function () { goTo(metres, found.name + ' (' + (i + 1) + ')'); });
        message.append(' ', b);
      });
    }
    return true;
  }
  function drawMark(ctx, top, bottom) {
    if (!mark) return;
    const x = X(mark.metres);
    if (x < LEFT || x > LEFT + plotW) return;
    ctx.setLineDash([6, 3]);
    line(ctx, x, top, x, bottom, COL.text, 1.2);
    ctx.setLineDash([]);
    ctx.font = BOLD;
    const w = ctx.measureText(mark.name).width;
    const tx = Math.max(LEFT + 2, Math.min(LEFT + plotW - w - 2, x + 4));
    ctx.fillStyle = 'rgba(255,255,255,0.85)';
    ctx.fillRect(tx - 2, top - 1, w + 4, 15);
    ctx.fillStyle = COL.text;
    ctx.fillText(mark.name, tx, top + 11);
    ctx.font = FONT;
  }
  go.addEventListener('click', function () { runSearch(search.value); });
  search.addEventListener('keydown', function (e) { if (e.key === 'Enter') runSearch(search.value); });

  window.sbViewer = {
    warnings: warnings.slice(),
    get view() { return { start: view.start, end: view.end }; },
    stations: D.stations.length,
    signals: signalCells.length,
    lineLength: D.lineLength,
    cellAt: cellAt,
    running: RUN ? { stations: RUN.stations.length, at: runningAt } : null,
    runningNote: D.runningNote || '',
    search: runSearch,
    parse: parseQuery,
    places: function (text) { return resolve(text); },
    get mark() { return mark; },
    get labels() { return placed.map(function (l) { return { text: l.text, x: l.x, anchor: l.anchor, row: l.row, width: l.width }; }); },
    plot: function () { const r = stripCanvas.getBoundingClientRect(); return { left: r.left + LEFT, right: r.left + LEFT + plotW }; },
    titles: function () { return strips.map(function (s) { return s.shownTitle; }); },
    setView: function (s, e) { setView(s, e); },
    fit: function () { const f = fitView(); setView(f.start, f.end); },
    // Where metre `m` of the plan's line is drawn, in client coordinates.
    planPointOf: function (metres) {
      const r = planCanvas.getBoundingClientRect();
      const i = Math.min(plan.x.length - 1, Math.round(metres / plan.step));
      return { x: r.left + planPlace.ox + plan.x[i] * planPlace.scale, y: r.top + planPlace.oy - plan.y[i] * planPlace.scale };
    },
    // Where metre `m` of the strip `id` is drawn, in client coordinates.
    pointOf: function (metres, id) {
      const s = strips.find(function (t) { return t.id === id; });
      const r = stripCanvas.getBoundingClientRect();
      return { x: r.left + X(metres), y: r.top + s.top + s.h / 2 };
    }
  };
  schedule();
})();
