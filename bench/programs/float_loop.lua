local acc = 0.25
for i = 1, 100000000 do acc = acc + 0.5 end
assert(acc == 50000000.25)
