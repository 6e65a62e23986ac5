-- acc is a float from the start, as the engine's total is a double once it leaves 32 bits.
local acc = 0.0
for i = 1, 100000000 do acc = acc + i end
assert(acc == 5000000050000000)
