// How the extension starts the language server. Kept free of the `vscode`
// module so that it runs (and is tested) under plain Node.
import * as path from 'path';
import type { Executable, ServerOptions } from 'vscode-languageclient/node';

// The server is the compiler itself: `scenario-builder lsp` speaks LSP on
// stdin and stdout. A build of the extension without a bundled program (a
// developer's) looks for it on PATH under this name.
export const DEFAULT_SERVER_PATH = 'scenario-builder';
export const SERVER_ARGS: readonly string[] = ['lsp'];

// The part of a configuration section the extension reads.
export interface Settings {
  get<T>(key: string): T | undefined;
  inspect<T>(key: string): { globalValue?: T } | undefined;
}

// What decides the program besides the settings.
export interface Surroundings {
  workspaceRoot?: string;
  // The folder the extension is installed in; its `server/` holds the
  // program of the platform the .vsix was built for.
  extensionPath: string;
  platform: NodeJS.Platform;
  // An untrusted workspace must not choose a program to run.
  trusted: boolean;
  exists(file: string): boolean;
}

export type ServerSource = 'bundled' | 'setting' | 'path';

export interface ServerChoice {
  command: string;
  source: ServerSource;
  // Why a configured path was passed over, for the status item.
  ignored?: string;
}

export function bundledServer(extensionPath: string, platform: NodeJS.Platform): string {
  return path.join(extensionPath, 'server',
    platform === 'win32' ? 'scenario-builder.exe' : 'scenario-builder');
}

function namesFolder(configured: string): boolean {
  return configured.includes('/') || configured.includes('\\');
}

// The program to run: the `serverPath` setting when it is set, else the
// program bundled with the extension, else `scenario-builder` on PATH.
// A relative path that names a folder (`build/release/...`) is taken from
// the workspace root, because the extension host's working folder is not the
// author's; a bare name is left for PATH to find. In an untrusted workspace
// only the user's own setting counts, and not a relative path, which would
// run a program the workspace holds.
export function chooseServer(settings: Settings, where: Surroundings): ServerChoice {
  const raw = where.trusted
    ? settings.get<string>('serverPath')
    : settings.inspect<string>('serverPath')?.globalValue;
  const configured = (typeof raw === 'string' ? raw : '').trim();
  let ignored: string | undefined;
  if (configured !== '') {
    const relative = namesFolder(configured) && !path.isAbsolute(configured);
    if (!relative) return { command: configured, source: 'setting' };
    if (where.trusted) {
      const command = where.workspaceRoot !== undefined
        ? path.resolve(where.workspaceRoot, configured)
        : configured;
      return { command, source: 'setting' };
    }
    ignored = `serverPath "${configured}" is relative to an untrusted workspace`;
  }
  const bundled = bundledServer(where.extensionPath, where.platform);
  if (where.exists(bundled)) return { command: bundled, source: 'bundled', ignored };
  return { command: DEFAULT_SERVER_PATH, source: 'path', ignored };
}

// The same program for running and for debugging; without a transport the
// client talks to it over stdio.
export function serverOptionsFor(command: string): ServerOptions {
  const executable: Executable = { command, args: [...SERVER_ARGS] };
  return { run: executable, debug: executable };
}
