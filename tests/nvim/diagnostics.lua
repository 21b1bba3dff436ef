-- Neovim as a real client of `scenario-builder lsp`: opens a train
-- description with a station off the 50 m step and checks the diagnostic it
-- is shown. Run headless by run.sh with SB_EXE and SB_FILE set.
local exe = os.getenv('SB_EXE')
local file = os.getenv('SB_FILE')

local function fail(message)
  io.stdout:write('FAIL: ' .. message .. '\n')
  vim.cmd('cquit 1')
end

vim.cmd('edit ' .. vim.fn.fnameescape(file))
local client = vim.lsp.start_client({
  cmd = { exe, 'lsp' },
  root_dir = vim.fn.fnamemodify(file, ':h'),
  name = 'scenario-builder',
})
if not client then fail('the server did not start') end
vim.lsp.buf_attach_client(0, client)

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

local d = shown[1]
local code = d.code or (d.user_data and d.user_data.lsp and d.user_data.lsp.code)
if #shown ~= 1 then fail('expected one diagnostic, got ' .. #shown) end
if d.message ~= 'station position is not a multiple of 50 (at 5260 m, km 116+260)' then
  fail('message: ' .. d.message)
end
if d.lnum ~= 38 or d.col ~= 13 or d.end_lnum ~= 38 or d.end_col ~= 17 then
  fail(string.format('range %d:%d-%d:%d', d.lnum, d.col, d.end_lnum, d.end_col))
end
if code ~= 8 then fail('code ' .. tostring(code)) end
if d.severity ~= vim.diagnostic.severity.ERROR then fail('severity ' .. d.severity) end

vim.lsp.stop_client(client)
io.stdout:write('PASS\n')
vim.cmd('qall!')
