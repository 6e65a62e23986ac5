local text = string.rep("the quick brown fox jumps over the lazy dog ", 32768)
local total = 0
for round = 1, 100 do
  local at = 1
  while true do
    local found = string.find(text, "lazy dog", at, true)
    if not found then break end
    total = total + 1
    at = found + 1
  end
end
assert(total == 3276800)
