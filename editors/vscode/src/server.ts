// How the extension starts the language server. Kept free of the `vscode`
// module so that it runs (and is tested) under plain Node.
import * as path from 'path';
import type { Executable, ServerOptions } from 'vscode-languageclient/node';

// The server is the compiler itself: `scenario-builder lsp` speaks LSP on
// stdin and stdout.
export const DEFAULT_SERVER_PATH = 'scenario-builder';
export const SERVER_ARGS: readonly string[] = ['lsp'];

// The part of a configuration section the extension reads.
export interface Settings {
  get<T>(key: string): T | undefined;
}

// The program to run: the `serverPath` setting, or the default when it is
// unset or blank. A relative path that names a folder (`build/release/...`)
// is taken from the workspace root, because the extension host's working
// folder is not the author's; a bare name is left for PATH to find.
export function serverCommand(settings: Settings, workspaceRoot?: string): string {
  const configured = (settings.get<string>('serverPath') ?? '').trim();
  if (configured === '') return DEFAULT_SERVER_PATH;
  const namesFolder = configured.includes('/') || configured.includes('\\');
  if (namesFolder && !path.isAbsolute(configured) && workspaceRoot !== undefined) {
    return path.resolve(workspaceRoot, configured);
  }
  return configured;
}

// The same program for running and for debugging; without a transport the
// client talks to it over stdio.
export function serverOptionsFor(settings: Settings, workspaceRoot?: string): ServerOptions {
  const executable: Executable = {
    command: serverCommand(settings, workspaceRoot),
    args: [...SERVER_ARGS],
  };
  return { run: executable, debug: executable };
}
