-- A function of four parameters and two locals; the two that the engine passes by reference
-- come back as results.
local function step(n, total, k, count)
  local t = n + k
  local u = count + 1
  return total + t, u
end
local total, count = 0, 0
for i = 1, 10000000 do total, count = step(i, total, 3, count) end
assert(total == 50000035000000 and count == 10000000)
