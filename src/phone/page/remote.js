// The remote control page: pairs with the program once, then sends the buttons over a WebSocket
// and shows what is playing; its Set up button leads to the set-up (setup.js).
import { element, text, translate } from '/page.js';
import { openSetup } from '/setup.js';

const HOLD_EVERY_MS = 200; // the program releases a button whose keep-alives stop
const FIRST_RETRY_MS = 500;
const LAST_RETRY_MS = 15000;

// --- The connection ---

let socket = null;
let retryDelay = FIRST_RETRY_MS;
let retryTimer = 0;

function send(message) {
  if (socket && socket.readyState === WebSocket.OPEN) socket.send(JSON.stringify(message));
}

function showStatus(message) {
  element('status').textContent = message;
}

// 'paired', 'unpaired', or 'unreachable' while the TV sleeps or the Wi-Fi is gone.
function sessionState() {
  return fetch('/session', { cache: 'no-store', credentials: 'same-origin' })
    .then((answer) => {
      if (answer.status === 204) return 'paired';
      return answer.status === 403 ? 'unpaired' : 'unreachable';
    })
    .catch(() => 'unreachable');
}

function disconnect() {
  clearTimeout(retryTimer);
  releaseAll();
  if (!socket) return;
  const old = socket;
  socket = null;
  old.onclose = null;
  old.close();
}

function connect() {
  disconnect();
  showStatus(text('connecting'));
  const opened = new WebSocket(`ws://${location.host}/ws`);
  socket = opened;
  opened.onopen = () => {
    retryDelay = FIRST_RETRY_MS;
    showStatus('');
  };
  opened.onmessage = (event) => receive(event.data);
  opened.onclose = () => {
    if (socket !== opened) return;
    socket = null;
    releaseAll();
    afterClose();
  };
}

// A closed socket means the PC sleeps, the Wi-Fi dropped, or the phone was unpaired.
function afterClose() {
  sessionState().then((state) => {
    if (socket || element('remote').hidden) return;
    if (state === 'unpaired') {
      showPairing('');
      return;
    }
    showStatus(text('reconnecting'));
    retryTimer = setTimeout(connect, retryDelay);
    retryDelay = Math.min(retryDelay * 2, LAST_RETRY_MS);
  });
}

// Back on screen or back online: try at once rather than after the backoff.
function reconnectNow() {
  if (element('remote').hidden) return;
  retryDelay = FIRST_RETRY_MS;
  connect();
}

// --- Buttons ---

const held = new Map(); // button name → keep-alive timer

function press(name) {
  if (held.has(name)) return;
  send({ press: name });
  held.set(name, setInterval(() => send({ hold: name }), HOLD_EVERY_MS));
}

function release(name) {
  if (!held.has(name)) return;
  clearInterval(held.get(name));
  held.delete(name);
  send({ release: name });
}

function releaseAll() {
  for (const name of [...held.keys()]) release(name);
}

function wireButton(button) {
  const name = button.dataset.button;
  button.addEventListener('pointerdown', (event) => {
    if (event.button !== 0) return;
    event.preventDefault();
    press(name);
  });
  for (const type of ['pointerup', 'pointercancel', 'pointerleave']) {
    button.addEventListener(type, () => release(name));
  }
  // A click without a pointer: Enter or Space on the focused button, or a screen reader.
  button.addEventListener('click', (event) => {
    if (event.detail !== 0) return;
    press(name);
    release(name);
  });
  button.addEventListener('contextmenu', (event) => event.preventDefault());
}

// --- Now playing ---

let playing = null;
let receivedAt = 0;

function receive(data) {
  let message;
  try {
    message = JSON.parse(data);
  } catch (error) {
    return;
  }
  if (message && message.nowPlaying) showNowPlaying(message.nowPlaying);
}

function clockText(ms) {
  const seconds = Math.floor(ms / 1000);
  const minutes = Math.floor(seconds / 60);
  const hours = Math.floor(minutes / 60);
  const two = (n) => String(n).padStart(2, '0');
  return hours > 0 ? `${hours}:${two(minutes % 60)}:${two(seconds % 60)}`
                   : `${minutes}:${two(seconds % 60)}`;
}

function showNowPlaying(item) {
  playing = item;
  receivedAt = performance.now();
  element('np-title').textContent = item.playing ? item.title : text('nothingPlaying');
  element('np-detail').textContent = item.playing ? (item.artist || item.folder) : '';
  element('np-state').textContent = item.playing && item.paused ? text('paused') : '';
  const cover = element('cover');
  if (item.playing && item.cover) {
    const source = `/cover?r=${item.cover}`;
    if (cover.getAttribute('src') !== source) cover.src = source;
    cover.hidden = false;
  } else {
    cover.hidden = true;
    cover.removeAttribute('src');
  }
  showTime();
}

// Between pushes the position moves on by itself while playing.
function showTime() {
  const progress = element('np-progress');
  if (!playing || !playing.playing || !playing.length) {
    element('np-time').textContent = '';
    progress.hidden = true;
    return;
  }
  const moved = playing.paused ? 0 : performance.now() - receivedAt;
  const position = Math.min(playing.position + moved, playing.length);
  element('np-time').textContent = `${clockText(position)} / ${clockText(playing.length)}`;
  progress.hidden = false;
  progress.value = position / playing.length;
}

// --- Pairing ---

// 'paired', 'refused', 'tooMany' or 'unreachable'.
function pair(proof) {
  return fetch('/pair', {
    method: 'POST',
    headers: { 'Content-Type': 'application/json' },
    body: JSON.stringify(proof),
    credentials: 'same-origin',
    cache: 'no-store',
  })
    .then((answer) => {
      if (answer.status === 204) return 'paired';
      if (answer.status === 429) return 'tooMany';
      return answer.status === 403 ? 'refused' : 'unreachable';
    })
    .catch(() => 'unreachable');
}

function showPairing(message) {
  disconnect();
  element('remote').hidden = true;
  element('pairing').hidden = false;
  element('pair-message').textContent = message;
  element('code').focus();
}

function showRemote() {
  element('pairing').hidden = true;
  element('remote').hidden = false;
  connect();
}

// The set-up takes the whole screen; coming back connects again.
function showSetup() {
  disconnect();
  element('remote').hidden = true;
  openSetup(showRemote);
}

function submitCode(event) {
  event.preventDefault();
  const input = element('code');
  const code = input.value.replace(/\D/g, '');
  if (code.length !== 6) {
    element('pair-message').textContent = text('codeLength');
    return;
  }
  const button = element('pair-button');
  button.disabled = true;
  pair({ code }).then((result) => {
    button.disabled = false;
    if (result === 'paired') {
      input.value = '';
      showRemote();
      return;
    }
    element('pair-message').textContent = text(result === 'refused' ? 'codeRefused' : result);
  });
}

function start() {
  translate(document);
  for (const button of document.querySelectorAll('button[data-button]')) wireButton(button);
  element('pair-form').addEventListener('submit', submitCode);
  element('setup-button').addEventListener('click', showSetup);
  setInterval(showTime, 1000);
  document.addEventListener('visibilitychange', () => {
    if (document.hidden) releaseAll();
    else reconnectNow();
  });
  window.addEventListener('online', reconnectNow);
  window.addEventListener('blur', releaseAll);

  // The QR code's token rides in the fragment; it is taken off the address at once, so that
  // it stays in no history or bookmark.
  const token = location.hash.slice(1);
  let refusal = '';
  let paired = Promise.resolve();
  if (token) {
    history.replaceState(null, '', location.pathname + location.search);
    paired = pair({ token }).then((result) => {
      if (result !== 'paired') refusal = text(result === 'refused' ? 'tokenRefused' : result);
    });
  }
  paired.then(sessionState).then((state) => {
    if (state === 'unpaired') showPairing(refusal);
    else showRemote();
  });
}

start();
