import { test } from 'node:test';
import * as assert from 'node:assert/strict';
import * as path from 'node:path';
import { bundledServer, chooseServer, DEFAULT_SERVER_PATH, serverOptionsFor, Settings, Surroundings } from '../src/server';

// A setting as VS Code gives it: `get` merges the user's and the workspace's
// values, `inspect` tells them apart.
function settingsWith(user: unknown, workspace?: unknown): Settings {
  return {
    get<T>(key: string): T | undefined {
      if (key !== 'serverPath') return undefined;
      return (workspace !== undefined ? workspace : user) as T | undefined;
    },
    inspect<T>(key: string) {
      return key === 'serverPath' ? { globalValue: user as T | undefined } : undefined;
    },
  };
}

const root = path.resolve('/work/scenarios');
const extensionPath = path.resolve('/ext/scenario-builder');
const bundled = path.join(extensionPath, 'server', 'scenario-builder');

function where(trusted: boolean, hasBundled = true, inWorkspace = true): Surroundings {
  return { workspaceRoot: inWorkspace ? root : undefined, extensionPath, platform: 'linux', trusted, exists: (file) => hasBundled && file === bundled };
}

test('the serverPath setting, the bundled program or PATH picks the program', () => {
  const cases: Array<[string, Settings, Surroundings, string, string]> = [
    ['unset: bundled', settingsWith(undefined), where(true), bundled, 'bundled'],
    ['empty: bundled', settingsWith(''), where(true), bundled, 'bundled'],
    ['blank: bundled', settingsWith('   '), where(true), bundled, 'bundled'],
    ['not a string: bundled', settingsWith(42), where(true), bundled, 'bundled'],
    ['unset, nothing bundled: PATH', settingsWith(undefined), where(true, false), DEFAULT_SERVER_PATH, 'path'],
    ['bare name', settingsWith('sb-custom'), where(true), 'sb-custom', 'setting'],
    ['absolute, trimmed', settingsWith(' /opt/sb/bin/scenario-builder '), where(true),
      '/opt/sb/bin/scenario-builder', 'setting'],
    ['relative: from the workspace', settingsWith('build/release/scenario-builder'), where(true),
      path.join(root, 'build/release/scenario-builder'), 'setting'],
    ['./name: from the workspace', settingsWith('./scenario-builder'), where(true),
      path.join(root, 'scenario-builder'), 'setting'],
    ['relative, no workspace', settingsWith('build/release/scenario-builder'), where(true, true, false),
      'build/release/scenario-builder', 'setting'],
    ['the workspace\'s value, trusted', settingsWith('/opt/a', '/opt/b'), where(true), '/opt/b', 'setting'],
    // Untrusted: the workspace cannot name a program, nor the user's
    // setting one inside the workspace.
    ['the workspace\'s value, untrusted', settingsWith(undefined, '/tmp/evil'), where(false), bundled, 'bundled'],
    ['the user\'s value, untrusted', settingsWith('/opt/a', '/tmp/evil'), where(false), '/opt/a', 'setting'],
    ['a relative user value, untrusted', settingsWith('bin/sb'), where(false), bundled, 'bundled'],
    ['a bare user value, untrusted', settingsWith('sb-custom'), where(false), 'sb-custom', 'setting'],
  ];
  for (const [label, settings, surroundings, command, source] of cases) {
    const choice = chooseServer(settings, surroundings);
    assert.deepEqual([choice.command, choice.source], [command, source], label);
  }
  const passedOver = chooseServer(settingsWith('bin/sb'), where(false));
  assert.match(passedOver.ignored ?? '', /bin\/sb.*untrusted/);
});

test('the bundled program is the platform\'s', () => {
  assert.equal(bundledServer('/ext', 'linux'), path.join('/ext', 'server', 'scenario-builder'));
  assert.equal(bundledServer('/ext', 'win32'), path.join('/ext', 'server', 'scenario-builder.exe'));
});

test('the server is started as `<program> lsp` over stdio, run and debug alike', () => {
  const options = serverOptionsFor('/opt/sb/scenario-builder') as {
    run: { command: string; args?: string[]; transport?: unknown };
    debug: { command: string; args?: string[]; transport?: unknown };
  };
  for (const executable of [options.run, options.debug]) {
    assert.equal(executable.command, '/opt/sb/scenario-builder');
    assert.deepEqual(executable.args, ['lsp']);
    // No transport means stdio to the client.
    assert.equal(executable.transport, undefined);
  }
});
