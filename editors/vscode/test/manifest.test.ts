import { test } from 'node:test';
import * as assert from 'node:assert/strict';
import * as fs from 'node:fs';
import * as path from 'node:path';
import { RESTART_COMMAND } from '../src/controller';

// Compiled to out/test/, so the extension folder is two levels up and the
// repository root four.
const extensionDir = path.resolve(__dirname, '..', '..');
const repoRoot = path.resolve(extensionDir, '..', '..');

function readJson(file: string): any {
  return JSON.parse(fs.readFileSync(path.join(extensionDir, file), 'utf8'));
}

const manifest = readJson('package.json');
const contributes = manifest.contributes;

// VS Code matches filenamePatterns against the file's base name.
function matchesPattern(pattern: string, fileName: string): boolean {
  const escaped = pattern.replace(/[.+^${}()|[\]\\]/g, '\\$&').replace(/\*/g, '.*').replace(/\?/g, '.');
  return new RegExp(`^${escaped}$`).test(fileName);
}

function languagesOf(fileName: string): string[] {
  return contributes.languages
    .filter((l: any) => (l.filenamePatterns ?? []).some((p: string) => matchesPattern(p, fileName)))
    .map((l: any) => l.id);
}

test('each description file name opens as exactly its own language', () => {
  const cases: Array<[string, string[]]> = [
    ['Costa_linea.txt', ['sb-line']],
    ['Lungomare_Nord_linea.txt', ['sb-line']],
    ['Costa_42-.txt', ['sb-train']],
    ['Lungomare_Nord_911-.txt', ['sb-train']],
    ['Costa_911_note.txt', []],
    ['Costa_911_scheda_treno.txt', []],
    ['notes.txt', []],
  ];
  for (const [fileName, expected] of cases) {
    assert.deepEqual(languagesOf(fileName), expected, fileName);
  }
});

test('each language has a grammar and a language configuration that load', () => {
  for (const language of contributes.languages) {
    const grammar = contributes.grammars.find((g: any) => g.language === language.id);
    assert.ok(grammar, `no grammar for ${language.id}`);
    assert.equal(readJson(grammar.path).scopeName, grammar.scopeName);
    assert.equal(grammar.scopeName, `source.${language.id}`);
    const configuration = readJson(language.configuration);
    // Two quotes, not '--': a third line holding '-' in a row is read again.
    assert.equal(configuration.comments.lineComment, '""');
  }
});

test('both languages are read and written as Windows-1252', () => {
  for (const language of contributes.languages) {
    assert.equal(contributes.configurationDefaults[`[${language.id}]`]?.['files.encoding'],
      'windows1252', language.id);
  }
});

test('the serverPath setting defaults to empty, the bundled program', () => {
  const setting = contributes.configuration.properties['scenarioBuilder.serverPath'];
  assert.equal(setting.type, 'string');
  assert.equal(setting.default, '');
});

test('an untrusted workspace cannot set the program the extension runs', () => {
  const untrusted = manifest.capabilities?.untrustedWorkspaces;
  assert.equal(untrusted?.supported, 'limited');
  assert.deepEqual(untrusted.restrictedConfigurations, ['scenarioBuilder.serverPath']);
  assert.ok(untrusted.description);
});

test('the restart command is contributed under the extension\'s category', () => {
  assert.deepEqual(contributes.commands,
    [{ command: RESTART_COMMAND, title: 'Restart Server', category: 'Scenario Builder' }]);
  // VS Code activates on a contributed command by itself; the bundle must
  // register the very name.
  const bundle = fs.readFileSync(path.join(extensionDir, manifest.main), 'utf8');
  assert.ok(bundle.includes(JSON.stringify(RESTART_COMMAND)), 'the bundle does not name the command');
});

test('the package holds what the marketplace shows and the bundled program', () => {
  const ignore = fs.readFileSync(path.join(extensionDir, '.vscodeignore'), 'utf8').split('\n');
  for (const file of ['README.md', 'CHANGELOG.md', 'LICENSE', 'server/scenario-builder', 'server/scenario-builder.exe']) {
    assert.ok(ignore.includes(`!${file}`), `.vscodeignore leaves out ${file}`);
  }
  const changelog = fs.readFileSync(path.join(extensionDir, 'CHANGELOG.md'), 'utf8');
  assert.ok(changelog.includes(`## ${manifest.version}`), 'CHANGELOG.md has no entry for this version');
  // The marketplace page starts with how to install it.
  const readme = fs.readFileSync(path.join(extensionDir, 'README.md'), 'utf8');
  const firstSection = /^## (.*)$/m.exec(readme);
  assert.equal(firstSection?.[1], 'Installation');
});

test('the version is the project version', () => {
  const cmake = fs.readFileSync(path.join(repoRoot, 'CMakeLists.txt'), 'utf8');
  const version = /project\s*\([^)]*VERSION\s+(\d+\.\d+\.\d+)/.exec(cmake);
  assert.ok(version, 'no project VERSION in CMakeLists.txt');
  assert.equal(manifest.version, version[1]);
});

test('the packaged bundle needs nothing beyond vscode and Node', () => {
  // The .vsix holds no node_modules, so the client library must be bundled.
  const bundle = fs.readFileSync(path.join(extensionDir, manifest.main), 'utf8');
  const required = [...bundle.matchAll(/require\("([^"]+)"\)/g)].map((m) => m[1]);
  const builtin = new Set(require('node:module').builtinModules as string[]);
  const foreign = required.filter((name) => name !== 'vscode' &&
    !builtin.has(name.replace(/^node:/, '')));
  assert.deepEqual([...new Set(foreign)], []);
  assert.ok(required.includes('vscode'));
});

test('the bundle loads with only the vscode module given, and exports the entry points', () => {
  // Any property of the stand-in is another stand-in: enough for the client
  // library to load, which is all that runs before activate().
  const standIn: any = new Proxy(function () {}, {
    get: (_target, key) => (key === '__esModule' ? false : standIn),
    apply: () => standIn,
    construct: () => standIn,
  });
  const Module = require('node:module');
  const load = Module._load;
  Module._load = function (request: string, ...rest: unknown[]) {
    return request === 'vscode' ? standIn : load.call(this, request, ...rest);
  };
  try {
    const extension = require(path.join(extensionDir, manifest.main));
    assert.equal(typeof extension.activate, 'function');
    assert.equal(typeof extension.deactivate, 'function');
  } finally {
    Module._load = load;
  }
});
