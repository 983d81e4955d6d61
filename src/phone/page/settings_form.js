// The settings in the set-up's form: shown from the program's JSON, and read back as the same JSON
// with the owner's edits. What the form does not show goes back as it came.
import { element, fromTemplate } from '/page.js';

// The program's own names, the same in every language.
const CATEGORY_NAMES = { 1: 'my Video', 2: 'my Music', 3: 'my Picture' };

let shown = {};
const cameAs = new WeakMap(); // a category's section or a folder's row → its JSON as it came

const field = (parent, name) => parent.querySelector(`.${name}`);

// pick: asks for a folder of the PC, to a promise of { name, path }, or of null.
function folderRow(folder, pick) {
  const row = fromTemplate('folder-template');
  cameAs.set(row, folder);
  const title = field(row, 'title');
  const path = field(row, 'path');
  title.value = folder.title;
  path.value = folder.folder;
  field(row, 'lock').checked = folder.lock;
  field(row, 'browse').addEventListener('click', async () => {
    const chosen = await pick();
    if (!chosen) return;
    path.value = chosen.path;
    if (!title.value) title.value = chosen.name;
  });
  // The moved button keeps the focus, so that it moves again at the next tap.
  const up = field(row, 'up');
  up.addEventListener('click', () => {
    if (row.previousElementSibling) row.after(row.previousElementSibling);
    up.focus();
  });
  const down = field(row, 'down');
  down.addEventListener('click', () => {
    if (row.nextElementSibling) row.before(row.nextElementSibling);
    down.focus();
  });
  field(row, 'remove').addEventListener('click', () => {
    const next = row.nextElementSibling || row.previousElementSibling;
    const focus = next ? field(next, 'remove') : field(row.closest('fieldset'), 'add-folder');
    row.remove();
    focus.focus();
  });
  return row;
}

function categorySection(category, pick) {
  const section = fromTemplate('category-template');
  cameAs.set(section, category);
  field(section, 'category-name').textContent =
    CATEGORY_NAMES[category.category] || String(category.category);
  field(section, 'unlock-code').value = category.unlockCode;
  field(section, 'extensions').value = category.extensions;
  // Picture has no next file to play on to.
  const continueFolder = field(section, 'continue-folder');
  if ('continueFolder' in category) continueFolder.checked = category.continueFolder;
  else field(section, 'continue-switch').remove();
  const list = field(section, 'folders');
  list.append(...category.folders.map((folder) => folderRow(folder, pick)));
  field(section, 'add-folder').addEventListener('click', async () => {
    const chosen = await pick();
    if (!chosen) return;
    const row = folderRow({ title: chosen.name, folder: chosen.path, lock: false }, pick);
    list.append(row);
    row.scrollIntoView({ block: 'center' });
  });
  return section;
}

export function showSettings(settings, pick) {
  shown = settings;
  element('exit-code').value = settings.exitCode;
  element('active-delay').value = settings.activeDelay;
  element('phone-remote').checked = settings.phoneRemote;
  element('categories').replaceChildren(
    ...settings.categories.map((category) => categorySection(category, pick)));
}

function editedFolder(row) {
  return {
    ...cameAs.get(row),
    title: field(row, 'title').value,
    folder: field(row, 'path').value,
    lock: field(row, 'lock').checked,
  };
}

function editedCategory(section) {
  const category = {
    ...cameAs.get(section),
    unlockCode: field(section, 'unlock-code').value,
    extensions: field(section, 'extensions').value,
    folders: [...field(section, 'folders').children].map(editedFolder),
  };
  if ('continueFolder' in category) {
    category.continueFolder = field(section, 'continue-folder').checked;
  }
  return category;
}

export function editedSettings() {
  return {
    ...shown,
    exitCode: element('exit-code').value,
    activeDelay: element('active-delay').valueAsNumber,
    phoneRemote: element('phone-remote').checked,
    categories: [...element('categories').children].map(editedCategory),
  };
}
