-- Neovim as a real client of `scenario-builder lsp`, set up as the README
-- says (SB_INIT): opens a train description with a station off the 50 m
-- step and checks the diagnostic it is shown, then its line beside it,
-- which must share its server; then asks the train's column guidance and
-- colours. Run headless by run.sh with SB_INIT, SB_FILE and SB_LINE set.
local file = os.getenv('SB_FILE')
local line = os.getenv('SB_LINE')

local function fail(message)
  io.stdout:write('FAIL: ' .. message .. '\n')
  vim.cmd('cquit 1')
end

vim.cmd('luafile ' .. vim.fn.fnameescape(os.getenv('SB_INIT')))
vim.cmd('edit ' .. vim.fn.fnameescape(file))
-- A client is listed once its server has answered initialize.
local function client_of_buffer()
  vim.wait(10000, function() return next(vim.lsp.buf_get_clients(0)) ~= nil end, 50)
  return next(vim.lsp.buf_get_clients(0))
end
local client = client_of_buffer()
if not client then fail('the server did not start') end
if vim.bo.fileencoding ~= 'cp1252' then fail('fileencoding ' .. vim.bo.fileencoding) end
if vim.bo.modified then fail('an ASCII description is marked changed') end

local arrived = vim.wait(10000, function() return #vim.diagnostic.get(0) > 0 end, 50)
if not arrived then fail('no diagnostics within 10 s') end

-- What the editor shows, one line a diagnostic, as :lua vim.diagnostic.setqflist() lists them.
local shown = vim.diagnostic.get(0)
for _, d in ipairs(shown) do
  local code = d.code or (d.user_data and d.user_data.lsp and d.user_data.lsp.code)
  io.stdout:write(string.format('%s:%d:%d-%d:%d: %s [%s] %s (%s)\n',
    vim.fn.fnamemodify(file, ':t'), d.lnum + 1, d.col + 1, d.end_lnum + 1, d.end_col + 1,
    vim.diagnostic.severity[d.severity], tostring(code), d.message, d.source))
end

local function code_of(x) return x.code or (x.user_data and x.user_data.lsp and x.user_data.lsp.code) end
-- The error, and the rest of the file after it faded as not read.
local errors, unread = {}, nil
for _, x in ipairs(shown) do
  if x.severity <= vim.diagnostic.severity.WARN then table.insert(errors, x) end
  if code_of(x) == 'not-read' then unread = x end
end
if #errors ~= 1 then fail('expected one error or warning, got ' .. #errors) end
if not unread or unread.lnum ~= 39 or unread.severity ~= vim.diagnostic.severity.HINT then
  fail('the rest after the error is not shown as not read')
end
local d = errors[1]
local code = code_of(d)
if d.message ~= 'station position is not a multiple of 50 (at 5260 m, km 116+260)' then
  fail('message: ' .. d.message)
end
if d.lnum ~= 38 or d.col ~= 13 or d.end_lnum ~= 38 or d.end_col ~= 17 then
  fail(string.format('range %d:%d-%d:%d', d.lnum, d.col, d.end_lnum, d.end_col))
end
if code ~= 8 then fail('code ' .. tostring(code)) end
if d.severity ~= vim.diagnostic.severity.ERROR then fail('severity ' .. d.severity) end

-- The line, opened beside it, is served by the same server.
vim.cmd('split ' .. vim.fn.fnameescape(line))
if client_of_buffer() ~= client then fail('the line got a server of its own') end
if #vim.lsp.get_active_clients() ~= 1 then
  fail(#vim.lsp.get_active_clients() .. ' servers for one folder')
end

-- Column guidance and colours, asked through the client (0.7 shows neither itself).
local server = vim.lsp.get_client_by_id(client)
local at = { textDocument = { uri = vim.uri_from_fname(file) },
             position = { line = 38, character = 14 } }
local help = server.request_sync('textDocument/signatureHelp', at, 5000, 0)
if not (help and help.result and help.result.activeParameter == 0
        and help.result.signatures[1].label:find('^stazione, position, kind, length')) then
  fail('signature help ' .. vim.inspect(help))
end
local tokens = server.request_sync('textDocument/semanticTokens/full',
  { textDocument = at.textDocument }, 5000, 0)
local data = tokens and tokens.result and tokens.result.data or {}
-- "[generale]" first, a section header.
if table.concat(vim.list_slice(data, 1, 5), ',') ~= '0,0,10,4,0' then
  fail('semantic tokens ' .. vim.inspect(vim.list_slice(data, 1, 10)))
end

vim.lsp.stop_client(client)
io.stdout:write('PASS\n')
vim.cmd('qall!')
