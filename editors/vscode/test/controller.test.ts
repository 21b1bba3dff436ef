import { test } from 'node:test';
import * as assert from 'node:assert/strict';
import { ServerClient, ServerController, Status } from '../src/controller';
import type { ServerChoice } from '../src/server';

type State = 'starting' | 'running' | 'stopped';

// A client that records what was done to it; `fail` makes its start reject.
class FakeClient implements ServerClient {
  log: string[] = [];
  private listeners: Array<(state: State) => void> = [];
  constructor(readonly name: string, private readonly fail = false, private readonly delay = 0) {}
  async start(): Promise<void> {
    this.emit('starting');
    if (this.delay) await new Promise((resolve) => setTimeout(resolve, this.delay));
    if (this.fail) {
      this.emit('stopped');
      throw new Error('spawn ENOENT');
    }
    this.log.push('start');
    this.emit('running');
  }
  async stop(): Promise<void> {
    this.log.push('stop');
    this.emit('stopped');
  }
  version(): string | undefined {
    return '1.0.0';
  }
  onStateChange(listener: (state: State) => void): void {
    this.listeners.push(listener);
  }
  emit(state: State): void {
    for (const listener of this.listeners) listener(state);
  }
}

function harness(plan: Array<{ fail?: boolean; delay?: number }>) {
  const clients: FakeClient[] = [];
  const statuses: Status[] = [];
  const errors: string[] = [];
  const choice: ServerChoice = { command: '/ext/server/scenario-builder', source: 'bundled' };
  const controller = new ServerController(
    () => {
      const step = plan[clients.length] ?? {};
      const client = new FakeClient(`client ${clients.length}`, step.fail, step.delay);
      clients.push(client);
      return { client, choice };
    },
    { show: (status) => statuses.push(status) },
    (message) => errors.push(message));
  const last = () => statuses[statuses.length - 1];
  return { controller, clients, statuses, errors, last };
}

test('restart stops the running server and starts a new one', async () => {
  const h = harness([{}, {}]);
  await h.controller.start();
  assert.deepEqual([h.last().state, h.last().text], ['running', 'Scenario Builder 1.0.0']);
  assert.match(h.last().detail, /\/ext\/server\/scenario-builder \(bundled with the extension\)/);
  await h.controller.restart();
  assert.deepEqual(h.clients.map((c) => c.log), [['start', 'stop'], ['start']]);
  assert.equal(h.last().state, 'running');
  assert.deepEqual(h.errors, []);
});

test('restarts asked for at once run one after another, leaving one server', async () => {
  const h = harness([{ delay: 5 }, { delay: 5 }, { delay: 5 }]);
  await Promise.all([h.controller.start(), h.controller.restart(), h.controller.restart()]);
  assert.deepEqual(h.clients.map((c) => c.log), [['start', 'stop'], ['start', 'stop'], ['start']]);
  assert.equal(h.last().state, 'running');
});

test('a server that cannot start is an error, says which setting, and restart retries', async () => {
  const h = harness([{ fail: true }, {}]);
  await h.controller.start();
  assert.equal(h.last().state, 'error');
  assert.equal(h.last().text, 'Scenario Builder: not running');
  assert.equal(h.errors.length, 1);
  assert.match(h.errors[0], /cannot start '\/ext\/server\/scenario-builder lsp'.*spawn ENOENT.*scenarioBuilder\.serverPath/);
  await h.controller.restart();
  assert.equal(h.last().state, 'running');
  assert.deepEqual(h.clients[1].log, ['start']);
});

test('a server that ends by itself is shown as an error until it runs again', async () => {
  const h = harness([{}]);
  await h.controller.start();
  h.clients[0].emit('stopped');
  assert.equal(h.last().state, 'error');
  assert.match(h.last().detail, /the server stopped/);
  h.clients[0].emit('running');
  assert.equal(h.last().state, 'running');
});

test('stop is shown as stopped, and a stopped client says nothing more', async () => {
  const h = harness([{}]);
  await h.controller.start();
  await h.controller.stop();
  assert.deepEqual([h.last().state, h.last().text], ['stopped', 'Scenario Builder: stopped']);
  const shown = h.statuses.length;
  h.clients[0].emit('running');
  assert.equal(h.statuses.length, shown);
});
