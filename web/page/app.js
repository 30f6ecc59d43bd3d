// The station's page: the live receiver line from /api/events, the log in
// pages from /api/log, playback of the entries' WAV files and the activity
// report. Every text from the station goes into the page as textContent.
'use strict';

const PAGE = 50;
const state = { offset: 0, total: 0, filter: '', logEntries: null };

function $(id) { return document.getElementById(id); }

function setText(id, text) { $(id).textContent = text; }

function el(tag, text, className) {
  const node = document.createElement(tag);
  if (text !== undefined && text !== null) node.textContent = String(text);
  if (className) node.className = className;
  return node;
}

function svgEl(tag, attributes) {
  const node = document.createElementNS('http://www.w3.org/2000/svg', tag);
  for (const [key, value] of Object.entries(attributes)) node.setAttribute(key, String(value));
  return node;
}

function badge(id, text, kind) {
  const node = $(id);
  node.textContent = text;
  node.className = 'badge' + (kind ? ' ' + kind : '');
}

function duration(seconds) {
  const h = Math.floor(seconds / 3600);
  const m = Math.floor((seconds % 3600) / 60);
  const s = seconds % 60;
  return h + ':' + String(m).padStart(2, '0') + ':' + String(s).padStart(2, '0');
}

// ---- receiver line ----

function showStatus(s) {
  setText('frequency', s.frequency_hz === null ? '\u2013' : (s.frequency_hz / 1e6).toFixed(6));
  setText('mode', s.mode === null ? '\u2013' : s.mode);
  setText('vfo', s.vfo === null ? '' : s.vfo);
  setText('channel', s.channel === null ? '' : 'ch ' + s.channel);
  if (s.squelch_open === null) badge('squelch', 'squelch ?');
  else badge('squelch', s.squelch_open ? 'signal' : 'quiet', s.squelch_open ? 'on' : '');
  badge('logstate', s.log_running ? 'logging' : '', s.log_running ? 'ok' : '');
  badge('recstate', s.recording ? 'recording' : '', s.recording ? 'bad' : '');
  const linkKind = s.link === 'ok' ? 'ok' : 'bad';
  badge('link', s.link === null ? 'link ?' : 'link ' + s.link, linkKind);
  const level = s.level === null ? null : Math.max(0, Math.min(255, s.level));
  $('levelfill').style.width = level === null ? '0' : (level * 100 / 255).toFixed(1) + '%';
  $('levelbar').setAttribute('aria-valuenow', level === null ? '0' : String(level));
  setText('levelvalue', level === null ? '\u2013' : String(level));
  if (state.logEntries !== null && s.log_entries !== state.logEntries && state.offset === 0) {
    loadLog();
  }
  state.logEntries = s.log_entries;
}

function pollStatus() {
  setInterval(() => fetch('/api/status').then(r => r.json()).then(showStatus).catch(() => {}), 1000);
}

function followStatus() {
  if (!window.EventSource) {
    pollStatus();
    return;
  }
  const events = new EventSource('/api/events');
  events.onmessage = (event) => {
    try { showStatus(JSON.parse(event.data)); } catch (e) { /* a torn event: the next one comes */ }
  };
  events.onerror = () => {
    // A lost line is tried again by the browser; a refused stream (the
    // station serves only so many) is not, and the page polls instead.
    if (events.readyState === EventSource.CLOSED) pollStatus();
    else badge('link', 'page offline', 'bad');
  };
}

// ---- log ----

function play(name, entry) {
  const audio = $('audio');
  $('player').hidden = false;
  setText('playing', entry.date + ' ' + entry.time + '  ' + entry.frequency);
  audio.src = '/audio/' + encodeURIComponent(name);
  audio.play().catch(() => {});
}

function entryRow(entry) {
  const row = document.createElement('tr');
  row.dataset.index = String(entry.index);
  for (const key of ['date', 'time', 'duration', 'frequency', 'level']) {
    row.appendChild(el('td', entry[key], key === 'level' ? 'num' : ''));
  }
  const cell = el('td');
  if (entry.audio !== null) {
    const button = el('button', '\u25B6 Play');
    button.type = 'button';
    button.title = entry.audio;
    button.addEventListener('click', () => play(entry.audio, entry));
    cell.appendChild(button);
  }
  row.appendChild(cell);
  return row;
}

async function loadLog() {
  const params = new URLSearchParams({ offset: String(state.offset), limit: String(PAGE) });
  if (state.filter) params.set('q', state.filter);
  let page;
  try {
    const response = await fetch('/api/log?' + params.toString());
    if (!response.ok) return;
    page = await response.json();
  } catch (e) {
    return;
  }
  state.total = page.total;
  const body = $('entries');
  body.replaceChildren(...page.entries.map(entryRow));
  $('noentries').hidden = page.entries.length > 0;
  setText('logtotal', '(' + page.total + ')');
  const last = Math.min(state.offset + page.entries.length, page.total);
  setText('pageinfo', page.total ? (state.offset + 1) + '\u2013' + last + ' of ' + page.total : '');
  $('newer').disabled = state.offset === 0;
  $('older').disabled = state.offset + PAGE >= page.total;
}

// ---- activity report ----

function drawHours(hours) {
  const svg = $('hours');
  svg.replaceChildren();
  const width = 480, height = 150, top = 8, bottom = 20, left = 4;
  const step = (width - left) / 24;
  const max = Math.max(1, ...hours.map(h => h.hits));
  svg.appendChild(svgEl('line', { x1: left, y1: height - bottom, x2: width, y2: height - bottom, class: 'base' }));
  for (const h of hours) {
    const barHeight = (height - top - bottom) * h.hits / max;
    const bar = svgEl('rect', {
      x: (left + h.hour * step + 1).toFixed(1), y: (height - bottom - barHeight).toFixed(1),
      width: (step - 2).toFixed(1), height: barHeight.toFixed(1), class: 'bar'
    });
    const tip = svgEl('title', {});
    tip.textContent = String(h.hour).padStart(2, '0') + ':00  ' + h.hits + ' hits, ' + duration(h.airtime_s);
    bar.appendChild(tip);
    svg.appendChild(bar);
    if (h.hour % 3 === 0) {
      const label = svgEl('text', { x: (left + h.hour * step + step / 2).toFixed(1), y: height - 6,
        'text-anchor': 'middle', class: 'axis' });
      label.textContent = String(h.hour).padStart(2, '0');
      svg.appendChild(label);
    }
  }
}

async function loadReport() {
  const params = new URLSearchParams();
  if ($('from').value) params.set('from', $('from').value);
  if ($('to').value) params.set('to', $('to').value);
  let report;
  try {
    const response = await fetch('/api/report?' + params.toString());
    if (!response.ok) return;
    report = await response.json();
  } catch (e) {
    return;
  }
  if (!$('from').value && report.first_day) $('from').value = report.first_day;
  if (!$('to').value && report.last_day) $('to').value = report.last_day;
  setText('reportsummary', report.entries + ' entries, ' + report.frequencies_total + ' frequencies' +
    (report.unreadable ? ', ' + report.unreadable + ' unreadable' : ''));
  drawHours(report.hours);
  const rows = report.frequencies.slice(0, 20).map(f => {
    const row = document.createElement('tr');
    row.appendChild(el('td', f.frequency));
    row.appendChild(el('td', f.hits, 'num'));
    row.appendChild(el('td', duration(f.airtime_s), 'num'));
    row.appendChild(el('td', f.last_heard));
    row.appendChild(el('td', f.mean_level === null ? '\u2013' : f.mean_level.toFixed(0), 'num'));
    return row;
  });
  $('busiest').replaceChildren(...rows);
}

// ---- wiring ----

$('filter').addEventListener('submit', (event) => {
  event.preventDefault();
  state.filter = $('q').value.trim();
  state.offset = 0;
  loadLog();
});
$('newer').addEventListener('click', () => { state.offset = Math.max(0, state.offset - PAGE); loadLog(); });
$('older').addEventListener('click', () => { state.offset += PAGE; loadLog(); });
$('range').addEventListener('submit', (event) => { event.preventDefault(); loadReport(); });

followStatus();
loadLog();
loadReport();
