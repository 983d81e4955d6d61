// What every part of the page shares: its words in the phone's language, and its elements.
import { JAPANESE_BUTTON_LABELS, TEXTS } from '/texts.js';

const japanese = (navigator.language || '').toLowerCase().startsWith('ja');

export const text = (key) => TEXTS[japanese ? 'ja' : 'en'][key];
export const element = (id) => document.getElementById(id);

// Puts root's elements into the phone's words: data-text names an element's text, data-text-label
// its accessible name. The page is written in English.
export function translate(root) {
  if (!japanese) return;
  document.documentElement.lang = 'ja';
  for (const node of root.querySelectorAll('[data-text]')) {
    node.textContent = text(node.dataset.text);
  }
  for (const node of root.querySelectorAll('[data-text-label]')) {
    node.setAttribute('aria-label', text(node.dataset.textLabel));
  }
  for (const button of root.querySelectorAll('button[data-button]')) {
    const label = JAPANESE_BUTTON_LABELS[button.dataset.button] || button.dataset.button;
    button.textContent = label;
    button.setAttribute('aria-label', label);
  }
}

// A copy of the template's element, in the phone's words.
export function fromTemplate(id) {
  const copy = element(id).content.firstElementChild.cloneNode(true);
  translate(copy);
  return copy;
}
