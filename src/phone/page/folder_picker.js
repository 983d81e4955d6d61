// Chooses a folder of the PC from the phone: from the starting places (home, media folders,
// drives) down, one folder's folders at a time.
import { element, text } from '/page.js';

let picking = null; // { list, from, scroll, trail: the folders opened, resolve, reject }
let listed = 0; // counts listings, so that only the latest one asked for is shown

// Puts back the section the picker stood in for; the pick, to settle.
function finish() {
  const done = picking;
  picking = null;
  listed += 1;
  element('picker').hidden = true;
  done.from.hidden = false;
  window.scrollTo(0, done.scroll);
  return done;
}

function here() {
  return picking.trail[picking.trail.length - 1];
}

async function show() {
  const folder = here();
  element('picker-path').textContent = folder ? folder.path : text('startingPlaces');
  element('picker-up').hidden = !folder;
  element('picker-choose').hidden = !folder;
  const list = element('picker-folders');
  list.replaceChildren();
  element('picker-empty').hidden = true;
  const listing = ++listed;
  let folders;
  try {
    folders = await picking.list(folder ? folder.path : '');
  } catch (error) {
    if (listing === listed) finish().reject(error);
    return;
  }
  if (listing !== listed) return;
  for (const inside of folders) {
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = inside.name;
    button.addEventListener('click', () => {
      picking.trail.push(inside);
      show();
    });
    const item = document.createElement('li');
    item.append(button);
    list.append(item);
  }
  element('picker-empty').hidden = folders.length > 0;
  window.scrollTo(0, 0);
}

// Shows the picker in place of the section from. list(path): a promise of the folders in path
// ([{ name, path }], the starting places for ''), rejected when they cannot be had, which rejects
// the pick too. A promise of the chosen { name, path }, or of null when cancelled.
export function pickFolder(list, from) {
  return new Promise((resolve, reject) => {
    picking = { list, from, scroll: window.scrollY, trail: [], resolve, reject };
    from.hidden = true;
    element('picker').hidden = false;
    show();
  });
}

element('picker-up').addEventListener('click', () => {
  picking.trail.pop();
  show();
});
element('picker-cancel').addEventListener('click', () => finish().resolve(null));
element('picker-choose').addEventListener('click', () => {
  const chosen = here();
  finish().resolve(chosen);
});
