local a = {}
for k = 1, 1000 do a[k] = 0.0 end
for j = 1, 10000 do
  for k = 1, 1000 do a[k] = a[k] + 0.5 end
end
assert(a[500] == 5000)
