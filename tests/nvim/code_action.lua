-- Neovim as a real client of the server's quick fixes, set up as the README
-- says (SB_INIT): opens a train description whose station is off the 50 m
-- step, asks for the code actions at its diagnostic, applies the fix the
-- server offers and checks that the diagnostic goes. Run headless by run.sh
-- with SB_INIT and SB_FIX_FILE set.
local file = os.getenv('SB_FIX_FILE')

local function fail(message)
  io.stdout:write('FAIL: ' .. message .. '\n')
  vim.cmd('cquit 1')
end

vim.cmd('luafile ' .. vim.fn.fnameescape(os.getenv('SB_INIT')))
vim.cmd('edit ' .. vim.fn.fnameescape(file))
vim.wait(10000, function() return next(vim.lsp.buf_get_clients(0)) ~= nil end, 50)
local _, client = next(vim.lsp.buf_get_clients(0))
if not client then fail('the server did not start') end
if not vim.wait(10000, function() return #vim.diagnostic.get(0) > 0 end, 50) then
  fail('no diagnostics within 10 s')
end
local d = vim.diagnostic.get(0)[1]

-- What vim.lsp.buf.code_action() asks at the cursor, on the diagnostic's line.
local params = vim.lsp.util.make_range_params()
params.range = {
  start = { line = d.lnum, character = d.col },
  ['end'] = { line = d.end_lnum, character = d.end_col },
}
params.context = { diagnostics = vim.lsp.diagnostic.get_line_diagnostics(0, d.lnum) }
local answers = vim.lsp.buf_request_sync(0, 'textDocument/codeAction', params, 10000)
local fix
for _, answer in pairs(answers or {}) do
  for _, action in ipairs(answer.result or {}) do
    if action.kind == 'quickfix' and action.edit then fix = fix or action end
  end
end
if not fix then fail('no quick fix offered') end
io.stdout:write('applying: ' .. fix.title .. '\n')
if fix.title ~= 'move to 5250 m' then fail('title ' .. fix.title) end
vim.lsp.util.apply_workspace_edit(fix.edit, client.offset_encoding)

local record = vim.api.nvim_buf_get_lines(0, d.lnum, d.lnum + 1, true)[1]
if not record:match('^stazione,%s+5250,') then fail('record after the fix: ' .. record) end
if not vim.wait(10000, function() return #vim.diagnostic.get(0) == 0 end, 50) then
  fail('the diagnostic stayed: ' .. vim.diagnostic.get(0)[1].message)
end

vim.lsp.stop_client(client.id)
io.stdout:write('PASS\n')
vim.cmd('qall!')
