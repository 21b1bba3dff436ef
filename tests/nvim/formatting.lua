-- Formatting through Neovim's own client: a train description with its
-- records out of line (SB_FILE, CR LF line ends) is formatted with
-- vim.lsp.buf.formatting_sync(), and the buffer must hold the records
-- aligned, its comment and line ends as they were. Run headless by run.sh
-- with SB_INIT and SB_FILE set.
local file = os.getenv('SB_FILE')

local function fail(message)
  io.stdout:write('FAIL: ' .. message .. '\n')
  vim.cmd('cquit 1')
end

vim.cmd('luafile ' .. vim.fn.fnameescape(os.getenv('SB_INIT')))
vim.cmd('edit ' .. vim.fn.fnameescape(file))
local started = vim.wait(10000, function() return next(vim.lsp.buf_get_clients(0)) ~= nil end, 50)
if not started then fail('the server did not start') end

vim.lsp.buf.formatting_sync(nil, 10000)

local expected = {
  '-- speeds, from (m), then km/h',
  '[vel_limite]',
  'velocita,     0, 110',
  'velocita,  2950, 160',
  'velocita, 18290,  95',
  '[fine]',
}
local got = vim.api.nvim_buf_get_lines(0, 0, -1, false)
if #got ~= #expected then fail('expected ' .. #expected .. ' lines, got ' .. #got) end
for i, text in ipairs(expected) do
  if got[i] ~= text then fail('line ' .. i .. ': ' .. vim.inspect(got[i])) end
end
if vim.bo.fileformat ~= 'dos' then fail('fileformat ' .. vim.bo.fileformat) end

for _, client in pairs(vim.lsp.buf_get_clients(0)) do vim.lsp.stop_client(client) end
io.stdout:write('PASS\n')
vim.cmd('qall!')
