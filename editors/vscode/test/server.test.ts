import { test } from 'node:test';
import * as assert from 'node:assert/strict';
import * as path from 'node:path';
import { DEFAULT_SERVER_PATH, serverCommand, serverOptionsFor, Settings } from '../src/server';

function settingsWith(serverPath: unknown): Settings {
  return {
    get<T>(key: string): T | undefined {
      return (key === 'serverPath' ? serverPath : undefined) as T | undefined;
    },
  };
}

const root = path.resolve('/work/scenarios');

test('the serverPath setting picks the program', () => {
  const cases: Array<[unknown, string | undefined, string]> = [
    [undefined, root, DEFAULT_SERVER_PATH],
    ['', root, DEFAULT_SERVER_PATH],
    ['   ', root, DEFAULT_SERVER_PATH],
    ['sb-custom', root, 'sb-custom'],
    [' /opt/sb/bin/scenario-builder ', root, '/opt/sb/bin/scenario-builder'],
    ['build/release/scenario-builder', root, path.join(root, 'build/release/scenario-builder')],
    ['./scenario-builder', root, path.join(root, 'scenario-builder')],
    ['build/release/scenario-builder', undefined, 'build/release/scenario-builder'],
  ];
  for (const [setting, workspaceRoot, expected] of cases) {
    assert.equal(serverCommand(settingsWith(setting), workspaceRoot), expected,
      `serverPath ${JSON.stringify(setting)}`);
  }
});

test('the server is started as `<serverPath> lsp` over stdio, run and debug alike', () => {
  const options = serverOptionsFor(settingsWith('/opt/sb/scenario-builder'), root) as {
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
