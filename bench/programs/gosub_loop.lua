local acc = 0
local function bump() acc = acc + 1 end
for i = 1, 10000000 do bump() end
assert(acc == 10000000)
