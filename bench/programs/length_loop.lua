-- A string grows by one byte while its integer length is below a float limit.
local total = 0
for i = 1, 10000 do
  local s = ""
  repeat
    s = s .. "x"
  until not (99.5 > #s)
  total = total + #s
end
assert(total == 1000000)
