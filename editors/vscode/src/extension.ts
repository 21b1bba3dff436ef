import * as vscode from 'vscode';
import { LanguageClient, LanguageClientOptions } from 'vscode-languageclient/node';
import { serverCommand, serverOptionsFor } from './server';

// The configuration section; the client also reads `<section>.trace.server`.
const SECTION = 'scenarioBuilder';
const LANGUAGES = ['sb-line', 'sb-train'];

let client: LanguageClient | undefined;

function workspaceRoot(): string | undefined {
  return vscode.workspace.workspaceFolders?.[0]?.uri.fsPath;
}

async function startClient(): Promise<void> {
  const settings = vscode.workspace.getConfiguration(SECTION);
  const clientOptions: LanguageClientOptions = {
    documentSelector: LANGUAGES.map((language) => ({ language })),
  };
  client = new LanguageClient(
    SECTION, 'Scenario Builder', serverOptionsFor(settings, workspaceRoot()), clientOptions);
  try {
    await client.start();
  } catch (err) {
    // A missing program is the usual cause: say which setting picks it.
    const command = serverCommand(settings, workspaceRoot());
    void vscode.window.showErrorMessage(
      `Scenario Builder: cannot start '${command} lsp' (${String(err)}). ` +
      `Set "${SECTION}.serverPath" to the scenario-builder program.`);
  }
}

async function stopClient(): Promise<void> {
  const running = client;
  client = undefined;
  if (running === undefined) return;
  try {
    await running.stop();
  } catch {
    // A client whose server never started has nothing to stop.
  }
}

export async function activate(context: vscode.ExtensionContext): Promise<void> {
  context.subscriptions.push(
    vscode.workspace.onDidChangeConfiguration(async (event) => {
      if (!event.affectsConfiguration(`${SECTION}.serverPath`)) return;
      await stopClient();
      await startClient();
    }));
  await startClient();
}

export function deactivate(): Promise<void> {
  return stopClient();
}
