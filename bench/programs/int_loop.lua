local acc = 0
for i = 1, 100000000 do acc = acc + 3 end
assert(acc == 300000000)
