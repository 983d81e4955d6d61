// The set-up: behind the owner's exit code, the program's settings on the phone, stored whole by
// Save. The program checks them as its settings dialog does, and its refusal is shown as it words
// it. The exit code opens the set-up for 10 minutes; after that the code is asked again, and the
// edits stay.
import { showSettings, editedSettings } from '/settings_form.js';
import { pickFolder } from '/folder_picker.js';
import { element, text } from '/page.js';

// What an unlock's answer says, but for 204.
const UNLOCK_REFUSALS = { 403: 'exitCodeWrong', 404: 'noSetup', 429: 'tooMany' };

let leave = () => {};
let editing = false; // settings are in the form

// { status, json }: status 0 when the PC could not be reached.
async function call(path, body) {
  const options = { credentials: 'same-origin', cache: 'no-store' };
  if (body !== undefined) {
    Object.assign(options, {
      method: 'POST',
      headers: { 'Content-Type': 'application/json' },
      body: JSON.stringify(body),
    });
  }
  try {
    const answer = await fetch(path, options);
    const json = answer.headers.get('Content-Type') === 'application/json'
      ? await answer.json() : null;
    return { status: answer.status, json };
  } catch (error) {
    return { status: 0, json: null };
  }
}

function say(message) {
  element('setup-message').textContent = message;
}

function showUnlock(message) {
  element('settings-form').hidden = true;
  element('save').hidden = true;
  element('unlock-form').hidden = false;
  say(message);
  element('unlock-code').focus();
}

function showEditor(message) {
  element('unlock-form').hidden = true;
  element('settings-form').hidden = false;
  element('save').hidden = false;
  say(message);
}

// A 403 may also mean that the phone is no longer paired (phones forgotten on the PC): the set-up
// then gives way to the remote, which asks for the pairing code.
async function unpaired() {
  return (await call('/session')).status === 403;
}

// A 403 is the set-up locked again once its 10 minutes are up.
async function refused(status) {
  if (status !== 403) say(text(status === 413 ? 'tooLarge' : 'unreachable'));
  else if (await unpaired()) closeSetup();
  else showUnlock(text('lockedAgain'));
}

async function listFolders(path) {
  const { status, json } = await call(`/setup/folders?path=${encodeURIComponent(path)}`);
  if (status !== 200) throw status;
  return json;
}

function pick() {
  return pickFolder(listFolders, element('setup')).catch((status) => {
    refused(status);
    return null;
  });
}

async function load() {
  say(text('loading'));
  const { status, json } = await call('/setup/settings');
  if (status !== 200) {
    refused(status);
    return;
  }
  showSettings(json, pick);
  editing = true;
  showEditor('');
}

async function unlock(event) {
  event.preventDefault();
  const input = element('unlock-code');
  if (!/^[0-9]+$/.test(input.value)) {
    say(text('exitCodeDigits'));
    return;
  }
  const button = element('unlock-button');
  button.disabled = true;
  const { status } = await call('/setup/unlock', { exitCode: input.value });
  button.disabled = false;
  if (status === 403 && await unpaired()) {
    closeSetup();
    return;
  }
  if (status !== 204) {
    say(text(UNLOCK_REFUSALS[status] || 'unreachable'));
    return;
  }
  input.value = '';
  if (editing) showEditor('');
  else load();
}

async function save(event) {
  event.preventDefault();
  const button = element('save');
  button.disabled = true;
  say('');
  const { status, json } = await call('/setup/settings', editedSettings());
  button.disabled = false;
  if (status === 204) say(text('saved'));
  else if (status === 422) say(json.message);
  else refused(status);
}

function closeSetup() {
  element('setup').hidden = true;
  element('categories').replaceChildren();
  editing = false;
  leave();
}

// Shows the set-up in place of the remote; back: what shows the remote again.
export function openSetup(back) {
  leave = back;
  element('setup').hidden = false;
  showUnlock('');
}

element('unlock-form').addEventListener('submit', unlock);
element('settings-form').addEventListener('submit', save);
element('setup-back').addEventListener('click', closeSetup);
