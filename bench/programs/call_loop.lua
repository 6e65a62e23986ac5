local function bump(n, acc) return acc + n end
local acc = 0
for i = 1, 10000000 do acc = bump(i, acc) end
assert(acc == 50000005000000)
