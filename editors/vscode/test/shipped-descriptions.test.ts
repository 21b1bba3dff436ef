import { test } from 'node:test';
import * as assert from 'node:assert/strict';
import * as fs from 'node:fs';
import * as path from 'node:path';
import * as oniguruma from 'vscode-oniguruma';
import * as textmate from 'vscode-textmate';

// The descriptions the program ships (the built-in scenario and the `new`
// templates) are the authors' models: every line of them must be coloured
// as what the compiler reads it as.
const extensionDir = path.resolve(__dirname, '..', '..');
const dataDir = path.resolve(extensionDir, '..', '..', 'src', 'content', 'data');

const shipped: Array<[string, string]> = [
  ['linea.txt', 'source.sb-line'],
  ['template_linea.txt', 'source.sb-line'],
  ['treno.txt', 'source.sb-train'],
  ['template_treno.txt', 'source.sb-train'],
];

async function loadRegistry(): Promise<textmate.Registry> {
  const wasm = fs.readFileSync(require.resolve('vscode-oniguruma/release/onig.wasm'));
  await oniguruma.loadWASM(wasm.buffer.slice(wasm.byteOffset, wasm.byteOffset + wasm.byteLength));
  return new textmate.Registry({
    onigLib: Promise.resolve({
      createOnigScanner: (patterns: string[]) => new oniguruma.OnigScanner(patterns),
      createOnigString: (text: string) => new oniguruma.OnigString(text),
    }),
    loadGrammar: async (scopeName: string) => {
      const file = path.join(extensionDir, 'syntaxes', `${scopeName.replace('source.', '')}.tmLanguage.json`);
      return textmate.parseRawGrammar(fs.readFileSync(file, 'utf8'), file);
    },
  });
}

const LINE_KINDS = ['comment.line', 'meta.section.header', 'keyword.other.record'];
const RECORD_PARTS = ['keyword.other.record', 'constant.numeric.integer',
  'punctuation.separator.comma', 'string.unquoted.text'];

function hasScope(scopes: string[], prefixes: string[]): boolean {
  return scopes.some((scope) => prefixes.some((prefix) => scope.startsWith(prefix)));
}

test('every line the program ships is a comment, a header or a fully coloured record', async () => {
  const registry = await loadRegistry();
  for (const [fileName, scopeName] of shipped) {
    const grammar = await registry.loadGrammar(scopeName);
    assert.ok(grammar, scopeName);
    // Windows-1252; latin1 keeps every byte one character, which is all this needs.
    const lines = fs.readFileSync(path.join(dataDir, fileName), 'latin1').split(/\r?\n/);
    let ruleStack = textmate.INITIAL;
    let inGeneral = false;
    lines.forEach((line, index) => {
      const result = grammar.tokenizeLine(line, ruleStack);
      ruleStack = result.ruleStack;
      inGeneral ||= line.includes('[generale]');
      const where = `${fileName}:${index + 1}: ${line}`;
      const tokens = result.tokens
        .map((token) => ({ text: line.slice(token.startIndex, token.endIndex), scopes: token.scopes }))
        .filter((token) => token.text.trim() !== '');
      if (tokens.length === 0 || !inGeneral) return;
      assert.ok(hasScope(tokens[0].scopes, LINE_KINDS), `${where}\n  starts as ${tokens[0].scopes}`);
      if (!hasScope(tokens[0].scopes, ['keyword.other.record'])) return;
      for (const token of tokens) {
        assert.ok(hasScope(token.scopes, RECORD_PARTS), `${where}\n  '${token.text}' is ${token.scopes}`);
      }
    });
  }
});
