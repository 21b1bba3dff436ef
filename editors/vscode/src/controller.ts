// Starting, stopping and restarting the language server, and what the status
// item says about it. Kept free of the `vscode` module so that it runs (and
// is tested) under plain Node; extension.ts gives it the real client.
import type { ServerChoice } from './server';

// The command that restarts the server, and the status item's action.
export const RESTART_COMMAND = 'scenarioBuilder.restartServer';

export type ServerState = 'starting' | 'running' | 'stopped' | 'error';

// The part of a language client the controller drives.
export interface ServerClient {
  start(): Promise<void>;
  stop(): Promise<void>;
  // The version the server named in its answer to initialize.
  version(): string | undefined;
  // Called at each change of the client's state, asked for or not (the
  // client starts a server that ended again by itself, a few times).
  onStateChange(listener: (state: 'starting' | 'running' | 'stopped') => void): void;
}

export interface Status {
  state: ServerState;
  text: string;
  detail: string;
}

export interface StatusView {
  show(status: Status): void;
}

export interface Launch {
  client: ServerClient;
  choice: ServerChoice;
}

const SOURCES: Record<ServerChoice['source'], string> = {
  bundled: 'bundled with the extension',
  setting: 'from scenarioBuilder.serverPath',
  path: 'found on PATH',
};

export function describeChoice(choice: ServerChoice): string {
  const where = `${choice.command} (${SOURCES[choice.source]})`;
  return choice.ignored === undefined ? where : `${where}; ${choice.ignored}`;
}

export class ServerController {
  private client: ServerClient | undefined;
  private choice: ServerChoice | undefined;
  // Commands run one after another: a restart clicked twice must not leave
  // two servers, nor stop the one the other start made.
  private queue: Promise<void> = Promise.resolve();

  constructor(
    private readonly launch: () => Launch,
    private readonly view: StatusView,
    private readonly reportError: (message: string) => void) {}

  start(): Promise<void> {
    return this.enqueue(() => this.startNow());
  }

  stop(): Promise<void> {
    return this.enqueue(() => this.stopNow());
  }

  restart(): Promise<void> {
    return this.enqueue(async () => {
      await this.stopNow();
      await this.startNow();
    });
  }

  private enqueue(step: () => Promise<void>): Promise<void> {
    const next = this.queue.then(step, step);
    this.queue = next.catch(() => undefined);
    return next;
  }

  private async startNow(): Promise<void> {
    const { client, choice } = this.launch();
    this.client = client;
    this.choice = choice;
    client.onStateChange((state) => {
      // A client being stopped, or replaced, says nothing any more.
      if (this.client !== client) return;
      if (state === 'stopped') {
        this.show('error', `the server stopped: ${describeChoice(choice)}`);
      } else {
        this.show(state, describeChoice(choice), client.version());
      }
    });
    this.show('starting', describeChoice(choice));
    try {
      await client.start();
    } catch (err) {
      if (this.client === client) this.client = undefined;
      await client.stop().catch(() => undefined);
      this.show('error', `cannot start ${describeChoice(choice)}`);
      // A missing program is the usual cause: say which setting picks it.
      this.reportError(
        `Scenario Builder: cannot start '${choice.command} lsp' (${String(err)}). ` +
        'Set "scenarioBuilder.serverPath" to the scenario-builder program, ' +
        'or leave it empty for the one bundled with the extension.');
      return;
    }
    if (this.client === client) this.show('running', describeChoice(choice), client.version());
  }

  private async stopNow(): Promise<void> {
    const running = this.client;
    this.client = undefined;
    if (running === undefined) return;
    try {
      await running.stop();
    } catch {
      // A client whose server already ended has nothing to stop.
    }
    this.show('stopped', this.choice === undefined ? '' : describeChoice(this.choice));
  }

  private show(state: ServerState, detail: string, version?: string): void {
    const text = state === 'running'
      ? `Scenario Builder ${version ?? ''}`.trim()
      : `Scenario Builder: ${state === 'error' ? 'not running' : state}`;
    this.view.show({ state, text, detail });
  }
}
