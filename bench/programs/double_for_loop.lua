-- A for loop whose start, limit and step are floats, counting its rounds.
local count = 0
for x = 0.5, 10000000.0, 0.25 do count = count + 1 end
assert(count == 39999999)
