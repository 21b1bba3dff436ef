import * as fs from 'fs';
import * as vscode from 'vscode';
import { LanguageClient, LanguageClientOptions, State } from 'vscode-languageclient/node';
import { Launch, RESTART_COMMAND, ServerClient, ServerController, Status } from './controller';
import { chooseServer, serverOptionsFor } from './server';

// The configuration section; the client also reads `<section>.trace.server`.
const SECTION = 'scenarioBuilder';
const LANGUAGES = ['sb-line', 'sb-train'];

function workspaceRoot(): string | undefined {
  return vscode.workspace.workspaceFolders?.[0]?.uri.fsPath;
}

// The installer of a .vsix may drop the program's execute bit; the
// extension's folder is the user's own, so it is given back.
function executable(file: string): boolean {
  try {
    fs.accessSync(file, fs.constants.X_OK);
    return true;
  } catch {
    if (process.platform === 'win32' || !fs.existsSync(file)) return false;
    try {
      fs.chmodSync(file, 0o755);
      return true;
    } catch {
      return false;
    }
  }
}

function wrap(client: LanguageClient): ServerClient {
  const states = new Map<State, 'starting' | 'running' | 'stopped'>([
    [State.Starting, 'starting'], [State.Running, 'running'], [State.Stopped, 'stopped']]);
  return {
    start: () => client.start(),
    stop: () => client.stop(),
    version: () => client.initializeResult?.serverInfo?.version,
    onStateChange: (listener) => {
      client.onDidChangeState((event) => {
        const state = states.get(event.newState);
        if (state !== undefined) listener(state);
      });
    },
  };
}

function launch(context: vscode.ExtensionContext): Launch {
  const choice = chooseServer(vscode.workspace.getConfiguration(SECTION), {
    workspaceRoot: workspaceRoot(),
    extensionPath: context.extensionPath,
    platform: process.platform,
    trusted: vscode.workspace.isTrusted,
    exists: executable,
  });
  const clientOptions: LanguageClientOptions = {
    documentSelector: LANGUAGES.map((language) => ({ language })),
  };
  const client = new LanguageClient(
    SECTION, 'Scenario Builder', serverOptionsFor(choice.command), clientOptions);
  return { client: wrap(client), choice };
}

function statusItem(context: vscode.ExtensionContext): (status: Status) => void {
  const item = vscode.languages.createLanguageStatusItem(
    'scenarioBuilder.server', LANGUAGES.map((language) => ({ language })));
  item.name = 'Scenario Builder server';
  item.command = { title: 'Restart', command: RESTART_COMMAND };
  context.subscriptions.push(item);
  return (status) => {
    item.text = status.text;
    item.detail = status.detail;
    item.busy = status.state === 'starting';
    item.severity = status.state === 'error'
      ? vscode.LanguageStatusSeverity.Error
      : status.state === 'stopped'
        ? vscode.LanguageStatusSeverity.Warning
        : vscode.LanguageStatusSeverity.Information;
  };
}

let controller: ServerController | undefined;

export async function activate(context: vscode.ExtensionContext): Promise<void> {
  const show = statusItem(context);
  const current = new ServerController(
    () => launch(context),
    { show },
    (message) => void vscode.window.showErrorMessage(message));
  controller = current;
  context.subscriptions.push(
    vscode.commands.registerCommand(RESTART_COMMAND, () => current.restart()),
    vscode.workspace.onDidChangeConfiguration(async (event) => {
      if (event.affectsConfiguration(`${SECTION}.serverPath`)) await current.restart();
    }),
    // A workspace's own serverPath counts from the moment it is trusted.
    vscode.workspace.onDidGrantWorkspaceTrust(() => current.restart()));
  await current.start();
}

export function deactivate(): Promise<void> | undefined {
  return controller?.stop();
}
